#include "DrawFixtures.h"

#include "core/participants/Jpeg.h"
#include "core/participants/PhotoTable.h"
#include "core/settings/AwardTable.h"
#include "core/text/Lines.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::DrawFolder;
using test::G;
using test::kSpace;
using test::Program;
using test::TempProgramDir;

std::string jpegOf(int width, int height, std::uint32_t colour)
{
    RgbImage image{width, height, std::vector<std::uint32_t>(static_cast<size_t>(width * height), colour)};
    return *encodeJpeg(image, 90);
}

void writePhotos(const TempProgramDir &dir, const std::vector<std::string> &files, int width = 64, int height = 48)
{
    for (const auto &f : files)
        dir.write("photo/" + f, jpegOf(width, height, 0xff336699u));
}

std::vector<std::string> sortedLines(const std::string &bytes)
{
    auto lines = splitLines(bytes);
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST(PhotoMode, SwitchingStoresTheModeRebuildsTheListAndWaitsForTheLoad)
{
    DrawFolder dir(10, {{"奖", 2, 1, "2"}}, "onerun=0\r\n");
    writePhotos(dir, {"Li.jpg", "Wang.JPG", "Zhao.jpg"});
    Program run(dir);

    DrawOutcome photo = run.session.switchPhotoMode(true);
    EXPECT_EQ(dir.option("ispho"), "1");
    EXPECT_EQ(sortedLines(dir.read("data.txt")), (std::vector<std::string>{"Li", "Wang", "Zhao"}));
    EXPECT_EQ(run.session.lists().size(), 3u);
    EXPECT_TRUE(photo.has(StageAction::ClearSlots));
    EXPECT_TRUE(photo.has(StageAction::ShowPhotoPrompt));
    EXPECT_FALSE(photo.has(StageAction::LoadPhotos)) << "the operator's 加载 decodes, not the switch";
    EXPECT_EQ(run.session.captions().GoButton, G("加载"));
    EXPECT_TRUE(run.session.flags().PhotoMode);
    EXPECT_TRUE(run.session.switchPhotoMode(true).actions.empty()) << "already in photo mode";

    run.session.setPhotosLoaded(true);
    EXPECT_EQ(run.session.captions().GoButton, G("开始"));
    DrawOutcome text = run.session.switchPhotoMode(false);
    EXPECT_EQ(dir.option("ispho"), "0");
    EXPECT_FALSE(text.has(StageAction::ShowPhotoPrompt));
    EXPECT_EQ(run.session.captions().GoButton, G("开始"));

    // Back to photo mode: the photos were freed with the switch, so 加载 is offered again.
    run.session.switchPhotoMode(true);
    EXPECT_EQ(run.session.captions().GoButton, G("加载"));
    EXPECT_FALSE(run.session.photosLoaded());
    EXPECT_TRUE(run.session.FormKeyUp(kSpace).has(StageAction::LoadPhotos));
    EXPECT_FALSE(run.session.flags().Rolling);
}

TEST(PhotoMode, SwitchingDuringARollRecordsTheBatchFirst)
{
    DrawFolder dir(10, {{"奖", 2, 1, "2"}});
    writePhotos(dir, {"A.jpg"});
    Program run(dir);
    run.session.FormKeyUp(kSpace);
    ASSERT_TRUE(run.session.flags().Rolling);
    DrawOutcome out = run.session.switchPhotoMode(true);
    EXPECT_TRUE(out.has(StageAction::StopTimers));
    EXPECT_FALSE(run.session.flags().Rolling);
    EXPECT_NE(dir.read("log.txt").find("P"), std::string::npos) << "the stopped batch reached the history";
}

TEST(PhotoMode, AVanishedPhotoRebuildsTheListOnlyBeforeAnyoneIsDrawn)
{
    struct Case {
        const char *what;
        bool drawFirst;
        bool rescanned;
        size_t entriesAfter;
    };
    const Case cases[] = {
        {"nobody drawn: list rebuilt from the folder", false, true, 3},
        {"winners recorded: the list and its indices stay", true, false, 4},
    };
    for (const auto &c : cases) {
        DrawFolder dir(0, {{"奖", 1, 1, "1"}}, "onerun=0\r\n");
        writePhotos(dir, {"A.jpg", "B.jpg", "C.jpg", "D.jpg"});
        Program run(dir);
        run.session.switchPhotoMode(true);
        run.session.setPhotosLoaded(true);
        if (c.drawFirst)
            run.batch();
        std::filesystem::remove(dir / "photo/B.jpg");
        EXPECT_EQ(missingPhotos(dir.path(), run.session.lists().NameList).size(), 1u) << c.what;
        bool rescanned = false;
        DrawOutcome out = run.session.rescanPhotoFolder(rescanned);
        EXPECT_EQ(rescanned, c.rescanned) << c.what;
        EXPECT_EQ(run.session.lists().size(), c.entriesAfter) << c.what;
        EXPECT_EQ(test::mentions(out, "参选图片已有改变，将重新加载图片，可能需要几分钟，请耐心等待"), c.rescanned)
            << c.what;
        EXPECT_FALSE(out.has(StageAction::LoadPhotos)) << c.what;
        for (int entry : run.session.PoolList())
            EXPECT_LT(entry, static_cast<int>(run.session.lists().size())) << c.what;
    }
}

TEST(PhotoMode, LoadDecodesEveryPhotoAtTheBoxAndListsWhatFailed)
{
    TempProgramDir dir;
    writePhotos(dir, {"a.jpg", "b.JPG", "c.jpg"}, 160, 120);
    dir.write("photo/broken.jpg", "not a picture");
    const std::vector<std::string> names = {"a", "broken", "b", "missing", "c"};
    EXPECT_EQ(missingPhotos(dir.path(), names), (std::vector<int>{3}));
    for (int threads : {1, 3, 8}) {
        PhotoTable table;
        std::atomic<int> progress{0};
        const auto failures = table.load(dir.path(), names, {40, 30}, threads, &progress);
        EXPECT_EQ(progress.load(), 5) << threads;
        EXPECT_EQ(table.size(), 5) << threads;
        EXPECT_EQ(table.count(), 3) << threads;
        ASSERT_EQ(failures.size(), 2u) << threads;
        EXPECT_EQ(failures[0].index, 1);
        EXPECT_EQ(failures[0].file, "broken.jpg");
        EXPECT_EQ(failures[1].file, "missing.jpg");
        EXPECT_FALSE(failures[1].reason.empty());
        EXPECT_EQ(table.photo(1), nullptr);
        EXPECT_EQ(table.photo(5), nullptr);
        ASSERT_NE(table.photo(2), nullptr) << "b.JPG found without regard to case";
        EXPECT_EQ(table.photo(2)->width, 40) << "decoded at a quarter, the smallest that covers 40 by 30";
        EXPECT_EQ(table.photo(4)->height, 30);
    }
    PhotoTable cancelled;
    std::atomic<bool> cancel{true};
    cancelled.load(dir.path(), names, {}, 2, nullptr, &cancel);
    EXPECT_EQ(cancelled.count(), 0);
}

TEST(PhotoMode, APhotoTheDecoderCannotBringDownToTheBoxIsReducedIntoTheTable)
{
    TempProgramDir dir;
    writePhotos(dir, {"a.jpg", "b.jpg", "c.jpg"}, 160, 120);
    const std::vector<std::string> names = {"a", "b", "c"};
    struct Case {
        DecodeBox box;
        int width, height;
        const char *what;
    };
    const Case cases[] = {
        {{80, 60}, 80, 60, "a half: decoded straight into the table"},
        {{50, 30}, 50, 38, "a half leaves 80 by 60: reduced to the smallest that covers the box"},
        {{0, 0}, 160, 120, "no box: the full picture"},
    };
    for (const auto &c : cases) {
        for (int threads : {1, 2}) {
            PhotoTable table;
            EXPECT_TRUE(table.load(dir.path(), names, c.box, threads).empty()) << c.what;
            for (int i = 0; i < 3; ++i) {
                const PhotoView *p = table.photo(i);
                ASSERT_NE(p, nullptr) << c.what;
                EXPECT_EQ(p->width, c.width) << c.what;
                EXPECT_EQ(p->height, c.height) << c.what;
                // Opaque throughout: every pixel was written, none left from the memory's last use.
                for (int k = 0; k < p->width * p->height; ++k)
                    ASSERT_EQ(p->pixels[k] >> 24, 0xffu) << c.what << " pixel " << k;
            }
            EXPECT_EQ(table.byteCount(), 3u * static_cast<size_t>(c.width * c.height) * 4) << c.what;
            // Moved, the pictures stay where they are.
            const PhotoView *before = table.photo(1);
            PhotoTable moved = std::move(table);
            EXPECT_EQ(moved.photo(1), before) << c.what;
            EXPECT_EQ(moved.photo(1)->pixels[0] >> 24, 0xffu) << c.what;
        }
    }
}

TEST(PhotoMode, PixelBlocksHandOutSeparateAlignedRoom)
{
    PixelBlocks blocks;
    EXPECT_EQ(blocks.allocate(0), nullptr);
    std::vector<std::pair<std::uint32_t *, size_t>> given;
    // Small pieces, one larger than a whole block, then small ones again.
    for (size_t count : {size_t(1), size_t(7), size_t(120000), size_t(20) << 20, size_t(3), size_t(480000)}) {
        std::uint32_t *room = blocks.allocate(count);
        ASSERT_NE(room, nullptr) << count;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(room) % 64, 0u) << count;
        room[0] = 0xff000000u | static_cast<std::uint32_t>(count);
        room[count - 1] = 0xff000000u | static_cast<std::uint32_t>(count);
        given.push_back({room, count});
    }
    for (size_t i = 0; i < given.size(); ++i) {
        EXPECT_EQ(given[i].first[0], 0xff000000u | static_cast<std::uint32_t>(given[i].second)) << i;
        for (size_t j = 0; j < given.size(); ++j) {
            if (i != j) {
                EXPECT_TRUE(given[i].first + given[i].second <= given[j].first ||
                            given[j].first + given[j].second <= given[i].first)
                    << i << " overlaps " << j;
            }
        }
    }
    EXPECT_GE(blocks.reservedBytes(), (size_t(20) << 20) * 4);
    PixelBlocks moved = std::move(blocks);
    EXPECT_EQ(blocks.reservedBytes(), 0u);
    EXPECT_EQ(given[2].first[0], 0xff000000u | 120000u);
}

