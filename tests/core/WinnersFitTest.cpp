// The winners window fills the screen: the names' size and rows for awards of
// every size on small, common and 4K screens, the pictures' growth, and the
// order automatic paging walks in.
#include "TempProgramDir.h"

#include "core/settings/IniStore.h"
#include "core/winners/WinnersFit.h"
#include "core/winners/WinnersView.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessaly {
namespace {

using test::G;
using test::TempProgramDir;
using Lines = std::vector<std::string>;

// Metrics in proportion to the font as a screen's are: a byte is half the
// pixel size wide, a line 1.3 times it high, both rounded up as a label is.
class ScreenLikeMeasurer : public TextMeasurer {
public:
    TextSize measure(const FontSpec &font, std::string_view text) const override
    {
        const double px = font.size * 96.0 / 72.0;
        size_t widest = 0, current = 0;
        int lines = 1;
        for (char c : text) {
            if (c == '\r') {
                ++lines;
                current = 0;
            } else {
                widest = std::max(widest, ++current);
            }
        }
        return {static_cast<int>(std::ceil(widest * px / 2)), static_cast<int>(std::ceil(lines * px * 1.3))};
    }
};

int lineHeight(const FontSpec &font)
{
    return ScreenLikeMeasurer{}.measure(font, "x").height;
}

AwardTable oneAward(int winners)
{
    AwardTable t;
    t[0] = LGrade{G("一等奖"), 1, std::to_string(winners), winners, G("笔记本电脑"), ""};
    t.AwardCount = 1;
    return t;
}

// Twelve-byte names, as six Chinese characters are.
std::vector<Lines> winnersOf(int count)
{
    std::vector<Lines> w(50);
    for (int i = 0; i < count; ++i)
        w[0].push_back(G("欧阳") + std::to_string(100000 + i) + "xx");
    return w;
}

using Store = test::SettingsFile;

TEST(WinnersFit, EveryAwardFillsTheWindowAtTheLargestSizeThatFitsAndNeverBelowTheStoredOne)
{
    struct Case {
        int winners;
        TextSize window;
        int leastLine;  // pixels a line of names must reach at least
    };
    const TextSize small{1024, 768}, full{1920, 1080}, uhd{3840, 2160};
    const Case cases[] = {
        {2, small, 0},    {20, small, 0},    {200, small, 0},  {2000, small, 0},
        {2, full, 120},   {20, full, 60},    {200, full, 32},  {2000, full, 32},
        {2, uhd, 240},    {20, uhd, 120},    {200, uhd, 64},   {2000, uhd, 64},
    };
    const ScreenLikeMeasurer measurer;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.winners) + " winners at " + std::to_string(c.window.width) + "x" +
                     std::to_string(c.window.height));
        Store s;
        const auto winners = winnersOf(c.winners);
        const auto first = buildWinnersTextView(s.ini, oneAward(c.winners), winners, 0, true, measurer, c.window);
        EXPECT_FALSE(s.ini.dirty());  // the operator's look is never rewritten
        EXPECT_GE(first.namesFont.size, 20);
        EXPECT_LE(first.headingFont.size, first.namesFont.size);
        EXPECT_EQ(first.namesFont.name, G("黑体"));
        EXPECT_EQ(first.namesFont.color, colors::clYellow);
        EXPECT_GE(lineHeight(first.namesFont), c.leastLine);
        EXPECT_GE(lineHeight(first.namesFont), readableLineHeight(c.window) - 1);

        int shown = 0;
        for (int page = 0; page < first.pages; ++page) {
            const auto v = buildWinnersTextView(s.ini, oneAward(c.winners), winners, 0, true, measurer, c.window, page);
            // Nothing outside the window, on every page.
            EXPECT_GE(v.position.x, 0);
            EXPECT_GE(v.position.y, 0);
            EXPECT_LE(v.position.x + v.size.width, c.window.width);
            EXPECT_LE(v.position.y + v.size.height, c.window.height);
            EXPECT_EQ(v.text.lines.front(), G("一等奖(") + std::to_string(c.winners) + G("名)"));
            shown += static_cast<int>(v.text.lines.size()) - v.headingLines;
        }
        EXPECT_EQ(shown, (c.winners + first.perRow - 1) / first.perRow);  // every row on exactly one page

        // The largest that fits: one size more is too large for the same rows.
        if (first.pages == 1) {
            const TextSize area = winnersArea(c.window, true, {});
            const auto heading = Lines(first.text.lines.begin(), first.text.lines.begin() + first.headingLines);
            const int rows = static_cast<int>(first.text.lines.size()) - first.headingLines;
            const FontSpec larger = withSize(first.namesFont, first.namesFont.size + 1);
            const TextSize body = measurer.measure(larger, blockText(Lines(first.text.lines.begin() + first.headingLines,
                                                                           first.text.lines.end())));
            const int headingHigh =
                measurer.measure(withSize(first.headingFont, std::min(larger.size, first.headingFont.size + 1)),
                                 blockText(heading))
                    .height;
            EXPECT_TRUE(body.width > area.width || body.height + headingHigh > area.height) << rows << " rows";
        }
    }
}

