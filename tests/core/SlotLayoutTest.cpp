#include "TempProgramDir.h"

#include "core/stage/SlotLayout.h"
#include "core/text/Lines.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::G;

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

TEST(SlotLayout, GridArrangementsFollowTheStageAndSlotSize)
{
    const TextSize stage{1024, 768}, slot{120, 60};
    SlotGridLayout five = arrangeSlotGrid(5, stage, slot, {});
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(five.positions[k - 1], (SlotPosition{452, 194 + (k - 1) * 70})) << "slot " << k;
    EXPECT_FALSE(five.slotVisible(6));
    EXPECT_EQ(five.screen, "1024*768");

    // Two slots sit directly below each other although the block was centred with a gap.
    SlotGridLayout two = arrangeSlotGrid(2, stage, slot, {});
    EXPECT_EQ(two.positions[1].top - two.positions[0].top, 60);
    EXPECT_EQ(two.positions[0].top, (768 - 130) / 2 - 20);

    // Thirteen slots: seven rows in two columns, the last alone on the left.
    SlotGridLayout thirteen = arrangeSlotGrid(13, stage, slot, {});
    const int left0 = (1024 - 2 * 120 - 30) / 2;
    EXPECT_EQ(thirteen.positions[12].left, left0);
    EXPECT_EQ(thirteen.positions[11].left, left0 + 150);
    EXPECT_EQ(thirteen.positions[12].top, thirteen.positions[0].top + 6 * 70);

    SlotGridLayout one = arrangeSlotGrid(1, stage, slot, {});
    EXPECT_EQ(one.positions[0], (SlotPosition{452, 384 - 60 - 10}));
}

TEST(SlotLayout, PlacingAGridRefusesZeroColumns)
{
    auto refused = placeSlotGrid(1024, 100, 500, 5, 30, 0, -1, {100, 50});
    EXPECT_EQ(refused.code(), ErrorCode::BadInput);
    auto leftGiven = placeSlotGrid(1024, 100, 500, 4, 10, 2, 7, {100, 50});
    ASSERT_TRUE(leftGiven.ok());
    EXPECT_EQ((*leftGiven)[1], (SlotPosition{117, 100}));
    EXPECT_EQ((*leftGiven)[2], (SlotPosition{7, 500 - 50}));  // the second row ends at the bottom
}

TEST(SlotLayout, TextBlockRule)
{
    struct Case {
        std::vector<std::string> entries;
        int row, space;
        bool blank, breakAfterLast;
        std::string expected;
    };
    const Case cases[] = {
        {{"a", "b", "c", "d", "e", "f", "g"}, 3, 1, false, false, "a b c\rd e f\rg"},
        {{"a", "b", "c"}, 2, 2, true, true, "a  b\r\rc  \r\r"},
        {{"a", "b"}, 2, 40, false, true, "a" + std::string(28, ' ') + "b\r"},
        {{}, 3, 1, true, true, ""},
        {{"a", "b"}, 0, 1, false, false, "a\rb"},  // a row length of 0 counts as 1
    };
    for (const auto &c : cases)
        EXPECT_EQ(composeSlotBlockText(c.entries, c.row, c.space, c.blank, c.breakAfterLast), c.expected);
    EXPECT_EQ(padEntry("ab", 5), "ab   ");
    EXPECT_EQ(padEntry("abcdef", 3), "abc");
    EXPECT_EQ(padEntry("a", 100).size(), 29u);
}

TEST(SlotLayout, BlockArrangementPicksTheSizeAndShrinksToFit)
{
    FixedMeasurer m;
    SlotAutoSet a;
    a.sizeShort[4] = 20;
    a.sizeLong[4] = 16;
    struct Case {
        int n;
        std::string longest;
        int expectedRow, expectedSize;
    };
    const Case cases[] = {
        {35, "abc", 4, 20},            // short entries use "4a"
        {35, "abcdefghijkl", 4, 16},   // long ones "4b"
        {100, "abc", 10, 9},
        {150, "abc", 10, 7},           // beyond ten per line: 100size and 100ls
    };
    for (const auto &c : cases) {
        auto l = arrangeSlotBlock(c.n, c.longest, a, {1920, 1080}, m);
        ASSERT_TRUE(l.has_value()) << c.n;
        EXPECT_EQ(l->row, c.expectedRow) << c.n;
        EXPECT_EQ(l->font.size, c.expectedSize) << c.n;
        EXPECT_EQ(l->font.color, colors::clYellow);
        EXPECT_EQ(l->maxwidth, static_cast<int>(c.longest.size()) * (c.expectedSize / 2));
    }
    // A small stage forces smaller sizes; an impossible one stores nothing.
    auto shrunk = arrangeSlotBlock(35, "abc", a, {400, 600}, m);
    ASSERT_TRUE(shrunk.has_value());
    EXPECT_LT(shrunk->font.size, 20);
    EXPECT_LE(shrunk->height, 400);
    EXPECT_EQ(shrunk->left, (400 - shrunk->width) / 2);
    EXPECT_FALSE(arrangeSlotBlock(35, "abc", a, {5, 100}, m).has_value());
}

TEST(SlotLayout, StoredLayoutsRoundTripAndTellWhenTheyNoLongerFit)
{
    test::TempProgramDir dir;
    auto store = IniStore::open(dir / "set.dat");
    FixedMeasurer m;
    SlotGridLayout grid = arrangeSlotGrid(3, {1024, 768}, m.measure(defaultSlotFont(), "abcd"), {});
    writeSlotGridLayout(*store, 3, grid, {1, 2, 3});
    ASSERT_TRUE(store->commit().ok());
    auto again = IniStore::open(dir / "set.dat");
    SlotGridLayout read = readSlotGridLayout(*again, 3);
    EXPECT_EQ(read.positions, grid.positions);
    EXPECT_EQ(read.font, defaultSlotFont());
    EXPECT_TRUE(slotLayoutValid(*again, 3, "abcd", m));
    EXPECT_FALSE(slotLayoutValid(*again, 3, "abcde", m));
    EXPECT_FALSE(slotLayoutValid(*again, 7, "abcd", m));  // never arranged

    auto block = arrangeSlotBlock(40, "abc", {}, {1920, 1080}, m);
    writeSlotBlockLayout(*again, 40, *block);
    SlotBlockLayout readBlock = readSlotBlockLayout(*again, 40);
    EXPECT_EQ(readBlock.row, 4);
    EXPECT_EQ(readBlock.maxwidth, block->maxwidth);
    EXPECT_TRUE(slotLayoutValid(*again, 40, "abc", m));
    EXPECT_EQ(readSlotBlockLayout(*again, 41).left, 100);  // defaults of an unknown size
}

}  // namespace
}  // namespace tessaly