TEST(PhotoMode, PhotosAreDecodedForTheLargestSlotOfTheAwards)
{
    TempProgramDir dir;
    // Batches of 1 and 5; the layout of 1 is stored for this screen, that of 5 for another,
    // which a stage not fitted to the screen arranges anew.
    dir.write("set.dat", "[Option]\r\nfitscreen=0\r\n"
                         "[1phoall]\r\nWidth=500\r\nHeight=200\r\nscreen=1920*1080\r\n"
                         "[5phoall]\r\nWidth=900\r\nHeight=900\r\nscreen=800*600\r\n"
                         "[0phoautoset]\r\n5=5|10|100|10|300|350|clWhite|10|x|[]\r\n");
    AwardTable awards;
    awards.AwardCount = 2;
    awards[0].batchCount = 1;
    awards[0].batchDetail = "1";
    awards[0].winners = 1;
    awards[1].batchCount = 1;
    awards[1].batchDetail = "5";
    awards[1].winners = 5;
    auto store = IniStore::open(dir / "set.dat");
    const DecodeBox box = photoDecodeBox(*store, awards, 1920, 1080, "1920*1080");
    EXPECT_EQ(box.width, 500);
    EXPECT_EQ(box.height, 350);
    const DecodeBox small = photoDecodeBox(*store, awards, 320, 240, "1920*1080");
    EXPECT_LE(small.width, 320);
    EXPECT_LE(small.height, 240);
}

