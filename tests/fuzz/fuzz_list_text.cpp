// "导入TXT": a text file in GBK, UTF-8 (with or without a byte-order mark) or
// UTF-16. Every line comes out without line breaks or NUL bytes, the lines GBK
// could not store are named in order, and GBK input keeps its bytes.
#include "FuzzSupport.h"

#include "participants/ListImport.h"
#include "participants/ListTools.h"
#include "text/Lines.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes = fuzz::asText(data, size);
    const DecodedText d = decodeListText(bytes);
    for (const auto &line : d.lines)
        FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    // The lines GBK could not store come with the text as read, for the editor to show.
    FUZZ_CHECK(d.unencodableText.size() == d.unencodable.size());
    for (size_t i = 0; i < d.unencodable.size(); ++i) {
        FUZZ_CHECK(d.unencodable[i] >= 1 && static_cast<size_t>(d.unencodable[i]) <= d.lines.size());
        FUZZ_CHECK(i == 0 || d.unencodable[i - 1] < d.unencodable[i]);
        FUZZ_CHECK(d.unencodableText[i].find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    }
    // A list the loader refuses is found by the same rule the save uses.
    for (size_t i : unfitListLines(d.lines))
        FUZZ_CHECK(i < d.lines.size());
    if (!d.wasUnicode) {
        FUZZ_CHECK(d.unencodable.empty());
        FUZZ_CHECK(d.lines == splitLines(bytes));
    }
    return 0;
}
