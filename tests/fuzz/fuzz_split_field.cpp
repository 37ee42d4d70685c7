// Field splitting: the fields of a one-line value join back to the value (but
// for one trailing separator), no field holds the separator, and a count past
// the last field gives the empty text. The first byte picks the separator.
#include "FuzzSupport.h"

#include "text/SplitField.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    static const char kSeparators[] = {'|', '+', ':', '-'};
    const char separator = kSeparators[data[0] % sizeof kSeparators];
    std::string_view text = fuzz::asText(data + 1, size - 1);
    // Values are single lines: a line break or NUL never reaches a split.
    const size_t end = text.find_first_of(std::string_view("\r\n\0", 3));
    if (end != std::string_view::npos)
        text = text.substr(0, end);

    const int count = fieldCount(text, separator);
    FUZZ_CHECK(count >= 0 && static_cast<size_t>(count) <= text.size() + 1);
    std::string joined;
    for (int n = 1; n <= count; ++n) {
        const std::string field = SplitField(text, separator, n);
        FUZZ_CHECK(fieldCount(field, separator) <= 1 && separatorPositions(field, separator).empty());
        if (n > 1)
            joined += separator;
        joined += field;
    }
    FUZZ_CHECK(joined == text || joined + separator == text);
    FUZZ_CHECK(SplitField(text, separator, count + 1).empty());
    FUZZ_CHECK(SplitField(text, separator, 0).empty());
    return 0;
}
