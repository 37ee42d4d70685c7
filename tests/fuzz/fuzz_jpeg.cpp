// Participant photos and prize pictures: any bytes handed to the JPEG decoder.
// The first four bytes choose the decode box (two little-endian 16-bit sides),
// the rest is the file. A decoded picture has the size it claims, opaque RGB32
// pixels, never more than the pixel limit, never larger than the full picture,
// and encodes again.
#include "FuzzSupport.h"

#include "participants/Jpeg.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 4)
        return 0;
    const DecodeBox box{data[0] | (data[1] << 8), data[2] | (data[3] << 8)};
    const std::span<const unsigned char> bytes(data + 4, size - 4);
    auto full = decodeJpeg(bytes);
    auto scaled = decodeJpeg(bytes, box);
    if (!scaled) {
        FUZZ_CHECK(!scaled.error().message.empty());
        return 0;
    }
    const RgbImage &image = *scaled;
    FUZZ_CHECK(image.width > 0 && image.height > 0);
    FUZZ_CHECK(static_cast<std::int64_t>(image.width) * image.height <= kMaxDecodedPixels);
    FUZZ_CHECK(image.pixels.size() == static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    for (std::uint32_t p : image.pixels)
        FUZZ_CHECK((p >> 24) == 0xffu);
    if (full) {
        FUZZ_CHECK(image.width <= full->width && image.height <= full->height);
        // The reduction still covers the box, unless the whole picture is smaller.
        if (box.width > 0 && box.height > 0 && full->width >= box.width && full->height >= box.height)
            FUZZ_CHECK(image.width >= box.width && image.height >= box.height);
    }
    auto again = encodeJpeg(image, 50);
    FUZZ_CHECK(again.ok());
    return 0;
}
