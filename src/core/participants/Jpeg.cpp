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
        // Only the halvings (1/2, 1/4, 1/8) and the full size: the decoder has fast
        // paths for them, and a 3/8 decode plus a reduction measured slower than a
        // 1/2 decode plus the same reduction.
        if (f.num > f.denom || (f.num != 1 && f.num != f.denom))
            continue;
        if (TJSCALED(jpegWidth, f) >= box.width && TJSCALED(jpegHeight, f) >= box.height) {
            if (static_cast<long>(f.num) * best.denom < static_cast<long>(best.num) * f.denom)
                best = {f.num, f.denom};
        }
    }
    return best;
}

JpegDecoder::JpegDecoder() : m_handle(tjInitDecompress()) {}

JpegDecoder::~JpegDecoder()
{
    if (m_handle)
        tjDestroy(m_handle);
}

Result<DecodeBox> JpegDecoder::decodeInto(std::span<const unsigned char> bytes, DecodeBox box, Room room,
                                          void *context, bool strict)
{
    if (!m_handle)
        return decoderError("无法解码图片", nullptr);
    if (bytes.empty())
        return makeError(ErrorCode::BadValue, utf8ToGbk("不是JPG图片"));
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(m_handle, bytes.data(), static_cast<unsigned long>(bytes.size()), &width, &height,
                            &subsampling, &colorspace) != 0)
        return decoderError("不是JPG图片", m_handle);
    if (width <= 0 || height <= 0)
        return makeError(ErrorCode::BadValue, utf8ToGbk("不是JPG图片"));
    const JpegScale scale = chooseJpegScale(width, height, box);
    const tjscalingfactor factor{scale.num, scale.denom};
    const DecodeBox size{TJSCALED(width, factor), TJSCALED(height, factor)};
    if (static_cast<std::int64_t>(size.width) * size.height > kMaxDecodedPixels)
        return makeError(ErrorCode::BadValue, utf8ToGbk("图片太大"));
    std::uint32_t *pixels = room(context, size.width, size.height);
    if (!pixels)
        return makeError(ErrorCode::BadValue, utf8ToGbk("图片太大"));
    // The decoder writes every pixel, alpha included (0xff), so the room needs no clearing.
    const int rc = tjDecompress2(m_handle, bytes.data(), static_cast<unsigned long>(bytes.size()),
                                 reinterpret_cast<unsigned char *>(pixels), size.width, size.width * 4, size.height,
                                 kNativePixelFormat, TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE);
    // A warning (a picture cut short, a bad marker) still leaves a usable picture.
    if (rc != 0 && (strict || tjGetErrorCode(m_handle) != TJERR_WARNING))
        return decoderError("图片无法解码", m_handle);
    return size;
}

Result<RgbImage> JpegDecoder::decode(std::span<const unsigned char> bytes, DecodeBox box)
{
    RgbImage image;
    auto room = [](void *context, int width, int height) -> std::uint32_t * {
        auto *target = static_cast<RgbImage *>(context);
        target->width = width;
        target->height = height;
        // Filled opaque black, so that rows a damaged picture leaves undecoded are still opaque.
        target->pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0xff000000u);
        return target->pixels.data();
    };
    auto decoded = decodeInto(bytes, box, room, &image);
    if (!decoded)
        return decoded.error();
    return image;
}

Result<RgbImage> decodeJpeg(std::span<const unsigned char> bytes, DecodeBox box)
{
    JpegDecoder decoder;
    return decoder.decode(bytes, box);
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
    return encodeJpegPixels(image.pixels.data(), image.width, image.height, quality);
}

Result<std::string> encodeJpegPixels(const std::uint32_t *pixels, int width, int height, int quality)
{
    if (!pixels || width <= 0 || height <= 0)
        return makeError(ErrorCode::BadInput, utf8ToGbk("图片为空"));
    TjHandle handle(tjInitCompress());
    if (!handle)
        return decoderError("无法编码图片", nullptr);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    const int rc = tjCompress2(handle.get(), reinterpret_cast<const unsigned char *>(pixels), width, width * 4, height,
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

void scalePixels(const std::uint32_t *source, int sourceWidth, int sourceHeight, std::uint32_t *target, int width,
                 int height)
{
    if (!source || !target || sourceWidth <= 0 || sourceHeight <= 0 || width <= 0 || height <= 0)
        return;
    // Bilinear sampling at pixel centres in 16.16 fixed point; a shrink by more
    // than two is meant to follow a scaled decode, which did the coarse part.
    const std::int64_t stepX = (static_cast<std::int64_t>(sourceWidth) << 16) / width;
    const std::int64_t stepY = (static_cast<std::int64_t>(sourceHeight) << 16) / height;
    std::vector<int> x0s(static_cast<size_t>(width)), x1s(static_cast<size_t>(width)), wxs(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        const std::int64_t fx = std::clamp<std::int64_t>(stepX * x + stepX / 2 - 32768, 0,
                                                         static_cast<std::int64_t>(sourceWidth - 1) << 16);
        x0s[static_cast<size_t>(x)] = static_cast<int>(fx >> 16);
        x1s[static_cast<size_t>(x)] = std::min(x0s[static_cast<size_t>(x)] + 1, sourceWidth - 1);
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
    // Each output row: the two source rows blended first, along their whole
    // length (a straight pass the compiler can widen), then sampled across.
    std::vector<std::uint32_t> blended(static_cast<size_t>(sourceWidth));
    for (int y = 0; y < height; ++y) {
        const std::int64_t fy = std::clamp<std::int64_t>(stepY * y + stepY / 2 - 32768, 0,
                                                         static_cast<std::int64_t>(sourceHeight - 1) << 16);
        const int y0 = static_cast<int>(fy >> 16), y1 = std::min(y0 + 1, sourceHeight - 1);
        const int wy = static_cast<int>((fy >> 8) & 0xff);
        const std::uint32_t *row0 = source + static_cast<size_t>(y0) * static_cast<size_t>(sourceWidth);
        const std::uint32_t *row1 = source + static_cast<size_t>(y1) * static_cast<size_t>(sourceWidth);
        std::uint32_t *mixed = blended.data();
        for (int x = 0; x < sourceWidth; ++x)
            mixed[x] = mix(row0[x], row1[x], wy);
        std::uint32_t *dst = target + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int x = 0; x < width; ++x) {
            const size_t i0 = static_cast<size_t>(x0s[static_cast<size_t>(x)]);
            const size_t i1 = static_cast<size_t>(x1s[static_cast<size_t>(x)]);
            dst[x] = 0xff000000u | mix(mixed[i0], mixed[i1], wxs[static_cast<size_t>(x)]);
        }
    }
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
    scalePixels(image.pixels.data(), image.width, image.height, out.pixels.data(), width, height);
    return out;
}

DecodeBox coverSize(int width, int height, DecodeBox box)
{
    if (width <= 0 || height <= 0 || box.width <= 0 || box.height <= 0)
        return {width, height};
    // The smallest size of the picture's own proportions that still covers the box.
    const double scale = std::max(static_cast<double>(box.width) / width, static_cast<double>(box.height) / height);
    if (scale >= 1.0)
        return {width, height};
    return {std::min(width, std::max(box.width, static_cast<int>(std::ceil(width * scale)))),
            std::min(height, std::max(box.height, static_cast<int>(std::ceil(height * scale))))};
}

RgbImage shrinkToCover(RgbImage image, DecodeBox box)
{
    const DecodeBox size = coverSize(image.width, image.height, box);
    if (image.empty() || (size.width >= image.width && size.height >= image.height))
        return image;
    return scaleImage(image, size.width, size.height);
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
