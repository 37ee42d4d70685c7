#include "TempProgramDir.h"

#include "core/stage/PhotoGrid.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::G;
using test::TempProgramDir;

TEST(PhotoGrid, SlotsFillRowsCentredOnTheStage)
{
    struct Case {
        const char *what;
        PhotoGridSpec spec;
        int n, stageWidth;
        std::vector<std::pair<int, SlotPosition>> expected;  // slot number, position
    };
    const Case cases[] = {
        {"seven in three columns: three rows, step 170, margin 202",
         {3, 10, 50, 20, 200, 150}, 7, 1024,
         {{1, {202, 50}}, {3, {622, 50}}, {4, {202, 220}}, {7, {202, 390}}}},
        {"two in one column touch: no row gap", {1, 30, 40, 30, 200, 150}, 2, 1024, {{1, {412, 40}}, {2, {412, 190}}}},
        {"one row leaves out the row gap", {5, 10, 100, 50, 100, 80}, 5, 1000, {{1, {230, 100}}, {5, {670, 100}}}},
        {"three in one column keep the gap", {1, 0, 0, 5, 10, 10}, 3, 100, {{2, {45, 15}}, {3, {45, 30}}}},
        {"a margin of .5 rounds to even", {1, 0, 0, 0, 101, 10}, 1, 1024, {{1, {462, 0}}}},
        {"a margin of 1.5 rounds up to even", {1, 0, 0, 0, 101, 10}, 1, 104, {{1, {2, 0}}}},
        {"a grid wider than the stage starts left of it", {5, 10, 100, 10, 400, 300}, 10, 1024,
         {{1, {-508, 100}}, {6, {-508, 410}}}},
    };
    for (const auto &c : cases) {
        auto placed = placePhotoGrid(c.spec, c.n, c.stageWidth);
        ASSERT_TRUE(placed.ok()) << c.what;
        ASSERT_EQ(placed->size(), static_cast<size_t>(c.n)) << c.what;
        for (const auto &[slot, position] : c.expected)
            EXPECT_EQ((*placed)[slot - 1], position) << c.what << ", slot " << slot;
    }
}

TEST(PhotoGrid, RefusesWhatCannotBeLaidOut)
{
    EXPECT_EQ(placePhotoGrid({0, 10, 10, 10, 100, 100}, 5, 1024).code(), ErrorCode::BadInput);
    EXPECT_EQ(placePhotoGrid({-2, 10, 10, 10, 100, 100}, 5, 1024).code(), ErrorCode::BadInput);
    EXPECT_EQ(placePhotoGrid({3, 10, 10, 10, 100, 100}, 0, 1024).code(), ErrorCode::BadInput);
    EXPECT_EQ(placePhotoGrid({3, 10, 10, 10, 100, 100}, 2002, 1024).code(), ErrorCode::BadInput);
    EXPECT_TRUE(placePhotoGrid({3, 10, 10, 10, 100, 100}, 2001, 1024).ok());
    EXPECT_EQ(placePhotoGrid({3, 10, 10, 10, 2000000000, 100}, 9, 1024).code(), ErrorCode::BadInput) << "overflow";
    TempProgramDir dir;
    dir.write("set.dat", "[0phoautoset]\r\n100=0|-5|x|10|99999999|0|clRed|0|y|[]\r\n");
    auto store = IniStore::open(dir / "set.dat");
    EXPECT_EQ(readPhotoAutoSet(*store, 50).grid, (PhotoGridSpec{1, 0, 100, 10, 10000, 1})) << "brought into range";
}

TEST(PhotoGrid, WinnersGridNeverHasMoreColumnsThanPictures)
{
    // Two winners and five columns: one row of two, centred.
    auto placed = placeWinnerPhotoGrid({5, 10, 50, 10, 160, 120}, 2, 1024);
    ASSERT_TRUE(placed.ok());
    EXPECT_EQ((*placed)[0], (SlotPosition{347, 50}));
    EXPECT_EQ((*placed)[1], (SlotPosition{517, 50}));
}

