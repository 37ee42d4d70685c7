// The predetermined and exclusion list files and the grouping ranges of
// set.dat as found: nothing crashes, every readable entry decodes back to its
// stored form, an award's section rewritten from what was read reads back the
// same, every unreadable line is named, and a grouping range never reaches
// outside the list. The input is a list file, "~~~~", then a set.dat.
#include "FuzzSupport.h"

#include "draw/DrawOrder.h"
#include "settings/IniStore.h"
#include "special/Grouping.h"
#include "special/SpecialLists.h"
#include "text/Base64.h"

#include <algorithm>

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fuzz::ScratchFolder folder;
    folder.clear();
    const auto parts = fuzz::splitParts(fuzz::asText(data, size), 2);
    folder.write("Read.reb", parts[0]);
    folder.write("set.dat", parts[1]);

    auto list = IniStore::open(folder.path() / "Read.reb");
    FUZZ_CHECK(list.ok());
    size_t unreadable = 0;
    for (int award = 1; award <= 3; ++award) {
        const std::string section = std::to_string(award);
        const auto entries = readListEntries(*list, section);
        FUZZ_CHECK(entries.size() <= list->keys(section).size());
        for (const auto &e : entries) {
            if (e.readable)
                FUZZ_CHECK(base64Decode(e.stored) == e.name);
            else
                ++unreadable;
        }
        for (const auto &name : readListNames(*list, section))
            FUZZ_CHECK(!name.empty());
        // Rewritten whole from what was read, the section reads back the same.
        writeListSection(*list, award, entries);
        const auto again = readListEntries(*list, section);
        FUZZ_CHECK(again.size() == entries.size());
        for (size_t i = 0; i < again.size(); ++i)
            FUZZ_CHECK(again[i].stored == entries[i].stored);
        FUZZ_CHECK(!deleteListEntry(*list, award, static_cast<int>(entries.size()) + 1));
    }
    auto fresh = IniStore::open(folder.path() / "Read.reb");
    FUZZ_CHECK(fresh.ok());
    FUZZ_CHECK(listFileProblems(*fresh).size() >= unreadable);

    auto settings = IniStore::open(folder.path() / "set.dat");
    FUZZ_CHECK(settings.ok());
    const int lucks = std::clamp(settings->readInteger("Option", "Lucks", 0), 0, kMaxAwards);
    size_t badRanges = 0;
    for (int i = 0; i < lucks; ++i) {
        const std::string value = settings->readString("Grfz", std::to_string(i));
        const auto range = parseGroupRange(value);
        if (!range) {
            badRanges += value.find_first_not_of(" \t") != std::string::npos ? 1 : 0;
            continue;
        }
        for (size_t count : {size_t(0), size_t(1), size_t(20)}) {
            const EntryRange r = entryRangeOfLines(range->first, range->last, count);
            FUZZ_CHECK(r.last < r.first || (r.first >= 0 && r.last < static_cast<int>(count)));
        }
    }
    FUZZ_CHECK(groupingProblems(*settings, lucks).size() <= badRanges);
    FUZZ_CHECK(readGroupItems(*settings, lucks).size() <= static_cast<size_t>(lucks));
    return 0;
}
