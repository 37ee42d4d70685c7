#include "TempProgramDir.h"

#include "core/stage/ResultsText.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::G;
using Lines = std::vector<std::string>;

class ByteMeasurer : public TextMeasurer {
public:
    TextSize measure(const FontSpec &, std::string_view text) const override
    {
        return {static_cast<int>(text.size()) * 10, 20};
    }
};

AwardTable twoAwards()
{
    AwardTable t;
    t[0] = LGrade{G("一等奖"), 1, "2", 2, G("电视"), ""};
    t[1] = LGrade{G("二等奖"), 1, "7", 7, "  ", ""};
    t.AwardCount = 2;
    return t;
}

TEST(ResultsText, WinnersArePaddedAndGroupedUnderTheirHeadings)
{
    ByteMeasurer m;
    std::vector<Lines> winners(50);
    winners[0] = {"abcd", "abcdef"};
    winners[1] = {"wxyz"};
    ResultsText r = composeResultsText(twoAwards(), winners, 1, true, {}, m);
    EXPECT_EQ(r.lines, (Lines{G("一等奖(2名)"), G("(电视)"), "abcd  ", "abcdef", "  ", G("二等奖(1名)"), "wxyz  ", "  "}));
    EXPECT_EQ(r.sample, G("一等奖(2名)"));  // the heading is wider than any winner
    EXPECT_EQ(r.blockWidth, static_cast<int>(r.sample.size()) * 10);

    ResultsText hidden = composeResultsText(twoAwards(), winners, 1, false, {}, m);
    EXPECT_EQ(hidden.lines[1], "abcd  ");  // no prize line while the prize label is hidden
}

TEST(ResultsText, PartialLinesLineUpUnderFullOnes)
{
    ByteMeasurer m;
    struct Case {
        int winners, perRow;
        Lines expected;
    };
    const Case cases[] = {
        {7, 3, {"AAAA  AAAA  AAAA", "AAAA  AAAA  AAAA", "AAAA            "}},
        {2, 3, {"AAAA  AAAA"}},  // no full line before: unpadded
        {3, 0, {"AAAA", "AAAA", "AAAA"}},  // a count of 0 counts as 1
    };
    for (const auto &c : cases) {
        std::vector<Lines> winners(50);
        winners[1] = Lines(static_cast<size_t>(c.winners), "AAAA");
        ResultsText r = composeResultsText(twoAwards(), winners, c.perRow, true, {}, m);
        Lines body(r.lines.begin() + 1, r.lines.end() - 1);  // between heading and blank line
        EXPECT_EQ(body, c.expected) << c.winners << " by " << c.perRow;
    }
}

TEST(ResultsText, NoWinnersMeasuresTheSampleText)
{
    ByteMeasurer m;
    std::vector<Lines> winners(50);
    ResultsText r = composeResultsText(twoAwards(), winners, 1, true, {}, m);
    EXPECT_TRUE(r.lines.empty());
    EXPECT_EQ(r.sample, G("取最长的抽奖人员名取最长"));
    ResultsText one = composeAwardResultsText(twoAwards(), winners, 1, 3, true);
    EXPECT_EQ(one.lines, (Lines{G("二等奖(0名)"), "  "}));
}

TEST(ResultsText, MarqueeShowsTheLastAwardFirst)
{
    std::vector<Lines> winners(50);
    EXPECT_FALSE(composeMarquee(twoAwards(), winners, std::nullopt).has_value());
    winners[0] = {"A", " ", "B"};
    winners[1] = {"C"};
    EXPECT_EQ(composeMarquee(twoAwards(), winners, std::nullopt).value(),
              G("恭喜!   二等奖:C        一等奖:A  B        "));
    EXPECT_EQ(composeMarquee(twoAwards(), winners, 0).value(), G("恭喜!   一等奖:A  B        "));
    winners[1].clear();
    EXPECT_FALSE(composeMarquee(twoAwards(), winners, 1).has_value());
}

TEST(ResultsText, WinnersWindowRowCountComesFromItsSettings)
{
    test::TempProgramDir dir;
    dir.write("set.dat", "[float2txt]\r\n1=5|clRed\r\n2=0|clRed\r\n3=2000000000|clRed\r\n");
    auto s = IniStore::open(dir / "set.dat");
    EXPECT_EQ(winnersWindowPerRow(*s, 0), 3);
    EXPECT_EQ(winnersWindowPerRow(*s, 1), 5);
    EXPECT_EQ(winnersWindowPerRow(*s, 2), 1);  // as the window reads it: the nearest bound
    EXPECT_EQ(winnersWindowPerRow(*s, 3), kMaxResultsPerRow);
}

TEST(ResultsText, AStoredResultsRowCountOutOfRangeIsReadAsTheNearestBoundAndNamed)
{
    struct Case {
        const char *stored;
        int perRow;
        bool named;
    } const cases[] = {
        {"", 1, false},    {"1", 1, false},           {"4", 4, false},          {"100", 100, false},
        {"101", 100, true}, {"2000000000", 100, true}, {"99999999999", 100, true}, {"0", 1, true},
        {"-1", 1, true},   {"-99999999999", 1, true}, {"x", 1, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        test::TempProgramDir dir;
        dir.write("set.dat", std::string("[Option]\r\nFloatrownum=") + c.stored + "\r\n");
        const StoredPerRow count = resultsWindowPerRow(*IniStore::open(dir / "set.dat"));
        EXPECT_EQ(count.perRow, c.perRow);
        const std::string notice = perRowNotice(G("结果窗口"), count);
        EXPECT_EQ(notice.empty(), !c.named);
        if (c.named) {
            EXPECT_EQ(notice, G("结果窗口保存的每行显示个数“") + c.stored + G("”超出范围（1到100），按") +
                                  std::to_string(c.perRow) + G("个显示。"));
        }
    }
}

}  // namespace
}  // namespace tessaly
