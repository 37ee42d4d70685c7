#include "core/settings/Encodings.h"
#include "core/stage/StageScale.h"

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

constexpr TextSize k1080{1920, 1080}, k4k{3840, 2160}, kWide{3840, 1080}, kWider{5760, 1080}, kSmall{1024, 768};

TEST(StageScale, AnElementKeepsToTheEdgeOrCentreItStandsNearest)
{
    struct Case {
        int start, length, extent;
        Anchor anchor;
    };
    const Case cases[] = {
        {3, 100, 1920, Anchor::Start},      // the logo in the corner
        {860, 200, 1920, Anchor::Centre},   // a centred title
        {780, 76, 1920, Anchor::Centre},    // the start button, left of the middle
        {1830, 80, 1920, Anchor::End},      // the prize picture
        {0, 1920, 1920, Anchor::Stretch},   // the marquee
        {10, 1900, 1920, Anchor::Stretch},  // nearly edge to edge
        {20, 60, 1080, Anchor::Start},      // a title's top
        {510, 60, 1080, Anchor::Centre},    // the ready text
        {1006, 44, 1080, Anchor::End},      // the marquee's top
        {5, 10, 0, Anchor::Start},          // no stage: nothing to keep to
    };
    for (const Case &c : cases)
        EXPECT_EQ(anchorOf(c.start, c.length, c.extent), c.anchor) << c.start << "+" << c.length << " of " << c.extent;
}

