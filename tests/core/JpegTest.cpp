#include "TempProgramDir.h"

#include "core/participants/Jpeg.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::TempProgramDir;

// Left half red, right half blue: flat areas survive JPEG nearly exactly.
RgbImage halves(int width, int height)
{
    RgbImage image{width, height, std::vector<std::uint32_t>(static_cast<size_t>(width * height))};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.pixels[static_cast<size_t>(y * width + x)] = x < width / 2 ? 0xffff0000u : 0xff0000ffu;
    return image;
}

std::span<const unsigned char> bytesOf(const std::string &s)
{
    return {reinterpret_cast<const unsigned char *>(s.data()), s.size()};
}

bool near(std::uint32_t pixel, std::uint32_t want)
{
    for (int shift : {0, 8, 16, 24}) {
        const int a = static_cast<int>((pixel >> shift) & 0xff), b = static_cast<int>((want >> shift) & 0xff);
        if (std::abs(a - b) > 12)
            return false;
    }
    return true;
}

TEST(Jpeg, ScaledDecodeIsTheSmallestThatStillCoversTheBox)
{
    struct Case {
        int width, height;
        DecodeBox box;
        int wantWidth, wantHeight;
    };
    const Case cases[] = {
        {1600, 1200, {400, 300}, 400, 300},   // exactly a quarter
        {1600, 1200, {401, 300}, 800, 600},   // a pixel more needs a half
        {1600, 1200, {200, 300}, 400, 300},   // the taller side decides
        {1600, 1200, {0, 0}, 1600, 1200},     // no box: full size
        {1600, 1200, {100, 0}, 1600, 1200},   // half a box is no box
        {400, 300, {800, 600}, 400, 300},     // never enlarged
        {1600, 1200, {801, 600}, 1600, 1200}, // past a half: the full size
        {1600, 1200, {1, 1}, 200, 150},       // never below an eighth
        {1601, 1201, {200, 150}, 201, 151},   // sizes round up
    };
    for (const auto &c : cases) {
        const JpegScale s = chooseJpegScale(c.width, c.height, c.box);
        EXPECT_EQ((c.width * s.num + s.denom - 1) / s.denom, c.wantWidth) << c.width << " to " << c.box.width;
        EXPECT_EQ((c.height * s.num + s.denom - 1) / s.denom, c.wantHeight) << c.height << " to " << c.box.height;
    }
}

TEST(Jpeg, EncodedPictureDecodesToRgb32PixelsAtTheScaledSize)
{
    auto encoded = encodeJpeg(halves(64, 48), 95);
    ASSERT_TRUE(encoded.ok());
    auto full = decodeJpeg(bytesOf(*encoded));
    ASSERT_TRUE(full.ok()) << full.error().message;
    EXPECT_EQ(full->width, 64);
    EXPECT_EQ(full->height, 48);
    EXPECT_TRUE(near(full->pixels[5 * 64 + 3], 0xffff0000u)) << std::hex << full->pixels[5 * 64 + 3];
    EXPECT_TRUE(near(full->pixels[5 * 64 + 60], 0xff0000ffu)) << std::hex << full->pixels[5 * 64 + 60];

    auto half = decodeJpeg(bytesOf(*encoded), {32, 24});
    ASSERT_TRUE(half.ok());
    EXPECT_EQ(half->width, 32);
    EXPECT_EQ(half->height, 24);
    EXPECT_EQ(half->pixels.size(), 32u * 24u);
    for (std::uint32_t p : half->pixels)
        ASSERT_EQ(p >> 24, 0xffu) << "every pixel opaque, as RGB32 wants";
}

