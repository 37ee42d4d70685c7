// The participant list loader: data.txt (after "~~~~", set.dat with the privacy
// mask). Every line is one entry with its index as state, the display text is
// the mask of the name, and the longest entry is the longest display text.
#include "FuzzSupport.h"

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
    }
    FUZZ_CHECK(lists.LongestEntry.size() == longest);
    return 0;
}
