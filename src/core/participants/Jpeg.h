// JPEG decoding and encoding on libjpeg-turbo. A decoded picture is a plain
// buffer of 32-bit pixels 0xffRRGGBB in native byte order, rows without padding:
// exactly the layout of a QImage of Format_RGB32, so the window wraps it without
// conversion and a rolling paint only stretches ready pixels.
#pragma once

#include "Result.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tessaly {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // width * height, row after row

    bool empty() const { return width <= 0 || height <= 0; }
    int bytesPerLine() const { return width * 4; }
    const unsigned char *bits() const { return reinterpret_cast<const unsigned char *>(pixels.data()); }
    std::size_t byteCount() const { return pixels.size() * sizeof(std::uint32_t); }
};

// The size a picture is decoded to. A box of 0 by 0 (or a side of 0) asks for
// the full picture.
struct DecodeBox {
    int width = 0;
    int height = 0;
};

// Pictures whose decoded size would pass this many pixels are refused, so a
// forged header cannot ask for gigabytes.
inline constexpr std::int64_t kMaxDecodedPixels = 64ll * 1024 * 1024;

// The smallest of the decoder's halvings (1/8, 1/4, 1/2, 1) that still gives at least
// box width by box height; the full size when even that is smaller than the box.
struct JpegScale {
    int num = 1;
    int denom = 1;
};
JpegScale chooseJpegScale(int jpegWidth, int jpegHeight, DecodeBox box);

// Decodes a JPEG held in memory, scaled by chooseJpegScale. A picture with a
// recoverable flaw (cut short, say) still decodes; one that cannot be read is
// an error with the decoder's message.
Result<RgbImage> decodeJpeg(std::span<const unsigned char> bytes, DecodeBox box = {});

// A decoder that keeps its libjpeg-turbo state from picture to picture, for
// loops that decode thousands (one per thread; not shared between threads).
class JpegDecoder {
public:
    JpegDecoder();
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder &) = delete;
    JpegDecoder &operator=(const JpegDecoder &) = delete;

    // Decodes as decodeJpeg does, into memory the caller provides: `room` is
    // asked for width * height pixels once the size is known (nullptr refuses
    // the picture). Returns the decoded size. `strict` refuses a picture with a
    // flaw the decoder only warns about (a file of our own that should have none).
    using Room = std::uint32_t *(*)(void *context, int width, int height);
    Result<DecodeBox> decodeInto(std::span<const unsigned char> bytes, DecodeBox box, Room room, void *context,
                                 bool strict = false);
    Result<RgbImage> decode(std::span<const unsigned char> bytes, DecodeBox box = {});

private:
    void *m_handle = nullptr;
};
Result<RgbImage> loadJpegFile(const std::filesystem::path &file, DecodeBox box = {});

// The picture encoded as a baseline JPEG (4:2:0) at a quality of 1 to 100.
Result<std::string> encodeJpeg(const RgbImage &image, int quality = 75);
// The same from pixels the caller holds (rows without padding).
Result<std::string> encodeJpegPixels(const std::uint32_t *pixels, int width, int height, int quality);
// Encodes and replaces the file atomically.
Status saveJpegFile(const std::filesystem::path &file, const RgbImage &image, int quality = 75);

// The picture stretched to a new size, bilinear (the import's resize).
RgbImage scaleImage(const RgbImage &image, int width, int height);
// The same stretch between buffers the caller holds (rows without padding).
void scalePixels(const std::uint32_t *source, int sourceWidth, int sourceHeight, std::uint32_t *target, int width,
                 int height);

// The size shrinkToCover gives a picture of width by height.
DecodeBox coverSize(int width, int height, DecodeBox box);

// The picture reduced to the smallest size of its own proportions that still
// covers the box; a picture already within that size comes back as it is.
RgbImage shrinkToCover(RgbImage image, DecodeBox box);

// A box shrunk, proportions kept, so that `pictures` pictures of its size fit
// in `budgetBytes` of pixels; a box within the budget comes back unchanged.
DecodeBox boxWithinBudget(DecodeBox box, int pictures, std::size_t budgetBytes);

}  // namespace tessaly
