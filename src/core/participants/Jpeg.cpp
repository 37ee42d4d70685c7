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
    if (image.empty() || width <= 0 || height <= 0)
        return out;
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    // Bilinear sampling at pixel centres; a shrink by more than two is meant to
    // follow a scaled decode, which already did the coarse reduction.
    const double sx = static_cast<double>(image.width) / width, sy = static_cast<double>(image.height) / height;
    auto channel = [](std::uint32_t p, int shift) { return static_cast<double>((p >> shift) & 0xffu); };
    for (int y = 0; y < height; ++y) {
        const double fy = std::clamp((y + 0.5) * sy - 0.5, 0.0, static_cast<double>(image.height - 1));
        const int y0 = static_cast<int>(fy), y1 = std::min(y0 + 1, image.height - 1);
        const double wy = fy - y0;
        for (int x = 0; x < width; ++x) {
            const double fx = std::clamp((x + 0.5) * sx - 0.5, 0.0, static_cast<double>(image.width - 1));
            const int x0 = static_cast<int>(fx), x1 = std::min(x0 + 1, image.width - 1);
            const double wx = fx - x0;
            const auto at = [&](int px, int py) {
                return image.pixels[static_cast<size_t>(py) * static_cast<size_t>(image.width) + static_cast<size_t>(px)];
            };
            const std::uint32_t a = at(x0, y0), b = at(x1, y0), c = at(x0, y1), d = at(x1, y1);
            std::uint32_t pixel = 0xff000000u;
            for (int shift : {0, 8, 16}) {
                const double top = channel(a, shift) * (1 - wx) + channel(b, shift) * wx;
                const double bottom = channel(c, shift) * (1 - wx) + channel(d, shift) * wx;
                const auto v = static_cast<std::uint32_t>(std::lround(top * (1 - wy) + bottom * wy));
                pixel |= std::min(v, 255u) << shift;
            }
            out.pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = pixel;
        }
    }
    return out;
}

}  // namespace tessaly
