// Award grouping: the dialog's checks and writes, and the draw kept inside the
// range however the list changed since.
#include "DrawFixtures.h"

#include "core/settings/IniStore.h"
#include "core/special/Grouping.h"
#include "core/text/Lines.h"

#include <gtest/gtest.h>
#include <set>

namespace tessaly {
namespace {

using namespace test;
using Lines = std::vector<std::string>;

TEST(Grouping, AddingARangeChecksEachFieldInTurn)
{
    struct Case {
        bool award;
        std::string first, last;
        std::string message;  // UTF-8; empty when accepted
        GroupField focus;
    };
    const Case cases[] = {
        {true, "1", "100", "", GroupField::Award},
        {true, " 30 ", "30", "", GroupField::Award},
        {false, "1", "5", "请选择中奖分组分配的奖项", GroupField::Award},
        {true, "", "5", "请输入起始行", GroupField::First},
        {true, "0", "5", "起始行数据要在参选人行数范围内，请重新输入", GroupField::First},
        {true, "101", "5", "起始行数据要在参选人行数范围内，请重新输入", GroupField::First},
        {true, "99999999999999999999", "5", "起始行数据要在参选人行数范围内，请重新输入", GroupField::First},
        {true, "1", " ", "请输入终止行", GroupField::Last},
        {true, "1", "101", "终止行数据要在参选人行数范围内，请重新输入", GroupField::Last},
        {true, "30", "10", "起始行不能大于终止行，请重新输入", GroupField::First},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.first + "-" + c.last);
        const GroupCheck check = checkGroupInput(c.award, c.first, c.last, 100);
        EXPECT_EQ(check.ok, c.message.empty());
        EXPECT_EQ(check.message, G(c.message));
        if (!check.ok) {
            EXPECT_EQ(check.focus, c.focus);
        }
    }
    EXPECT_EQ(groupItem(G("一等奖(3名)"), " 1", "20 "), G("一等奖(3名):1-20"));
}

TEST(Grouping, OkRewritesEveryRangeUnderItsAwardsIndex)
{
    TempProgramDir dir;
    dir.write("set.dat", "[Option]\r\nLucks=3\r\n[Grfz]\r\n0=0|" + G("旧(1名)") + ":1-2\r\n2=2|" + G("奖三(1名)") +
                             ":3-4\r\n7=7|keep:1-1\r\n");
    const Lines labels = {G("奖一(2名)"), G("奖二(2名)"), G("奖二(2名)")};
    const Lines items = {G("奖二(2名):5-6"), G("奖一(2名):1-3"), G("奖一(2名):2-9"), G("消失(9名):1-1")};
    {
        auto store = IniStore::open(dir / "set.dat");
        writeGrouping(*store, false, items, labels, 3);
        ASSERT_TRUE(store->commit().ok());
    }
    auto store = IniStore::open(dir / "set.dat");
    EXPECT_EQ(store->readString("Option", "canfz"), "0");
    EXPECT_EQ(store->readString("Grfz", "0"), "0|" + G("奖一(2名):2-9"));  // the later item wins
    EXPECT_EQ(store->readString("Grfz", "1"), "1|" + G("奖二(2名):5-6"));  // a shared label: the first award
    EXPECT_FALSE(store->hasKey("Grfz", "2"));
    EXPECT_EQ(store->readString("Grfz", "-1"), "-1|" + G("消失(9名):1-1"));
    EXPECT_EQ(store->readString("Grfz", "7"), "7|keep:1-1");  // past the table: left alone
    EXPECT_EQ(readGroupItems(*store, 3), (Lines{G("奖一(2名):2-9"), G("奖二(2名):5-6")}));
}

TEST(Grouping, AnAwardNameWithColonsKeepsItsRange)
{
    // The range never holds ":", so the last colon separates it, whatever the name holds.
    const std::string names[] = {"一等奖", "A:1", "奖:项:三", "::", "x:1-2"};
    for (const auto &utf8 : names) {
        SCOPED_TRACE(utf8);
        const std::string label = G(utf8 + "(2名)");
        TempProgramDir dir;
        dir.write("set.dat", "[Option]\r\nLucks=2\r\n");
        auto store = IniStore::open(dir / "set.dat");
        writeGrouping(*store, true, {groupItem(label, "3", "7")}, {G("别的(1名)"), label}, 2);
        EXPECT_EQ(store->readString("Grfz", "1"), "1|" + label + ":3-7");
        EXPECT_FALSE(store->hasKey("Grfz", "-1"));
        const auto range = parseGroupRange(store->readString("Grfz", "1"));
        ASSERT_TRUE(range);
        EXPECT_EQ(range->first, 3);
        EXPECT_EQ(range->last, 7);
        EXPECT_TRUE(groupingProblems(*store, 2).empty());
    }
}

TEST(Grouping, StoredRangesReadOnlyWhenBothEndsAreNumbers)
{
    EXPECT_EQ(parseGroupRange("0|a(1名):11-20")->first, 11);
    EXPECT_EQ(parseGroupRange("0|a(1名):30-10")->last, 10);
    for (const char *bad : {"0|a(1名)", "0|a(1名):1-", "0|a(1名):x-3", "0|a(1名):1-3x"})
        EXPECT_FALSE(parseGroupRange(bad)) << bad;
    LGrade award;
    award.name = G("一等奖");
    award.winners = 3;
    EXPECT_EQ(awardLabel(award), G("一等奖(3名)"));
}

TEST(Grouping, AnAwardDrawsOnlyInsideItsRangeAsTheListNowStands)
{
    struct Case {
        int entries;  // the list as it stands at the start
        std::string range;
        std::set<std::string> candidates;
    };
    std::set<std::string> lines11to20, lines11to15;
    for (int i = 10; i < 20; ++i)
        lines11to20.insert("P" + std::to_string(i));
    for (int i = 10; i < 15; ++i)
        lines11to15.insert("P" + std::to_string(i));
    const Case cases[] = {
        {40, "11-20", lines11to20},
        {15, "11-20", lines11to15},  // the list shrank after the range was set
        {8, "11-20", {}},            // nothing of the range is left
        {40, "20-11", {}},           // typed reversed into the file
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.entries) + " entries, " + c.range);
        DrawFolder dir(c.entries, {{"一等奖", 8, 2, "4+4"}, {"二等奖", 1, 1, "1"}}, "scrolldown=0\r\ncanfz=1\r\n",
                       "[Grfz]\r\n0=0|" + G("一等奖(8名)") + ":" + c.range + "\r\n");
        Program run(dir);
        EXPECT_EQ(mentions(run.shown, "您启用了奖项分组设置。奖池中的参选人数不足，当前奖项将抽0个，其它奖项正常抽取"),
                  c.candidates.empty());
        run.batch();
        run.batch();
        const auto &won = run.session.AwardWinnerNames()[0];
        EXPECT_EQ(won.size(), std::min<size_t>(8, c.candidates.size()));
        for (const auto &name : won)
            EXPECT_EQ(c.candidates.count(name), 1u) << name;
        run.batch();
        EXPECT_EQ(run.session.AwardWinnerNames()[1].size(), 1u);  // the next award draws from the whole list
    }
}

}  // namespace
}  // namespace tessaly