TEST(StageScale, TheStartUpQuestionIsForANewShapeNotANewSize)
{
    EXPECT_EQ(parseScreenKey("1920*1080"), (std::optional<TextSize>{k1080}));
    for (const char *bad : {"", "1920", "1920*", "*1080", "0*1080", "1920*-5", "19x20*1080", "1920*1080 "})
        EXPECT_FALSE(parseScreenKey(bad)) << bad;

    struct Case {
        const char *stored;
        TextSize stage;
        bool fit;
        bool arrange;
        bool section;  // a slot section or the results window, shown in proportion whatever its shape
    };
    const Case cases[] = {
        {"1920*1080", k4k, true, false, false},         // twice as large, the same shape
        {"1920*1080", {1366, 768}, true, false, false},  // smaller, the same shape
        {"1920*1080", {1920, 1200}, true, true, false},  // 16:10 is 11 % taller than 16:9
        {"1920*1080", {1920, 1150}, true, false, false}, // within 10 %
        {"1920*1080", kWide, true, true, false},
        {"1920*1080", kSmall, true, true, false},
        {"1920*1080", k1080, true, false, false},
        {"", k1080, true, true, true},                  // never arranged
        {"garbage", k1080, true, true, true},
        {"1920*1080", k4k, false, true, true},          // not fitted: any other size is arranged anew, as before
        {"1920*1080", k1080, false, false, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(layoutNeedsArranging(c.stored, c.stage, c.fit), c.arrange)
            << c.stored << " on " << c.stage.width << "x" << c.stage.height << (c.fit ? " fitted" : "");
        EXPECT_EQ(sectionNeedsArranging(c.stored, c.stage, c.fit), c.section)
            << c.stored << " on " << c.stage.width << "x" << c.stage.height << (c.fit ? " fitted" : "");
    }
}

TEST(StageScale, ElementsGrowByTheSmallerFactorAndKeepTheirAnchors)
{
    struct Case {
        const char *what;
        TextSize stage;
        StageRect stored, shown;
    };
    const StageRect logo{3, 22, 100, 60}, title{760, 20, 400, 80}, picture{1830, 966, 80, 60},
        marquee{0, 1036, 1920, 44}, ready{860, 510, 200, 60}, button{780, 960, 76, 33};
    const Case cases[] = {
        {"logo 4k", k4k, logo, {6, 44, 200, 120}},
        {"title 4k", k4k, title, {1520, 40, 800, 160}},
        {"picture 4k", k4k, picture, {3660, 1932, 160, 120}},
        {"marquee 4k", k4k, marquee, {0, 2072, 3840, 88}},
        {"ready 4k", k4k, ready, {1720, 1020, 400, 120}},
        // Twice as wide, as high: sizes stay, the centre and the right edge move with the stage.
        {"logo wide", kWide, logo, logo},
        {"title wide", kWide, title, {1720, 20, 400, 80}},
        {"picture wide", kWide, picture, {3750, 966, 80, 60}},
        {"marquee wide", kWide, marquee, {0, 1036, 3840, 44}},
        {"button wide", kWide, button, {1740, 960, 76, 33}},
        // Smaller and squarer: factor 1024/1920, the bottom row keeps to the bottom.
        {"picture small", kSmall, picture, {976, 707, 43, 32}},
        {"title small", kSmall, title, {406, 11, 213, 43}},
        {"marquee small", kSmall, marquee, {0, 745, 1024, 23}},
        {"ready small", kSmall, ready, {458, 368, 107, 32}},
    };
    for (const Case &c : cases) {
        const StageScale scale(k1080, c.stage);
        EXPECT_EQ(scale.toStage(c.stored), c.shown) << c.what;
        // Saved on that screen, the layout goes back to what was stored; on a
        // smaller one within the pixel the rounding loses.
        const StageRect back = scale.toStored(scale.toStage(c.stored));
        const int slack = scale.factor() < 1 ? 2 : 0;
        EXPECT_NEAR(back.left, c.stored.left, slack) << c.what;
        EXPECT_NEAR(back.top, c.stored.top, slack) << c.what;
        EXPECT_NEAR(back.width, c.stored.width, slack) << c.what;
        EXPECT_NEAR(back.height, c.stored.height, slack) << c.what;
    }
}

TEST(StageScale, FontsFollowTheSmallerFactorAndComeBackWhenSaved)
{
    FontSpec font = defaultSlotFont();
    font.size = 36;
    font.height = fontHeightForSize(36);
    struct Case {
        TextSize stage;
        bool fit;
        int shown;
        double overlay;  // the program's own marks (the commitment badge) never shrink
    };
    const Case cases[] = {{k4k, true, 72, 2.0},        {kWide, true, 36, 1.0},   {kWider, true, 36, 1.0},
                          {{2560, 1440}, true, 48, 4.0 / 3}, {kSmall, true, 19, 1.0}, {k4k, false, 36, 1.0},
                          {k1080, true, 36, 1.0}};
    for (const Case &c : cases) {
        const StageScale scale = StageScale::forStored("1920*1080", c.stage, c.fit);
        const FontSpec shown = scale.fontToStage(font);
        EXPECT_EQ(shown.size, c.shown) << c.stage.width << "x" << c.stage.height;
        EXPECT_EQ(shown.height, fontHeightForSize(c.shown));
        EXPECT_EQ(scale.fontToStored(shown).size, 36);
        EXPECT_DOUBLE_EQ(overlayScale(c.stage, c.fit), c.overlay);
        EXPECT_EQ(scale.referenceKey(), c.fit ? "1920*1080" : screenKey(c.stage.width, c.stage.height));
    }
    // A layout never arranged (the shipped one) is made for a 1080-line stage:
    // arranged on a larger screen at that size and shown in proportion; on a
    // wide screen of 1080 lines, a smaller one, or not fitted, for the stage itself.
    struct FirstCase {
        TextSize stage;
        bool fit;
        TextSize arranged;
    };
    const FirstCase first[] = {{k4k, true, k1080},           {{2560, 1440}, true, k1080}, {{2560, 1600}, true, {1920, 1200}},
                               {kWide, true, kWide},         {kWider, true, kWider},      {kSmall, true, kSmall},
                               {k1080, true, k1080},         {k4k, false, k4k}};
    // A font fitted on the stage and stored never comes back larger than it was
    // fitted at (it would no longer fit); on a larger stage a stored font goes
    // back as it was.
    for (TextSize stage : {k4k, TextSize{2560, 1440}, kSmall, TextSize{3000, 1700}}) {
        const StageScale scale = StageScale::forStored("1920*1080", stage, true);
        for (int size = 2; size <= 300; ++size) {
            EXPECT_LE(scale.fontToStage(scale.fontToStored(withSize(font, size))).size, size)
                << size << " on " << stage.width << "x" << stage.height;
            if (scale.factor() >= 1) {
                EXPECT_EQ(scale.fontToStored(scale.fontToStage(withSize(font, size))).size, size)
                    << size << " on " << stage.width << "x" << stage.height;
            }
        }
    }
    for (const FirstCase &c : first) {
        EXPECT_EQ(firstArrangementSize(c.stage, c.fit), c.arranged) << c.stage.width << "x" << c.stage.height;
        for (const char *neverArranged : {"", "1920", "junk"}) {
            const StageScale scale = StageScale::forStored(neverArranged, c.stage, c.fit);
            EXPECT_EQ(scale.reference(), c.arranged) << c.stage.width << "x" << c.stage.height;
            EXPECT_EQ(scale.stage(), c.stage);
        }
    }
}

SlotGridLayout storedGrid(int n)
{
    // Two columns of slots 300 wide and 60 high, centred on 1920x1080.
    SlotGridLayout l;
    l.width = 300;
    l.height = 60;
    l.font = withSize(defaultSlotFont(), 30);
    l.screen = "1920*1080";
    const int rows = (n + 1) / 2;
    for (int k = 1; k <= n; ++k)
        l.positions[size_t(k - 1)] = {1920 / 2 - 315 + ((k - 1) % 2) * 330, 540 - rows * 35 + ((k - 1) / 2) * 70};
    return l;
}

TEST(StageScale, ASlotGridScalesAsOneBlockAndIsStoredAsItWas)
{
    for (TextSize stage : {k4k, kWide, kSmall, TextSize{2560, 1440}}) {
        const StageScale scale(k1080, stage);
        const SlotGridLayout stored = storedGrid(15);
        const SlotGridLayout shown = slotGridToStage(stored, scale);
        const double f = scale.factor();
        EXPECT_EQ(shown.font.size, roundHalfEven(30 * f));
        EXPECT_EQ(shown.width, roundHalfEven(300 * f));
        // The block stays centred and its slots keep their places in it.
        const int blockLeft = shown.positions[0].left, blockRight = shown.positions[1].left + shown.width;
        EXPECT_NEAR(blockLeft + blockRight, stage.width, 2) << stage.width;
        EXPECT_NEAR(shown.positions[2].top - shown.positions[0].top, 70 * f, 1);
        for (int k = 16; k <= kMaxSlots; ++k)
            EXPECT_FALSE(shown.slotVisible(k));  // a hidden slot stays hidden
        const SlotGridLayout back = slotGridToStored(shown, scale);
        EXPECT_EQ(back.screen, "1920*1080");
        for (int k = 1; k <= 15; ++k) {
            EXPECT_NEAR(back.positions[size_t(k - 1)].left, stored.positions[size_t(k - 1)].left, f < 1 ? 2 : 0);
            EXPECT_NEAR(back.positions[size_t(k - 1)].top, stored.positions[size_t(k - 1)].top, f < 1 ? 2 : 0);
        }
        EXPECT_EQ(back.font.size, 30);
    }
}

TEST(StageScale, PhotoSlotsScaleAsOneBlockAndAreStoredAsTheyWere)
{
    PhotoSlotLayout stored;
    stored.width = 200;
    stored.height = 300;
    stored.screen = "1920*1080";
    stored.captionFont = withSize(defaultSlotFont(), 20);
    for (int i = 0; i < 6; ++i)
        stored.positions.push_back({330 + (i % 3) * 220, 200 + (i / 3) * 320});  // centred, three to a row
    for (TextSize stage : {k4k, kWide, kSmall}) {
        const StageScale scale(k1080, stage);
        const PhotoSlotLayout shown = photoSlotsToStage(stored, 6, scale);
        const double f = scale.factor();
        EXPECT_EQ(shown.width, roundHalfEven(200 * f));
        EXPECT_EQ(shown.captionFont.size, roundHalfEven(20 * f));
        // The block keeps its place relative to the centre of the stage.
        const int centre = (shown.positions[0].left + shown.positions[2].left + shown.width) / 2;
        EXPECT_NEAR(centre - stage.width / 2, (330 + 770 + 200 - 1920) / 2.0 * f, 2) << stage.width;
        std::vector<StageRect> rects;
        for (int i = 1; i <= 6; ++i) {
            const PhotoRect r = shown.rect(i);
            rects.push_back({r.left, r.top, r.width, r.height});
        }
        const std::vector<StageRect> back = photoSlotsToStored(rects, scale);
        for (int i = 0; i < 6; ++i) {
            EXPECT_NEAR(back[size_t(i)].left, stored.positions[size_t(i)].left, f < 1 ? 2 : 0);
            EXPECT_NEAR(back[size_t(i)].top, stored.positions[size_t(i)].top, f < 1 ? 2 : 0);
            EXPECT_NEAR(back[size_t(i)].width, 200, f < 1 ? 2 : 0);
        }
    }
}

TEST(StageScale, AWiderStageGivesTheSlotsItsRoomWithNamesNeverSmaller)
{
    const FixedMeasurer measurer;
    const std::string longest(12, 'x');
    struct Case {
        TextSize stage;
        int n;
    };
    for (const Case &c : {Case{kWide, 15}, Case{kWider, 15}, Case{kWide, 5}, Case{kWider, 20}, Case{k4k, 15}}) {
        const StageScale scale(k1080, c.stage);
        SlotGridLayout stored = storedGrid(c.n);
        stored.width = 180;
        // The free area between titles and buttons, as on the stage.
        const std::vector<StageRect> areas{{10, 200, c.stage.width - 20, c.stage.height - 400}};
        const SlotGridLayout shown = fitScaledSlotGrid(c.n, areas, longest, stored, scale, measurer);
        const std::string what = std::to_string(c.stage.width) + "x" + std::to_string(c.stage.height) + " n=" +
                                 std::to_string(c.n);
        EXPECT_GE(shown.font.size, roundHalfEven(30 * scale.factor())) << what;
        if (scale.sameShape()) {
            EXPECT_EQ(shown.font.size, 60) << what;  // twice, as everything else
            continue;
        }
        EXPECT_GT(shown.font.size, 30) << what << ": the room is used";
        EXPECT_LE(shown.font.size, roundHalfEven(30 * scale.largerFactor())) << what;
        for (int k = 1; k <= c.n; ++k) {
            const SlotPosition p = shown.positions[size_t(k - 1)];
            EXPECT_TRUE((StageRect{p.left, p.top, shown.width, shown.height}.inside(areas[0]))) << what << " slot " << k;
        }
    }
}

TEST(StageScale, ATextBlockScalesAndIsStoredBack)
{
    SlotBlockLayout stored;
    stored.left = 460;
    stored.top = 300;
    stored.width = 1000;
    stored.height = 500;
    stored.font = withSize(defaultSlotFont(), 14);
    stored.maxwidth = 84;
    stored.screen = "1920*1080";
    const StageScale scale(k1080, k4k);
    const SlotBlockLayout shown = slotBlockToStage(stored, scale);
    EXPECT_EQ((StageRect{shown.left, shown.top, shown.width, shown.height}), (StageRect{920, 600, 2000, 1000}));
    EXPECT_EQ(shown.font.size, 28);
    EXPECT_EQ(shown.maxwidth, 168);
    const SlotBlockLayout back = slotBlockToStored(shown, scale);
    EXPECT_EQ((StageRect{back.left, back.top, back.width, back.height}), (StageRect{460, 300, 1000, 500}));
    EXPECT_EQ(back.font.size, 14);
    EXPECT_EQ(back.screen, "1920*1080");

    // On a wider stage the block spreads out in larger type, not below the stored size.
    const FixedMeasurer measurer;
    const StageScale wide(k1080, kWide);
    const std::vector<StageRect> areas{{10, 200, 3820, 680}};
    const SlotBlockLayout fitted =
        fitScaledSlotBlock(100, areas, std::string(12, 'x'), SlotAutoSet{}, stored, wide, measurer);
    EXPECT_GE(fitted.font.size, 14);
    EXPECT_TRUE((StageRect{fitted.left, fitted.top, fitted.width, fitted.height}.inside(areas[0])));
}

TEST(StageScale, TheResultsListGrowsWithTheStageAndTakesTheRoomOfAnotherShape)
{
    // Five awards of 30-byte winners in the stored 26-point font, the room being the window less 40 pixels.
    AwardTable awards;
    std::array<std::vector<std::string>, kMaxAwards> winners;
    for (int a = 0; a < 5; ++a) {
        awards[a] = LGrade{"A" + std::to_string(a), 1, "20", 20, "P", ""};
        for (int i = 0; i < 20; ++i)
            winners[size_t(a)].push_back(std::string(25, 'x') + std::to_string(10000 + a * 100 + i));
    }
    awards.AwardCount = 5;
    const FontSpec stored = withSize(defaultSlotFont(), 26);
    struct Case {
        TextSize stage;
        int perRow;
        int size;
        int shownPerRow;
    };
    const Case cases[] = {
        {k4k, 3, 52, 3},     // twice the size, as every element
        {kWide, 3, 37, 3},   // twice as wide: the area doubles, the names grow by its root
        {kWider, 3, 45, 3},  // three times as wide
        {kSmall, 3, 16, 3},  // 14 points in proportion, 16 by the room the taller shape leaves
        {kSmall, 6, 15, 4},  // fewer to a line first, then as large as those still fit
        {k1080, 6, 26, 4},   // as stored: the count falls until a line fits
        {k4k, 6, 52, 4},     // the same shape never grows past the proportion
    };
    const FixedMeasurer measurer;
    for (const Case &c : cases) {
        const StageScale scale = StageScale::forStored("1920*1080", c.stage, true);
        const ResultsFit fit = fitScaledResults(awards, WinnerLists(winners.data(), winners.size()), c.perRow, true,
                                                stored, scale, c.stage.width - 40, measurer);
        const std::string where = std::to_string(c.stage.width) + "x" + std::to_string(c.stage.height) + ", " +
                                  std::to_string(c.perRow) + " to a line";
        EXPECT_EQ(fit.font.size, c.size) << where;
        EXPECT_EQ(fit.font.height, fontHeightForSize(c.size)) << where;
        EXPECT_EQ(fit.perRow, c.shownPerRow) << where;
        EXPECT_EQ(fit.text.blockWidth, measurer.measure(fit.font, fit.text.sample).width) << where;
        EXPECT_LE(fit.text.blockWidth, c.stage.width - 40) << where;
        EXPECT_EQ(fit.text.lines, composeResultsText(awards, WinnerLists(winners.data(), winners.size()),
                                                     c.shownPerRow, true, fit.font, measurer)
                                      .lines)
            << where;
    }
}

}  // namespace
}  // namespace tessaly
