// Photo cache files: any bytes found in the user's cache folder. The first
// four bytes choose the box (two little-endian 16-bit sides), the rest is the
// file; its own header's key is the one asked for, so the checks past the key
// are reached. A file that passes the checks decodes to exactly its stated
// size with opaque pixels or is refused, and what decodes is written again
// into a file the same checks pass.
#include "FuzzSupport.h"

#include "participants/PhotoCache.h"

#include <cstring>

using namespace tessaly;

namespace {

// The decoder's room: a vector of pixels, sized as it asks.
std::uint32_t *room(void *pixels, int width, int height)
{
    auto *p = static_cast<std::vector<std::uint32_t> *>(pixels);
    p->assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    return p->data();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 4)
        return 0;
    const DecodeBox box{data[0] | (data[1] << 8), data[2] | (data[3] << 8)};
    const std::span<const unsigned char> file(data + 4, size - 4);
    std::uint64_t key = 1;
    if (file.size() >= 24)
        std::memcpy(&key, file.data() + 16, 8);
    auto photo = readCachedPhoto(file, key, box);
    if (!photo) {
        FUZZ_CHECK(!photo.error().message.empty());
        // The decode must hold on its own too: a header that lies about the JPEG after it.
        if (file.size() > 40) {
            CachedPhoto forged{1 + data[0] % 64, 1 + data[2] % 64, file.subspan(40)};
            JpegDecoder decoder;
            std::vector<std::uint32_t> pixels;
            if (auto decoded = decodeCachedPhoto(decoder, forged, room, &pixels)) {
                FUZZ_CHECK(decoded->width == forged.width && decoded->height == forged.height);
                FUZZ_CHECK(pixels.size() == static_cast<size_t>(forged.width * forged.height));
            }
        }
        return 0;
    }
    FUZZ_CHECK(photo->width > 0 && photo->height > 0);
    FUZZ_CHECK(static_cast<std::int64_t>(photo->width) * photo->height <= kMaxDecodedPixels);
    FUZZ_CHECK(photo->jpeg.data() >= file.data() && photo->jpeg.data() + photo->jpeg.size() == file.data() + file.size());
    JpegDecoder decoder;
    std::vector<std::uint32_t> pixels;
    auto decoded = decodeCachedPhoto(decoder, *photo, room, &pixels);
    if (!decoded)
        return 0;
    FUZZ_CHECK(decoded->width == photo->width && decoded->height == photo->height);
    for (std::uint32_t p : pixels)
        FUZZ_CHECK((p >> 24) == 0xffu);
    auto again = encodeCachedPhoto(key, pixels.data(), decoded->width, decoded->height);
    FUZZ_CHECK(again.ok());
    const auto &bytes = *again;
    auto reread = readCachedPhoto(std::span(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size()), key, box);
    FUZZ_CHECK(reread.ok() && reread->width == photo->width && reread->height == photo->height);
    return 0;
}
