#include "participants/Jpeg.h"

#include "files/FileIo.h"
#include "text/Gbk.h"

#include <turbojpeg.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>

namespace tessaly {

namespace {

// 0xffRRGGBB in native order: B G R A in memory on little-endian machines.
constexpr int kNativePixelFormat = std::endian::native == std::endian::little ? TJPF_BGRA : TJPF_ARGB;

struct HandleCloser {
    void operator()(void *handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, HandleCloser>;

Error decoderError(const std::string &what, tjhandle handle)
{
    std::string reason = handle ? tjGetErrorStr2(handle) : tjGetErrorStr2(nullptr);
    return makeError(ErrorCode::BadValue, utf8ToGbk(what) + ": " + reason);
}

}  // namespace

JpegScale chooseJpegScale(int jpegWidth, int jpegHeight, DecodeBox box)
{
    if (box.width <= 0 || box.height <= 0)
        return {1, 1};
    int count = 0;
    const tjscalingfactor *factors = tjGetScalingFactors(&count);
    JpegScale best{1, 1};
    // The factors come from the largest down; keep the last reduction that still covers the box.
    for (int i = 0; i < count; ++i) {
        const auto &f = factors[i];
        if (f.num > f.denom)
            continue;
        if (TJSCALED(jpegWidth, f) >= box.width && TJSCALED(jpegHeight, f) >= box.height) {
            if (static_cast<long>(f.num) * best.denom < static_cast<long>(best.num) * f.denom)
                best = {f.num, f.denom};
        }
    }
    return best;
}

Result<RgbImage> decodeJpeg(std::span<const unsigned char> bytes, DecodeBox box)
{
    if (bytes.empty())
        return makeError(ErrorCode::BadValue, utf8ToGbk("不是JPG图片"));
    TjHandle handle(tjInitDecompress());
    if (!handle)
        return decoderError("无法解码图片", nullptr);
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(handle.get(), bytes.data(), static_cast<unsigned long>(bytes.size()), &width, &height,
                            &subsampling, &colorspace) != 0)
        return decoderError("不是JPG图片", handle.get());
    if (width <= 0 || height <= 0)
        return makeError(ErrorCode::BadValue, utf8ToGbk("不是JPG图片"));
    const JpegScale scale = chooseJpegScale(width, height, box);
    const tjscalingfactor factor{scale.num, scale.denom};
    RgbImage image;
    image.width = TJSCALED(width, factor);
    image.height = TJSCALED(height, factor);
    if (static_cast<std::int64_t>(image.width) * image.height > kMaxDecodedPixels)
        return makeError(ErrorCode::BadValue, utf8ToGbk("图片太大"));
    image.pixels.assign(static_cast<size_t>(image.width) * static_cast<size_t>(image.height), 0xff000000u);
    const int rc = tjDecompress2(handle.get(), bytes.data(), static_cast<unsigned long>(bytes.size()),
                                 reinterpret_cast<unsigned char *>(image.pixels.data()), image.width,
                                 image.bytesPerLine(), image.height, kNativePixelFormat,
                                 TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE);
    // A warning (a picture cut short, a bad marker) still leaves a usable picture.
    if (rc != 0 && tjGetErrorCode(handle.get()) != TJERR_WARNING)
        return decoderError("图片无法解码", handle.get());
    return image;
}

Result<RgbImage> loadJpegFile(const std::filesystem::path &file, DecodeBox box)
{
    auto bytes = readFile(file);
    if (!bytes)
        return bytes.error();
    const auto &data = *bytes;
    return decodeJpeg(std::span(reinterpret_cast<const unsigned char *>(data.data()), data.size()), box);
}

Result<std::string> encodeJpeg(const RgbImage &image, int quality)
{
    if (image.empty() || image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
        return makeError(ErrorCode::BadInput, utf8ToGbk("图片为空"));
    TjHandle handle(tjInitCompress());
    if (!handle)
        return decoderError("无法编码图片", nullptr);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    const int rc = tjCompress2(handle.get(), image.bits(), image.width, image.bytesPerLine(), image.height,
                               kNativePixelFormat, &out, &size, TJSAMP_420, std::clamp(quality, 1, 100), 0);
    std::unique_ptr<unsigned char, decltype(&tjFree)> owned(out, &tjFree);
    if (rc != 0)
        return decoderError("无法编码图片", handle.get());
    return std::string(reinterpret_cast<const char *>(out), size);
}

Status saveJpegFile(const std::filesystem::path &file, const RgbImage &image, int quality)
{
    auto bytes = encodeJpeg(image, quality);
    if (!bytes)
        return bytes.error();
    return writeFileAtomic(file, *bytes);
}

RgbImage scaleImage(const RgbImage &image, int width, int height)
{
    RgbImage out;
    if (image.empty() || width <= 0 || height <= 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
        return out;
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    // Bilinear sampling at pixel centres in 16.16 fixed point; a shrink by more
    // than two is meant to follow a scaled decode, which did the coarse part.
    const std::int64_t stepX = (static_cast<std::int64_t>(image.width) << 16) / width;
    const std::int64_t stepY = (static_cast<std::int64_t>(image.height) << 16) / height;
    std::vector<int> x0s(static_cast<size_t>(width)), x1s(static_cast<size_t>(width)), wxs(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        const std::int64_t fx = std::clamp<std::int64_t>(stepX * x + stepX / 2 - 32768, 0,
                                                         static_cast<std::int64_t>(image.width - 1) << 16);
        x0s[static_cast<size_t>(x)] = static_cast<int>(fx >> 16);
        x1s[static_cast<size_t>(x)] = std::min(x0s[static_cast<size_t>(x)] + 1, image.width - 1);
        wxs[static_cast<size_t>(x)] = static_cast<int>((fx >> 8) & 0xff);
    }
    auto mix = [](std::uint32_t a, std::uint32_t b, int w) {
        // Red and blue together, then green: weights of 0 to 256.
        const std::uint32_t rb = ((a & 0xff00ffu) * static_cast<std::uint32_t>(256 - w) +
                                  (b & 0xff00ffu) * static_cast<std::uint32_t>(w)) >> 8;
        const std::uint32_t g = ((a & 0x00ff00u) * static_cast<std::uint32_t>(256 - w) +
                                 (b & 0x00ff00u) * static_cast<std::uint32_t>(w)) >> 8;
        return (rb & 0xff00ffu) | (g & 0x00ff00u);
    };
    for (int y = 0; y < height; ++y) {
        const std::int64_t fy = std::clamp<std::int64_t>(stepY * y + stepY / 2 - 32768, 0,
                                                         static_cast<std::int64_t>(image.height - 1) << 16);
        const int y0 = static_cast<int>(fy >> 16), y1 = std::min(y0 + 1, image.height - 1);
        const int wy = static_cast<int>((fy >> 8) & 0xff);
        const std::uint32_t *row0 = image.pixels.data() + static_cast<size_t>(y0) * static_cast<size_t>(image.width);
        const std::uint32_t *row1 = image.pixels.data() + static_cast<size_t>(y1) * static_cast<size_t>(image.width);
        std::uint32_t *dst = out.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int x = 0; x < width; ++x) {
            const size_t i0 = static_cast<size_t>(x0s[static_cast<size_t>(x)]);
            const size_t i1 = static_cast<size_t>(x1s[static_cast<size_t>(x)]);
            const int wx = wxs[static_cast<size_t>(x)];
            dst[x] = 0xff000000u | mix(mix(row0[i0], row0[i1], wx), mix(row1[i0], row1[i1], wx), wy);
        }
    }
    return out;
}

RgbImage shrinkToCover(RgbImage image, DecodeBox box)
{
    if (image.empty() || box.width <= 0 || box.height <= 0)
        return image;
    // The smallest size of the picture's own proportions that still covers the box.
    const double scale = std::max(static_cast<double>(box.width) / image.width,
                                  static_cast<double>(box.height) / image.height);
    if (scale >= 1.0)
        return image;
    const int width = std::max(box.width, static_cast<int>(std::ceil(image.width * scale)));
    const int height = std::max(box.height, static_cast<int>(std::ceil(image.height * scale)));
    if (width >= image.width && height >= image.height)
        return image;
    return scaleImage(image, std::min(width, image.width), std::min(height, image.height));
}

DecodeBox boxWithinBudget(DecodeBox box, int pictures, std::size_t budgetBytes)
{
    if (box.width <= 0 || box.height <= 0 || pictures <= 0)
        return box;
    const double bytes = 4.0 * box.width * box.height * pictures;
    if (bytes <= static_cast<double>(budgetBytes))
        return box;
    const double scale = std::sqrt(static_cast<double>(budgetBytes) / bytes);
    return {std::max(1, static_cast<int>(box.width * scale)), std::max(1, static_cast<int>(box.height * scale))};
}

}  // namespace tessaly
