// The winners window's rules without a window: the stored looks per award,
// the text block, centring and paging.
#include "TempProgramDir.h"

#include "core/settings/IniStore.h"
#include "core/winners/WinnersView.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::G;
using test::TempProgramDir;
using Lines = std::vector<std::string>;

// Ten pixels a byte, twenty a line.
class ByteMeasurer : public TextMeasurer {
public:
    TextSize measure(const FontSpec &, std::string_view text) const override
    {
        int widest = 0, lines = 1, current = 0;
        for (char c : text) {
            if (c == '\r') {
                ++lines;
                current = 0;
            } else {
                widest = std::max(widest, ++current * 10);
            }
        }
        return {widest, lines * 20};
    }
};

AwardTable awardsOf(int count)
{
    AwardTable t;
    for (int i = 0; i < count; ++i)
        t[i] = LGrade{G("奖") + std::to_string(i), 1, "7", 7, G("奖品"), ""};
    t.AwardCount = count;
    return t;
}

using Store = test::SettingsFile;

TEST(WinnersView, SevenWinnersThreeToARowAreCentredOnTheStage)
{
    Store s;
    std::vector<Lines> winners(50);
    winners[0] = Lines(7, "AAAA");
    const auto v = buildWinnersTextView(s.ini, awardsOf(1), winners, 0, false, ByteMeasurer{}, {1024, 768});
    EXPECT_EQ(v.text.lines, (Lines{G("奖0(7名)"), "AAAA  AAAA  AAAA", "AAAA  AAAA  AAAA", "AAAA            "}));
    EXPECT_EQ(v.size, (TextSize{160, 80}));
    EXPECT_EQ(v.position, (Point{432, 344}));  // (1024-160)/2, (768-80)/2
    EXPECT_FALSE(s.ini.dirty());
}

TEST(WinnersView, ABlockWiderThanTheStageGetsShorterRowsAndTheStoredLookStays)
{
    Store s("[float2txt]\r\n0=4|clRed|30|" + G("宋体") + "|[]|134|7|9\r\nTextcenter=0\r\n");
    std::vector<Lines> winners(50);
    winners[0] = Lines(8, std::string(30, 'x'));
    const auto v = buildWinnersTextView(s.ini, awardsOf(1), winners, 0, false, ByteMeasurer{}, {1024, 768});
    EXPECT_EQ(v.perRow, 3);  // four of 30 bytes are wider than the window
    EXPECT_EQ(v.text.lines.size(), 1u + 3u);
    EXPECT_LE(v.position.x + v.size.width, 1024);
    EXPECT_EQ(v.position, (Point{7, 9}));  // not centred: the stored position
    EXPECT_EQ(v.namesFont.color, colors::clRed);
    EXPECT_EQ(v.namesFont.name, G("宋体"));
    EXPECT_GE(v.namesFont.size, 30);
    EXPECT_EQ(v.style.perRow, 4);
    EXPECT_FALSE(s.ini.dirty());  // nothing the operator chose is overwritten
}