TEST(WinnersFit, TheStoredArrangementIsKeptWhenTheAwardFitsAndWidenedWhenItWouldPage)
{
    const ScreenLikeMeasurer measurer;
    struct Case {
        const char *stored;  // float2txt/0
        int winners;
        int perRow;  // 0: wider than stored
        int pages;
    } const cases[] = {
        {"3|clRed|20|x|[]|134|50|20", 20, 3, 1},
        {"1|clRed|20|x|[]|134|50|20", 7, 1, 1},
        {"3|clRed|20|x|[]|134|50|20", 200, 0, 1},     // three a row would page: the rows widen instead
        {"3|clRed|20|x|[]|134|50|20", 2000, 9, 9},    // too many for one page: as wide as the window takes
        {"3|clRed|60|x|[]|134|50|20", 200, 3, 9},     // a large stored size is the least, and pages follow
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.stored) + " " + std::to_string(c.winners));
        Store s(std::string("[float2txt]\r\nTextcenter=0\r\n0=") + c.stored + "\r\n");
        const auto v = buildWinnersTextView(s.ini, oneAward(c.winners), winnersOf(c.winners), 0, false, measurer,
                                            {1920, 1080});
        if (c.perRow > 0)
            EXPECT_EQ(v.perRow, c.perRow);
        else
            EXPECT_GT(v.perRow, 3);
        EXPECT_EQ(v.pages, c.pages);
        EXPECT_EQ(v.namesFont.color, colors::clRed);
        EXPECT_GE(v.namesFont.size, c.stored[4] == '6' ? 60 : 20);
        EXPECT_EQ(v.position, (Point{50, 20}));  // not centred: where the operator put it
        EXPECT_LE(v.position.x + v.size.width, 1920);
        EXPECT_LE(v.position.y + v.size.height, 1080);
    }
}

TEST(WinnersFit, ANameWiderThanTheWindowAtTheStoredSizeIsSetSmallerToStayInside)
{
    Store s("[float2txt]\r\n0=3|clYellow|200|x|[]|134|50|20\r\n");
    std::vector<Lines> winners(50);
    winners[0] = Lines(3, std::string(30, 'W'));
    const auto v = buildWinnersTextView(s.ini, oneAward(3), winners, 0, false, ScreenLikeMeasurer{}, {1024, 768});
    EXPECT_LT(v.namesFont.size, 200);
    EXPECT_EQ(v.perRow, 1);
    EXPECT_LE(v.position.x + v.size.width, 1024);
    EXPECT_LE(v.position.y + v.size.height, 768);
    EXPECT_FALSE(s.ini.dirty());
}

TEST(WinnersFit, PicturesGrowToFillTheWindowButNeverPastThePhotosOrTheScreen)
{
    const WinnersPhotoStyle stored;  // 5 columns of 160 by 120, gaps 10
    const TextSize full{1920, 1080};
    struct Case {
        int winners;
        TextSize photo;
        int leastWidth, mostWidth;
    } const cases[] = {
        {2, {1600, 1200}, 700, 1600},  // two pictures fill the window
        {2, {400, 300}, 400, 400},     // never past the photos' own pixels
        {2, {}, 160, 160},             // no photo: the placeholders keep the stored size
        {20, {1600, 1200}, 250, 400},
        {200, {1600, 1200}, 160, 160},  // more than fit: the stored size, scrolled
        {2000, {1600, 1200}, 160, 160},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.winners);
        const WinnersPhotoFit fit = fitWinnersPhotos(full, c.winners, stored, 30, c.photo);
        EXPECT_GE(fit.tile.width, c.leastWidth);
        EXPECT_LE(fit.tile.width, c.mostWidth);
        EXPECT_EQ(fit.tile.height, static_cast<int>(std::lround(fit.tile.width * 0.75)));
        EXPECT_LE(fit.tile.height, full.height);
        if (fit.onePage) {
            const int rows = (c.winners + fit.columns - 1) / fit.columns;
            EXPECT_LE(fit.columns * fit.tile.width + (fit.columns - 1) * fit.columnGap, full.width);
            EXPECT_LE(stored.captionTop + 30 * fit.scale + rows * (fit.tile.height + fit.rowGap), full.height);
        } else {
            EXPECT_LE(fit.columns * 160 + (fit.columns - 1) * 10, full.width);  // as many columns as the width takes
            EXPECT_GT((fit.columns + 1) * 160 + fit.columns * 10, full.width - 2 * winnersMargin(full));
        }
    }
}

TEST(WinnersFit, AutomaticPagingWalksThePagesThenTheAwardsInTheWindowsOrderAndStartsAgain)
{
    const std::vector<int> counts{3, 0, 200, 5};  // award 1 has no winner
    struct Case {
        WinnersPage current;
        int pages;
        bool scrollDown;
        WinnersPage next;
    } const cases[] = {
        {{2, 0}, 3, true, {2, 1}},  {{2, 2}, 3, true, {3, 0}},  {{3, 0}, 1, true, {0, 0}},
        {{0, 0}, 1, true, {2, 0}},  {{0, 0}, 1, false, {3, 0}}, {{2, 2}, 3, false, {0, 0}},
        {{3, 0}, 1, false, {2, 0}}, {{1, 0}, 1, true, {2, 0}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(nextAutoPage(c.current, c.pages, counts, 4, c.scrollDown), c.next)
            << c.current.award << "/" << c.current.page << " " << c.scrollDown;
    const std::vector<int> none{0, 0};
    EXPECT_EQ(nextAutoPage({1, 0}, 1, none, 2, true), (WinnersPage{1, 0}));
    EXPECT_EQ(pageCaption(1, 17), G("第 2/17 页"));

    Store s("[float2txt]\r\nAutoPage=99999\r\n");
    EXPECT_EQ(readAutoPagePeriod(s.ini), kAutoPageMax);
    writeAutoPagePeriod(s.ini, 12);
    EXPECT_EQ(readAutoPagePeriod(s.ini), 12);
    Store empty;
    EXPECT_EQ(readAutoPagePeriod(empty.ini), 8);
}

}  // namespace
}  // namespace tessaly