TEST(PhotoGrid, LayoutIsStoredWithItsScreen)
{
    TempProgramDir dir;
    auto store = IniStore::open(dir / "set.dat");
    ASSERT_TRUE(store.ok());
    ASSERT_TRUE(LayoutPhotoGrid(*store, {3, 10, 50, 20, 200, 150}, 7, 1024, "1024*768").ok());
    EXPECT_EQ(store->readInteger("7pho", "4Left", 0), 202);
    EXPECT_EQ(store->readInteger("7pho", "7Top", 0), 390);
    EXPECT_EQ(store->readInteger("7phoall", "Width", 0), 200);
    EXPECT_EQ(store->readInteger("7phoall", "Height", 0), 150);
    EXPECT_EQ(store->readString("7phoall", "screen"), "1024*768");
    EXPECT_FALSE(store->hasKey("7pho", "8Left"));
    const PhotoSlotLayout layout = readPhotoSlotLayout(*store, 7);
    EXPECT_EQ(layout.rect(7), (PhotoRect{202, 390, 200, 150}));
}

TEST(PhotoGrid, AStoredSlotNoScreenCanShowIsReadAsTheNearestThatCan)
{
    TempProgramDir dir;
    dir.write("set.dat", "[2phoall]\r\nWidth=2000000000\r\nHeight=-7\r\n[2pho]\r\n1Left=99999999\r\n"
                         "1Top=-99999999\r\n2Left=30\r\n2Top=x\r\n");
    auto store = IniStore::open(dir / "set.dat");
    const PhotoSlotLayout layout = readPhotoSlotLayout(*store, 2);
    EXPECT_EQ(layout.rect(1), (PhotoRect{kMaxPhotoSlotSide, -kMaxPhotoSlotSide, kMaxPhotoSlotSide, 1}));
    EXPECT_EQ(layout.rect(2), (PhotoRect{30, 100, kMaxPhotoSlotSide, 1}));
    // The operator is told, naming the arrangement; a layout in range says nothing.
    const std::string notice = photoSlotLayoutNotice(layout, 2);
    EXPECT_NE(notice.find(test::G("保存的2个图片的排列")), std::string::npos) << notice;
    dir.write("set.dat", "[2phoall]\r\nWidth=10000\r\nHeight=1\r\n[2pho]\r\n1Left=-10000\r\n1Top=10000\r\n");
    const PhotoSlotLayout edge = readPhotoSlotLayout(*IniStore::open(dir / "set.dat"), 2);
    EXPECT_FALSE(edge.outOfRange);
    EXPECT_EQ(photoSlotLayoutNotice(edge, 2), "");
}

TEST(PhotoGrid, DefaultLayoutReplacesOneMadeForAnotherScreen)
{
    struct Case {
        const char *what;
        int n;
        std::string storedScreen;  // empty: nothing stored
        bool replaced;
        PhotoRect firstSlot;
    };
    // 0phoautoset: 3 slots in 3 columns, 40 slots (above 30) from key 100.
    const std::string autoset = "[0phoautoset]\r\n3=3|20|60|10|300|200|clRed|12|" + G("黑体") + "|[fsBold]\r\n"
                                "100=8|5|40|5|100|80|clYellow|9|" + G("宋体") + "|[]\r\n";
    const Case cases[] = {
        // Three columns of 300 would fill more than the stage's middle 921 pixels: two columns at full size.
        {"never stored", 3, "", true, {202, 60, 300, 200}},
        {"stored for another screen", 3, "1920*1080", true, {202, 60, 300, 200}},
        {"stored for this screen stays", 3, "1024*768", false, {7, 8, 9, 9}},
        {"forty slots use key 100", 40, "", true, {94, 40, 100, 80}},
        // 5 columns of 400 cannot stand on 1024 pixels: 3 columns, shrunk to 0.596.
        {"a shipped default too wide for the stage is fitted", 7, "", true, {150, 100, 238, 178}},
    };
    for (const auto &c : cases) {
        TempProgramDir dir;
        std::string file = autoset;
        if (!c.storedScreen.empty())
            file += "[" + std::to_string(c.n) + "pho]\r\n1Left=7\r\n1Top=8\r\n[" + std::to_string(c.n) +
                    "phoall]\r\nWidth=9\r\nHeight=9\r\nscreen=" + c.storedScreen + "\r\n";
        dir.write("set.dat", file);
        auto store = IniStore::open(dir / "set.dat");
        ASSERT_TRUE(store.ok());
        auto replaced = ensurePhotoSlotLayout(*store, c.n, 1024, 768, "1024*768");
        ASSERT_TRUE(replaced.ok()) << c.what;
        EXPECT_EQ(*replaced, c.replaced) << c.what;
        EXPECT_EQ(readPhotoSlotLayout(*store, c.n).rect(1), c.firstSlot) << c.what;
        EXPECT_EQ(store->readString(std::to_string(c.n) + "phoall", "screen"),
                  c.replaced ? "1024*768" : c.storedScreen) << c.what;
    }
    TempProgramDir dir;
    dir.write("set.dat", autoset);
    auto store = IniStore::open(dir / "set.dat");
    ASSERT_TRUE(ensurePhotoSlotLayout(*store, 40, 1024, 768, "1024*768").ok());
    const FontSpec caption = readPhotoSlotLayout(*store, 40).captionFont;
    EXPECT_EQ(caption.color, colors::clYellow);
    EXPECT_EQ(caption.size, 9);
    EXPECT_EQ(caption.name, G("宋体"));
    EXPECT_EQ(caption.style, 0u);
}

