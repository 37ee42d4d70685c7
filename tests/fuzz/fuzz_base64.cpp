// Base64 of the protected texts: any bytes survive encoding and decoding, and
// whatever a stored text decodes to encodes to a text that decodes the same.
#include "FuzzSupport.h"

#include "text/Base64.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input = fuzz::asText(data, size);
    const std::string encoded = base64Encode(input);
    FUZZ_CHECK(encoded.size() == (size + 2) / 3 * 4);
    const auto back = base64Decode(encoded);
    FUZZ_CHECK(back && *back == input);

    if (const auto decoded = base64Decode(input)) {
        FUZZ_CHECK(decoded->size() <= size * 3 / 4 + 1);
        const auto again = base64Decode(base64Encode(*decoded));
        FUZZ_CHECK(again && *again == *decoded);
    }
    return 0;
}
