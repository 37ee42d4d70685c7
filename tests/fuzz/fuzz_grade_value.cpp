// One stored award line of set.dat read into an award: the split never loses
// or invents a separator, the picture never holds one, and a name or prize
// holding "|" is reported as such and only then.
#include "FuzzSupport.h"

#include "settings/AwardTable.h"
#include "text/SplitField.h"

#include <algorithm>

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string value(fuzz::asText(data, size));
    // A stored value is one line.
    value.erase(std::find_if(value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }),
                value.end());
    const ParsedGrade parsed = parseGradeValue(value);
    auto bars = [](const std::string &text) { return static_cast<long>(separatorPositions(text, '|').size()); };
    const long total = bars(value);
    if (!parsed.numbersOk)
        return 0;
    const LGrade &g = parsed.grade;
    FUZZ_CHECK(bars(g.prizePicture) == 0);
    FUZZ_CHECK(bars(g.batchDetail) == 0);
    FUZZ_CHECK(parsed.separatorInName == (bars(g.name) + bars(g.prizeName) > 0));
    FUZZ_CHECK(!parsed.separatorInName || total > 5);
    // Five separators between the six fields, the rest inside the names.
    if (total >= 5)
        FUZZ_CHECK(bars(g.name) + bars(g.prizeName) == total - 5);
    return 0;
}