TEST(PhotoGrid, DefaultsThatLeaveTheStageAreFitted)
{
    struct Case {
        const char *what;
        PhotoGridSpec spec;
        int n, stageWidth, stageHeight;
        PhotoGridSpec fitted;
    };
    const Case cases[] = {
        {"fits: unchanged", {3, 10, 100, 10, 300, 200}, 6, 1920, 1080, {3, 10, 100, 10, 300, 200}},
        {"too wide: fewer columns", {5, 10, 100, 10, 400, 300}, 7, 1024, 768, {3, 5, 100, 5, 238, 178}},
        // 60 slots in 9 columns would need 7 rows of 135: 10 columns of 164 by 123 stand in 1080 pixels.
        {"too tall: more columns", {9, 10, 100, 8, 180, 135}, 60, 1920, 1080, {10, 9, 100, 7, 164, 123}},
        {"no room below the top: unchanged", {2, 0, 950, 0, 100, 100}, 4, 1920, 1080, {2, 0, 950, 0, 100, 100}},
    };
    for (const auto &c : cases) {
        const PhotoGridSpec fitted = fitPhotoGrid(c.spec, c.n, c.stageWidth, c.stageHeight);
        EXPECT_EQ(fitted, c.fitted) << c.what << ": " << fitted.columns << " columns of " << fitted.width << "x"
                                    << fitted.height << ", gaps " << fitted.columnGap << "/" << fitted.rowGap;
    }
}

TEST(PhotoGrid, DefaultsAreKeptInsideTheAreaClearOfTheOtherElements)
{
    struct Case {
        const char *what;
        PhotoGridSpec spec;
        int n, stageWidth;
        StageRect area;
        bool unchanged;
    };
    const Case cases[] = {
        {"a grid inside the area stays as it is", {5, 10, 200, 10, 100, 80}, 10, 1024, {100, 150, 824, 400}, true},
        {"25 of 400x300 at 1024x768 below the titles, above the captions", {5, 10, 100, 10, 400, 300}, 25, 1024,
         {40, 180, 944, 380}, false},
        {"small slots standing over the subtitle move down, not grow", {5, 10, 100, 10, 100, 80}, 10, 1920,
         {100, 200, 1720, 600}, false},
        {"100 slots on a full-HD stage", {10, 5, 100, 5, 200, 150}, 100, 1920, {96, 170, 1728, 700}, false},
        {"one slot in a narrow area", {1, 0, 50, 0, 480, 360}, 1, 1024, {312, 150, 400, 300}, false},
        {"no area: left alone", {5, 10, 100, 10, 400, 300}, 25, 1024, {}, true},
    };
    for (const auto &c : cases) {
        const PhotoGridSpec fitted = fitPhotoGridInArea(c.spec, c.n, c.stageWidth, c.area);
        EXPECT_EQ(fitted == c.spec, c.unchanged) << c.what;
        EXPECT_LE(fitted.width, c.spec.width) << c.what;
        EXPECT_LE(fitted.height, c.spec.height) << c.what;
        // The proportions of the slots hold to a pixel.
        EXPECT_NEAR(static_cast<double>(fitted.width) / c.spec.width,
                    static_cast<double>(fitted.height) / c.spec.height, 2.0 / fitted.height)
            << c.what;
        if (c.area.empty())
            continue;
        auto placed = placePhotoGrid(fitted, c.n, c.stageWidth);
        ASSERT_TRUE(placed) << c.what;
        for (const auto &p : *placed) {
            const StageRect slot{p.left, p.top, fitted.width, fitted.height};
            EXPECT_TRUE(slot.inside(c.area)) << c.what << ": slot at " << p.left << "," << p.top;
        }
    }
}