TEST(PhotoMode, PhotosAreDecodedForTheSlotsAsTheyAreShownOnThisScreen)
{
    // A batch of 20 arranged on a 1920x1080 screen with slots of 400x300.
    struct Case {
        int width, height;
        bool fit;
        DecodeBox expected;
        double pixelRatio = 1.0;
    };
    const Case cases[] = {
        {1920, 1080, true, {400, 300}},
        {3840, 2160, true, {800, 600}},   // twice the size: decoded twice as large, not stretched
        {2560, 1440, true, {533, 400}},
        {1024, 768, true, {213, 160}},    // the smaller of the width and height factors
        {3840, 1080, true, {400, 300}},   // wider only: the slots keep their size
        {5760, 1080, true, {400, 300}},
        {3840, 2160, false, {300, 350}},  // not fitted: arranged anew with the default slots
        {1920, 1080, false, {400, 300}},
        {1920, 1080, true, {800, 600}, 2.0},  // a 4K screen of 1920x1080 logical pixels
        {1280, 720, true, {401, 300}, 1.5},  // 267x200 logical
    };
    AwardTable awards;
    awards.AwardCount = 1;
    awards[0].batchCount = 1;
    awards[0].batchDetail = "20";
    awards[0].winners = 20;
    for (const Case &c : cases) {
        TempProgramDir dir;
        dir.write("set.dat", std::string("[Option]\r\nfitscreen=") + (c.fit ? "1" : "0") +
                                 "\r\n[20phoall]\r\nWidth=400\r\nHeight=300\r\nscreen=1920*1080\r\n"
                                 "[0phoautoset]\r\n20=5|10|20|10|300|350|clWhite|10|x|[]\r\n");
        auto store = IniStore::open(dir / "set.dat");
        const std::string screen = std::to_string(c.width) + "*" + std::to_string(c.height);
        const DecodeBox box = photoDecodeBox(*store, awards, c.width, c.height, screen, c.pixelRatio);
        EXPECT_EQ(box.width, c.expected.width) << screen << " fit " << c.fit << " ratio " << c.pixelRatio;
        EXPECT_EQ(box.height, c.expected.height) << screen << " fit " << c.fit << " ratio " << c.pixelRatio;
    }
}

TEST(PhotoMode, RollingPaintsPickOnlyEntriesStillInPlay)
{
    MtRandom random(3);
    const std::vector<int> pool = {7, 8, 9, 10, 11};
    for (int round = 0; round < 50; ++round)
        for (int entry : pickRollingPhotos(pool, 3, 20, random))
            ASSERT_TRUE(entry == 7 || entry == 8 || entry == 9) << entry;
    EXPECT_EQ(pickRollingPhotos(pool, 3, 20, random).size(), 20u);
    EXPECT_TRUE(pickRollingPhotos(pool, 0, 20, random).empty());
    EXPECT_TRUE(pickRollingPhotos({}, 4, 20, random).empty());
    EXPECT_EQ(pickRollingPhotos(pool, 99, 2, random).size(), 2u) << "a roll count beyond the pool is cut to it";
}

}  // namespace
}  // namespace tessaly
