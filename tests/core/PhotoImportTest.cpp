#include "TempProgramDir.h"

#include "core/participants/Jpeg.h"
#include "core/participants/PhotoImport.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::TempProgramDir;
namespace fs = std::filesystem;

RgbImage picture(int w, int h)
{
    RgbImage img;
    img.width = w;
    img.height = h;
    img.pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (size_t i = 0; i < img.pixels.size(); ++i)
        img.pixels[i] = 0xff000000u | static_cast<std::uint32_t>(i * 2654435761u % 0xffffff);
    return img;
}

std::vector<std::string> names(const std::vector<fs::path> &files)
{
    std::vector<std::string> out;
    for (const auto &f : files)
        out.push_back(f.filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

TEST(PhotoImport, ListsClearsAndCopiesOnlyJpegFiles)
{
    TempProgramDir dir;
    dir.write("src/Li.jpg", "a");
    dir.write("src/Wang.JPG", "b");
    dir.write("src/readme.txt", "c");
    fs::create_directories(dir / "src/x.jpg");
    EXPECT_EQ(names(listJpegFiles(dir / "src")), (std::vector<std::string>{"Li.jpg", "Wang.JPG"}));

    dir.write("photo/old.jpg", "o");
    dir.write("photo/keep.txt", "k");
    ASSERT_TRUE(clearPhotoFolder(dir.path()).ok());
    EXPECT_FALSE(dir.exists("photo/old.jpg"));
    EXPECT_TRUE(dir.exists("photo/keep.txt"));

    ASSERT_TRUE(copyPhotos(listJpegFiles(dir / "src"), dir.path()).ok());
    EXPECT_EQ(dir.read("photo/Wang.JPG"), "b");
    EXPECT_FALSE(copyPhotos({dir / "src/missing.jpg"}, dir.path()).ok());
}

TEST(PhotoImport, ConvertsToTheSizeOnEveryCoreAndNamesTheFailures)
{
    TempProgramDir dir;
    fs::create_directories(dir / "src");
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(saveJpegFile(dir / ("src/p" + std::to_string(i) + ".jpg"), picture(320, 240)).ok());
    dir.write("src/broken.jpg", "not a picture");
    auto files = listJpegFiles(dir / "src");
    std::sort(files.begin(), files.end());
    for (int threads : {1, 3}) {
        std::vector<size_t> seen;
        auto failures = convertPhotos(files, dir.path(), 100, 75, threads, [&](size_t done) { seen.push_back(done); });
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(failures[0].source.filename(), "broken.jpg");
        EXPECT_FALSE(failures[0].message.empty());
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back(), files.size());
        for (int i = 0; i < 6; ++i) {
            auto out = loadJpegFile(dir / ("photo/p" + std::to_string(i) + ".jpg"));
            ASSERT_TRUE(out.ok());
            EXPECT_EQ(out->width, 100);
            EXPECT_EQ(out->height, 75);
        }
    }
    EXPECT_EQ(convertPhotos(files, dir.path(), 0, 75).size(), files.size());
}

}  // namespace
}  // namespace tessaly