TEST(PhotoGrid, ALayoutMadeForAnotherScreenIsFittedToTheFreeArea)
{
    TempProgramDir dir;
    dir.write("set.dat", G("[0phoautoset]\r\n100=10|10|100|10|400|300|clWhite|10|宋体|[]\r\n"));
    auto store = IniStore::open(dir / "set.dat");
    const StageRect area{60, 200, 904, 380};
    auto replaced = ensurePhotoSlotLayout(*store, 40, 1024, 768, "1024*768", area);
    ASSERT_TRUE(replaced);
    EXPECT_TRUE(*replaced);
    const PhotoSlotLayout layout = readPhotoSlotLayout(*store, 40);
    for (int i = 1; i <= 40; ++i)
        EXPECT_TRUE((StageRect{layout.rect(i).left, layout.rect(i).top, layout.width, layout.height}.inside(area)))
            << i;
}

TEST(PhotoGrid, CaptionFontRoundTripsThroughItsText)
{
    const FontSpec font = parsePhotoCaptionFont("clRed|14|" + G("黑体") + "|[fsBold,fsItalic]");
    EXPECT_EQ(font.color, colors::clRed);
    EXPECT_EQ(font.size, 14);
    EXPECT_EQ(font.style, static_cast<unsigned>(fsBold | fsItalic));
    EXPECT_EQ(formatPhotoCaptionFont(font), "clRed|14|" + G("黑体") + "|[fsBold,fsItalic]");
    const FontSpec broken = parsePhotoCaptionFont("nonsense|x");
    EXPECT_EQ(broken.color, colors::clWhite);
    EXPECT_EQ(broken.size, 10);
}

TEST(PhotoGrid, SlotsMovedByHandAreStoredAndTheLastSetsTheSize)
{
    TempProgramDir dir;
    auto store = IniStore::open(dir / "set.dat");
    writePhotoSlotPositions(*store, 2, {{1, {5, 6, 100, 80}}, {2, {300, 6, 120, 90}}}, "1920*1080");
    const PhotoSlotLayout layout = readPhotoSlotLayout(*store, 2);
    EXPECT_EQ(layout.rect(1), (PhotoRect{5, 6, 120, 90}));
    EXPECT_EQ(layout.rect(2), (PhotoRect{300, 6, 120, 90}));
    EXPECT_EQ(layout.screen, "1920*1080");
}

TEST(PhotoGrid, CaptionSitsCentredTenPixelsAboveThePictureBottom)
{
    EXPECT_EQ(photoCaptionPosition({100, 50, 200, 150}, {60, 20}), (SlotPosition{170, 170}));
    EXPECT_EQ(photoCaptionPosition({100, 50, 200, 150}, {61, 20}), (SlotPosition{170, 170}));  // 69.5 to even
    EXPECT_EQ(photoCaptionPosition({100, 50, 200, 150}, {63, 20}), (SlotPosition{168, 170}));  // 68.5 to even
    EXPECT_EQ(photoCaptionPosition({0, 0, 50, 40}, {80, 20}), (SlotPosition{-15, 10}));       // wider than the picture
}

}  // namespace
}  // namespace tessaly
