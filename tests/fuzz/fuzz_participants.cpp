// The participant list loader: data.txt (after "~~~~", set.dat with the privacy
// mask). Every line is one entry with its index as state, the display text is
// the mask of the name, the longest entry is the longest display text, and the
// record line of every entry reads back as its display text and name.
#include "FuzzSupport.h"

#include "draw/DrawRecord.h"
#include "participants/ParticipantList.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fuzz::ScratchFolder folder;
    const auto parts = fuzz::splitParts(fuzz::asText(data, size), 2);
    folder.clear();
    folder.write("data.txt", parts[0]);
    folder.write("set.dat", parts[1]);

    ParticipantLists lists;
    const Status loaded = LoadParticipants(folder.path(), lists);
    if (!loaded)
        return 0;
    const PrivacyMask mask = readPrivacyMask(folder.path());
    const size_t n = lists.size();
    FUZZ_CHECK(lists.DisplayList.size() == n && lists.StateList.size() == n);
    size_t longest = 0;
    for (size_t i = 0; i < n; ++i) {
        FUZZ_CHECK(lists.StateList[i] == std::to_string(i));
        FUZZ_CHECK(lists.NameList[i].find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
        FUZZ_CHECK(lists.DisplayList[i] == applyPrivacyMask(lists.NameList[i], mask));
        longest = std::max(longest, lists.DisplayList[i].size());
        std::string line = recordLine(7, lists.DisplayList[i], lists.NameList[i]);
        line.resize(line.size() - 2);  // without its CR LF
        RecordFields fields;
        FUZZ_CHECK(parseRecordLine(line, fields));
        FUZZ_CHECK(fields.award == 7 && fields.display == lists.DisplayList[i] && fields.name == lists.NameList[i]);
    }
    FUZZ_CHECK(lists.LongestEntry.size() == longest);
    return 0;
}
