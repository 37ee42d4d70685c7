#include "TempProgramDir.h"

#include "core/settings/Settings.h"
#include "core/stage/StageFit.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

// Every byte is size/2 pixels wide and a line is 2*size high; CR starts a line.
class FixedMeasurer : public TextMeasurer {
public:
    TextSize measure(const FontSpec &font, std::string_view text) const override
    {
        int widest = 0, lines = 1, current = 0;
        for (char c : text) {
            if (c == '\r') {
                ++lines;
                current = 0;
                continue;
            }
            current += font.size / 2;
            widest = std::max(widest, current);
        }
        return {widest, lines * font.size * 2};
    }
};

TEST(StageFit, TheSlotAreaLiesBetweenTheTitlesAndTheBottomElements)
{
    const StageRect title{300, 20, 400, 60}, status{200, 600, 600, 40}, marquee{0, 738, 1024, 30};
    const StageRect picture{774, 500, 240, 180};
    struct Case {
        const char *what;
        std::vector<StageRect> elements;
        StageRect area;
    };
    const Case cases[] = {
        {"nothing on the stage", {}, {5, 10, 1014, 748}},
        {"titles and a status line", {title, status, marquee}, {5, 90, 1014, 500}},
        // Ending above the picture leaves 1014x400; beside it the area is 502 wide and 500 high.
        {"a prize picture on the right", {title, status, marquee, picture}, {5, 90, 1014, 400}},
        {"elements crowding the middle", {{0, 300, 1024, 60}, {0, 400, 1024, 60}}, {5, 192, 1014, 384}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(slotArea(1024, 768, c.elements), c.area) << c.what;
    // A small picture is passed beside rather than above.
    const StageRect beside = slotArea(1024, 768, {title, status, marquee, {900, 300, 100, 300}});
    EXPECT_EQ(beside.bottom(), 590);
    EXPECT_LE(beside.right(), 890);
    EXPECT_EQ(beside.left + beside.right(), 1024);  // centred
}

TEST(StageFit, CaptionsKeepClearOfThePicture)
{
    const StageRect picture{774, 534, 240, 180};
    struct Case {
        const char *what;
        StageRect caption;
        int left, room;
    };
    const Case cases[] = {
        {"short: centred on the stage", {0, 612, 300, 44}, 362, 1004},
        {"long: centred left of the picture", {0, 612, 700, 44}, 37, 754},
        {"too long: room to shrink to", {0, 612, 900, 44}, 10, 754},
        {"another row: centred", {0, 300, 700, 44}, 162, 1004},
        {"wider than the stage", {0, 300, 1100, 44}, -38, 1004},
    };
    for (const Case &c : cases) {
        const CaptionPlace p = placeCentredCaption(1024, c.caption, {picture});
        EXPECT_EQ(p.left, c.left) << c.what;
        EXPECT_EQ(p.room, c.room) << c.what;
    }
}

TEST(StageFit, SlotGridsShrinkUntilTheyFit)
{
    FixedMeasurer m;
    const std::string entry(30, 'x');
    SlotGridLayout base;
    base.font = withSize(base.font, 40);  // 600 x 80 per slot
    struct Case {
        int n;
        StageRect area;
        int size;
    };
    const Case cases[] = {
        {1, {5, 100, 1014, 500}, 40},   // fits as stored
        {5, {5, 100, 1014, 500}, 40},   // 5*80 + 40 = 440
        {10, {5, 100, 1014, 500}, 20},  // 10*2s + 90 <= 500
        {15, {5, 100, 1014, 400}, 20},  // two columns of 8 rows: 8*2s + 70 <= 400
        {20, {5, 100, 1014, 80}, 1},    // cannot fit: the smallest font
    };
    for (const Case &c : cases) {
        const SlotGridLayout l = fitSlotGrid(c.n, c.area, {1024, 768}, entry, base, m);
        EXPECT_EQ(l.font.size, c.size) << c.n;
        EXPECT_EQ(l.font.height, fontHeightForSize(c.size)) << c.n;
        EXPECT_EQ(l.screen, "1024*768");
        if (c.size == 1)
            continue;
        for (int k = 1; k <= c.n; ++k) {
            const StageRect slot{l.positions[k - 1].left, l.positions[k - 1].top, l.width, l.height};
            EXPECT_TRUE(slot.inside(c.area)) << c.n << " slot " << k;
        }
        EXPECT_FALSE(l.slotVisible(c.n + (c.n < 20 ? 1 : 0)) && c.n < 20);
    }
}

TEST(StageFit, TextBlocksTakeTheLineLengthThatGivesTheLargestFont)
{
    FixedMeasurer m;
    SlotAutoSet autoset;
    FontSpec style = defaultSlotFont();
    style.size = 60;
    const StageRect wide{5, 100, 1910, 700}, tall{5, 100, 600, 1000};
    for (int n : {25, 100, 500}) {
        for (const StageRect &area : {wide, tall}) {
            auto block = fitSlotBlock(n, std::string(12, 'x'), autoset, area, {1920, 1080}, style, m);
            ASSERT_TRUE(block) << n;
            EXPECT_TRUE((StageRect{block->left, block->top, block->width, block->height}.inside(area))) << n;
            // No other line length, with or without empty lines between, gives a larger font that fits.
            for (bool blankLine : {true, false})
                for (int k = 1; k <= n; ++k) {
                    const std::string text = composeSlotBlockText(std::vector<std::string>(n, std::string(12, 'x')),
                                                                  k, autoset.space, blankLine, false);
                    const TextSize bigger = m.measure(withSize(style, block->font.size + 1), text);
                    EXPECT_FALSE(bigger.width <= area.width && bigger.height <= area.height) << n << " k " << k;
                }
        }
    }
    EXPECT_FALSE(fitSlotBlock(500, std::string(30, 'x'), autoset, {0, 0, 50, 20}, {1920, 1080}, style, m));
}

TEST(StageFit, ALargeBlockOnAShortAreaDropsTheEmptyLines)
{
    FixedMeasurer m;
    SlotAutoSet autoset;
    FontSpec style = defaultSlotFont();
    style.size = 60;
    struct Case {
        int n;
        StageRect area;
        bool blankLine;
    };
    // The empty lines stay where the block is held by its width; they go where the height holds it.
    const Case cases[] = {{25, {5, 10, 400, 3000}, true}, {100, {5, 175, 1014, 303}, false}};
    for (const Case &c : cases) {
        auto block = fitSlotBlock(c.n, std::string(30, 'x'), autoset, c.area, {1024, 768}, style, m);
        ASSERT_TRUE(block) << c.n;
        EXPECT_EQ(block->blankLine, c.blankLine) << c.n;
        const std::string text = composeSlotBlockText(std::vector<std::string>(c.n, std::string(30, 'x')), block->row,
                                                      block->space, block->blankLine, false);
        EXPECT_EQ(m.measure(block->font, text), (TextSize{block->width, block->height})) << c.n;
    }
}

TEST(StageFit, AFontShrunkOnASmallStageGrowsBackOnALargeOne)
{
    FixedMeasurer m;
    test::TempProgramDir dir;
    const std::string entry(30, 'x');
    const StageRect small{5, 100, 1014, 500}, large{5, 100, 1910, 900};
    // A grid of 10 chosen at 40: 20 on the small stage, 40 again on the large one.
    SlotGridLayout grid;
    grid.font = withSize(grid.font, 40);
    grid = fitSlotGrid(10, small, {1024, 768}, entry, grid, m);
    EXPECT_EQ(grid.font.size, 20);
    {
        auto store = openSettings(dir.path());
        writeSlotGridLayout(*store, 10, grid, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        ASSERT_TRUE(store->commit());
    }
    grid = readSlotGridLayout(*openSettings(dir.path()), 10);
    EXPECT_EQ(grid.chosenFontSize(), 40);
    grid = fitSlotGrid(10, large, {1920, 1080}, entry, grid, m);
    EXPECT_EQ(grid.font.size, 40);
    {
        auto store = openSettings(dir.path());
        writeSlotGridLayout(*store, 10, grid, {1});
        EXPECT_FALSE(store->hasKey("10all", "chosensize"));  // shown at its chosen size: nothing to keep
    }

    // A text block likewise: its chosen size is the ceiling it grows back to.
    SlotAutoSet autoset;
    FontSpec style = defaultSlotFont();
    style.size = 30;
    auto block = fitSlotBlock(100, entry, autoset, small, {1024, 768}, style, m);
    ASSERT_TRUE(block);
    EXPECT_LT(block->font.size, 30);
    EXPECT_EQ(block->chosenFontSize(), 30);
    {
        auto store = openSettings(dir.path());
        writeSlotBlockLayout(*store, 100, *block);
        ASSERT_TRUE(store->commit());
    }
    const SlotBlockLayout stored = readSlotBlockLayout(*openSettings(dir.path()), 100);
    auto grown = fitSlotBlock(100, entry, autoset, {5, 100, 3830, 2000}, {3840, 2160},
                              withSize(stored.font, stored.chosenFontSize()), m);
    ASSERT_TRUE(grown);
    EXPECT_EQ(grown->font.size, 30);
    EXPECT_EQ(grown->chosenSize, 0);
}

TEST(StageFit, ANewBatchSizeTakesTheLookOfTheNearestSlotLayout)
{
    test::TempProgramDir dir;
    auto store = openSettings(dir.path());
    ASSERT_TRUE(store);
    EXPECT_FALSE(existingSlotStyle(*store, 7));
    store->writeString("5all", "Font.Name", "Sans");
    store->writeString("5all", "Font.Color", "clYellow");
    store->writeString("5all", "Font.Size", "40");
    store->writeString("15all", "Font.Name", "Serif");
    store->writeString("35", "Font.Name", "Mono");
    struct Case {
        int n;
        const char *font;
    };
    for (const Case &c : {Case{7, "Sans"}, Case{11, "Serif"}, Case{20, "Serif"}, Case{100, "Serif"}, Case{5, "Sans"}}) {
        auto style = existingSlotStyle(*store, c.n);
        ASSERT_TRUE(style) << c.n;
        EXPECT_EQ(style->font.name, c.font) << c.n;
    }
    EXPECT_EQ(existingSlotStyle(*store, 6)->font.color, colors::clYellow);
    // A layout shown smaller than it was chosen lends its chosen size.
    store->writeString("5all", "chosensize", "60");
    EXPECT_EQ(existingSlotStyle(*store, 6)->font.size, 60);
    EXPECT_TRUE(hasOwnSlotStyle(*store, 35));
    EXPECT_FALSE(hasOwnSlotStyle(*store, 36));
}

TEST(StageFit, TheButtonsMakeRoomForThePrizePicture)
{
    struct Case {
        int stage, limit, go, stop;
    };
    const Case cases[] = {
        {1024, 1024, 336, 612},  // 76-pixel buttons, 200 apart, centred
        {1024, 688, 336, 612},   // just clear
        {1024, 650, 374, 574},   // the gap narrows to 2*650 - 1024 - 152 = 124
        {900, 400, 228, 324},    // the smallest gap, and the pair moves left
        {300, 200, 28, 124},     // moved as far as the limit asks
    };
    for (const Case &c : cases)
        EXPECT_EQ(placeButtonPair(c.stage, 76, 76, 200, c.limit), std::pair(c.go, c.stop)) << c.stage << " " << c.limit;
}

TEST(StageFit, ContrastFollowsTheUsualFormula)
{
    EXPECT_NEAR(contrastRatio(relativeLuminance(255, 255, 255), relativeLuminance(0, 0, 0)), 21.0, 1e-9);
    EXPECT_NEAR(contrastRatio(relativeLuminance(255, 255, 0), relativeLuminance(0, 0, 128)), 14.9, 0.1);
    // Maroon buttons on the old festive red: why the shipped buttons changed.
    EXPECT_NEAR(contrastRatio(relativeLuminance(128, 0, 0), relativeLuminance(200, 10, 20)), 1.9, 0.1);
}

TEST(StageFit, AWindowIsKeptOnTheScreenWithItsFrame)
{
    const StageRect screen{0, 0, 1920, 1040};
    const FrameMargins frame{8, 31, 8, 8};
    struct Case {
        const char *what;
        StageRect wanted, result;
    };
    const Case cases[] = {
        {"fits as stored", {100, 100, 1024, 768}, {100, 100, 1024, 768}},
        {"larger than the screen", {0, 0, 1920, 1080}, {8, 31, 1904, 1001}},
        {"off the bottom right", {1500, 900, 800, 600}, {1112, 432, 800, 600}},
        {"off the top left", {-300, -50, 800, 600}, {8, 31, 800, 600}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(fitWindowOnScreen(screen, c.wanted, frame), c.result) << c.what;
}

}  // namespace
}  // namespace tessaly