TEST(Jpeg, FilesRoundTripAndBrokenOnesAreRefusedOrSalvaged)
{
    TempProgramDir dir;
    ASSERT_TRUE(saveJpegFile(dir / "a.jpg", halves(40, 30), 90).ok());
    auto loaded = loadJpegFile(dir / "a.jpg");
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded->width, 40);

    const std::string good = dir.read("a.jpg");
    RgbImage busy = halves(320, 240);
    for (size_t i = 0; i < busy.pixels.size(); ++i)
        busy.pixels[i] ^= static_cast<std::uint32_t>(i * 2654435761u) & 0x00ffffffu;
    const std::string large = *encodeJpeg(busy, 90);
    struct Case {
        const char *what;
        std::string bytes;
        bool decodes;
    };
    std::string hugeHeader = good;
    // The SOF0 marker carries height and width; claim 65000 by 65000.
    const auto sof = hugeHeader.find("\xff\xc0");
    ASSERT_NE(sof, std::string::npos);
    hugeHeader[sof + 5] = hugeHeader[sof + 7] = static_cast<char>(0xfd);
    hugeHeader[sof + 6] = hugeHeader[sof + 8] = static_cast<char>(0xe8);
    const Case cases[] = {
        {"empty", "", false},
        {"not a picture", "hello, world", false},
        {"only the start marker", "\xff\xd8\xff", false},
        {"cut in the middle of the data", large.substr(0, large.size() * 2 / 3), true},
        {"a header asking for gigapixels", hugeHeader, false},
    };
    for (const auto &c : cases) {
        auto decoded = decodeJpeg(bytesOf(c.bytes));
        EXPECT_EQ(decoded.ok(), c.decodes) << c.what;
        if (!decoded.ok()) {
            EXPECT_FALSE(decoded.error().message.empty()) << c.what;
        }
    }
    EXPECT_EQ(loadJpegFile(dir / "missing.jpg").code(), ErrorCode::FileMissing);
}

TEST(Jpeg, ResizeKeepsFlatColoursAndTheRequestedSize)
{
    const RgbImage scaled = scaleImage(halves(100, 50), 10, 20);
    EXPECT_EQ(scaled.width, 10);
    EXPECT_EQ(scaled.height, 20);
    EXPECT_EQ(scaled.pixels[0], 0xffff0000u);
    EXPECT_EQ(scaled.pixels[9], 0xff0000ffu);
    EXPECT_TRUE(scaleImage(halves(4, 4), 0, 3).empty());
    // A mid-grey between the halves: bilinear, not nearest.
    const RgbImage two = scaleImage(halves(2, 1), 3, 1);
    EXPECT_NEAR(static_cast<int>(two.pixels[1] & 0xffu), 127, 2);
    EXPECT_TRUE(scaleImage(RgbImage{}, 3, 3).empty());
}

TEST(Jpeg, DecodedPhotosAreReducedToCoverTheBoxWithinTheBudget)
{
    struct Case {
        int width, height;
        DecodeBox box;
        int wantWidth, wantHeight;
    };
    const Case cases[] = {
        {600, 450, {423, 317}, 423, 318},  // down to the box, proportions kept
        {400, 300, {400, 300}, 400, 300},  // already the box
        {300, 225, {400, 300}, 300, 225},  // smaller than the box: never enlarged
        {600, 300, {200, 200}, 400, 200},  // proportions kept, the box covered
        {600, 450, {0, 0}, 600, 450},      // no box
    };
    for (const auto &c : cases) {
        const RgbImage out = shrinkToCover(halves(c.width, c.height), c.box);
        EXPECT_EQ(out.width, c.wantWidth) << c.width << "x" << c.height;
        EXPECT_EQ(out.height, c.wantHeight) << c.width << "x" << c.height;
    }
    // 2,001 pictures of 480x360 would need 1.3 GiB: the box shrinks to fit 1 GiB.
    const DecodeBox fitted = boxWithinBudget({480, 360}, 2001, std::size_t(1) << 30);
    EXPECT_LE(4.0 * fitted.width * fitted.height * 2001, static_cast<double>(std::size_t(1) << 30));
    EXPECT_GT(fitted.width, 400);
    EXPECT_NEAR(static_cast<double>(fitted.width) / fitted.height, 480.0 / 360.0, 0.01);
    EXPECT_EQ(boxWithinBudget({400, 300}, 2001, std::size_t(1) << 30).width, 400);
}

}  // namespace
}  // namespace tessaly