TEST(WinnersView, AStoredPerRowCountOutOfRangeIsClampedAndNamed)
{
    struct Case {
        const char *stored;
        int perRow;
        bool named;
    } const cases[] = {
        {"2000000000", 100, true}, {"99999999999", 100, true}, {"101", 100, true}, {"100", 100, false},
        {"7", 7, false},           {"1", 1, false},            {"0", 1, true},     {"-1", 1, true},
        {"-99999999999", 1, true}, {"x", 3, true},             {"", 3, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        Store s(std::string("[float2txt]\r\n0=") + c.stored + G("|clYellow|20|黑体|[fsBold]|134|50|20\r\n"));
        std::vector<Lines> winners(50);
        winners[0] = Lines(250, "A");
        const auto v = buildWinnersTextView(s.ini, awardsOf(1), winners, 0, false, ByteMeasurer{}, {100000, 100000});
        EXPECT_EQ(v.style.perRow, c.perRow);
        EXPECT_EQ(v.text.lines.size(), 1u + (250u + c.perRow - 1) / c.perRow);
        EXPECT_EQ(v.notice.empty(), !c.named);
        if (c.named) {
            EXPECT_NE(v.notice.find(G("奖0")), std::string::npos);
            EXPECT_NE(v.notice.find(c.stored), std::string::npos);
        }
    }
}

TEST(WinnersView, AnAwardWithoutWinnersShowsItsHeadingAlone)
{
    Store s;
    std::vector<Lines> winners(50);
    const auto v = buildWinnersTextView(s.ini, awardsOf(2), winners, 1, true, ByteMeasurer{}, {1024, 768});
    EXPECT_EQ(v.text.lines, (Lines{G("奖1(0名)"), G("(奖品)")}));
    // A block higher than the stage starts 20 pixels from the top.
    EXPECT_EQ(centredTextBlock({100, 900}, {1024, 768}), (Point{462, 20}));
    EXPECT_EQ(centredTextBlock({101, 100}, {1024, 768}), (Point{462, 334}));  // 461.5 to even
}

TEST(WinnersView, StylesRoundTripInTheirStoredForm)
{
    Store s;
    WinnersTextStyle text = readWinnersTextStyle(s.ini, 4);
    EXPECT_EQ(text.perRow, 3);
    EXPECT_EQ(text.font.color, colors::clYellow);
    EXPECT_EQ(text.font.size, 20);
    EXPECT_EQ(text.font.name, G("黑体"));
    text.perRow = 2;
    text.left = 11;
    text.top = 12;
    text.font.style = fsBold | fsItalic;
    writeWinnersTextStyle(s.ini, 4, text);
    EXPECT_EQ(s.ini.readString("float2txt", "4"), G("2|clYellow|20|黑体|[fsBold,fsItalic]|134|11|12"));

    WinnersPhotoStyle photo = readWinnersPhotoStyle(s.ini, 4);
    EXPECT_EQ(photo.columns, 5);
    EXPECT_EQ(photo.width, 160);
    photo.columns = 6;
    writeWinnersPhotoStyle(s.ini, 4, photo);
    EXPECT_EQ(s.ini.readString("float2pho", "4"), "6|50|10|10|160|120");

    EXPECT_EQ(readWinnersCaptionFont(s.ini, WinnersCaption::Names, 4).size, 16);
    FontSpec award = readWinnersCaptionFont(s.ini, WinnersCaption::Award, 4);
    EXPECT_EQ(award.color, colors::clWhite);
    award.size = 28;
    writeWinnersCaptionFont(s.ini, WinnersCaption::Award, 4, award);
    EXPECT_EQ(s.ini.readString("float2Labelli", "4"), G("5|clWhite|28|黑体|[fsBold]|134"));

    EXPECT_TRUE(readWinnersTextCentred(s.ini));
    writeWinnersTextCentred(s.ini, false);
    EXPECT_FALSE(readWinnersTextCentred(s.ini));
}

TEST(WinnersView, PagingRunsBothWaysAndStopsAtTheEnds)
{
    using C = PageCommand;
    struct Case {
        int current;
        bool scrollDown;
        C command;
        int expected;
    };
    const Case cases[] = {
        {2, true, C::Previous, 1}, {2, true, C::Next, 3}, {0, true, C::Previous, 0}, {4, true, C::Next, 4},
        {2, true, C::First, 0},    {2, true, C::Last, 4}, {2, false, C::Previous, 3}, {2, false, C::Next, 1},
        {4, false, C::Previous, 4}, {0, false, C::Next, 0}, {2, false, C::First, 4},  {2, false, C::Last, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(pageAward(c.current, 5, c.scrollDown, c.command), c.expected)
            << c.current << " " << c.scrollDown << " " << static_cast<int>(c.command);
    EXPECT_EQ(pageAward(0, 0, true, C::Last), 0);  // no awards: stays on the first index
}

}  // namespace
}  // namespace tessaly
