// Corrections during a draw in a real program folder: give-up, supplement,
// continuing from another award, restart and prize rename.
#include "DrawFixtures.h"

#include "core/text/Lines.h"
#include "core/text/SplitField.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using namespace test;

int recordLinesOf(const DrawFolder &dir, int award)
{
    int n = 0;
    for (const auto &line : splitLines(dir.read("ARecord.dat")))
        if (!line.empty() && SplitField(line, '|', 1) == std::to_string(award))
            ++n;
    return n;
}

TEST(DrawCorrections, GivingUpRemovesOnlyThatWinnersRecord)
{
    // Two entries share a name; each wins a different award.
    for (bool returnToPool : {false, true}) {
        DrawFolder dir(0, {{"一等奖", 1, 1, "1"}, {"二等奖", 1, 1, "1"}, {"三等奖", 1, 1, "1"}}, "scrolldown=0\r\n");
        dir.write("data.txt", "Same\r\nSame\r\nOther\r\n");
        Program p(dir);
        p.batch();  // award 0
        p.batch();  // award 1
        const auto names = p.session.AwardWinnerNames();
        ASSERT_EQ(names[0].size(), 1u);
        const int recordsBefore = recordLinesOf(dir, 0) + recordLinesOf(dir, 1);
        p.session.GiveUp(1, 0, returnToPool);
        EXPECT_TRUE(p.session.AwardWinnerNames()[1].empty());
        EXPECT_EQ(p.session.AwardWinnerNames()[0], names[0]);  // the other award keeps its winner
        EXPECT_EQ(recordLinesOf(dir, 0) + recordLinesOf(dir, 1), recordsBefore - 1);
        EXPECT_EQ(recordLinesOf(dir, 1), 0);

        // The given-up entry can be drawn again only when it was returned.
        EXPECT_EQ(p.session.availableEntries(), returnToPool ? 2 : 1);
        p.batch();
        EXPECT_EQ(p.session.AwardWinnerNames()[2].size(), 1u);
        EXPECT_EQ(p.session.availableEntries(), returnToPool ? 1 : 0);

        // A restart of the program does not bring the given-up winner back.
        Program again(dir);
        EXPECT_TRUE(again.session.AwardWinnerNames()[1].empty());
    }
}

TEST(DrawCorrections, SupplementChecksComeInOrder)
{
    struct Case {
        int batchesDone;  // stops made before the supplement
        std::string award, count;
        std::string refusal;  // UTF-8, empty when accepted
    };
    // 10 entries; award 0 of 2 (drawn first with scrolldown off), award 1 of 6 still to come.
    const Case cases[] = {
        {1, " ", "1", "请选择或输入要补奖的奖项"},
        {1, "一等奖", "", "请输入补奖的个数"},
        {1, "一等奖", "0", "请输入补奖的个数"},
        {0, "一等奖", "1", "现在不能补奖"},
        {1, "一等奖", "3", "补奖数量与剩余中奖名额之和不能大于奖池中的名单数量"},
        {1, "一等奖", "2", ""},
    };
    for (const auto &c : cases) {
        DrawFolder dir(10, {{"一等奖", 2, 1, "2"}, {"二等奖", 6, 1, "6"}}, "scrolldown=0\r\n");
        Program p(dir);
        for (int i = 0; i < c.batchesDone; ++i)
            p.batch();
        DrawOutcome out = p.session.Supplement(G(c.award), c.count, "");
        if (c.refusal.empty()) {
            EXPECT_TRUE(mentions(out, "补奖设置完成。可以开始补奖。"));
            EXPECT_TRUE(p.session.flags().SupplementMode);
        } else {
            EXPECT_TRUE(mentions(out, c.refusal)) << c.refusal;
            EXPECT_FALSE(p.session.flags().SupplementMode);
        }
    }
}

TEST(DrawCorrections, ASupplementForANewAwardIsStoredWithOneBatch)
{
    DrawFolder dir(20, {{"一等奖", 2, 1, "2"}, {"二等奖", 3, 1, "3"}}, "scrolldown=0\r\n");
    Program p(dir);
    p.batch();
    DrawOutcome set = p.session.Supplement(G("特别奖"), "2", G("  电脑 "));
    ASSERT_TRUE(p.session.flags().BatchReady);
    p.session.FormKeyUp(kSpace);
    p.session.Timer1Timer();
    p.session.FormKeyUp(kSpace);
    EXPECT_EQ(dir.value("Option", "Lucks"), "3");
    EXPECT_EQ(dir.value("Grade", "2"), G("特别奖|2|1|2|电脑|"));
    EXPECT_EQ(dir.value("Option", "addgradep"), "2");
    EXPECT_EQ(recordLinesOf(dir, 2), 2);
    // The regular progression goes on with the second award.
    p.batch();
    EXPECT_EQ(p.session.AwardWinnerNames()[1].size(), 3u);
    EXPECT_TRUE(p.session.IsDrawComplete());
}

TEST(DrawCorrections, ContinuingFromAnotherAwardKeepsTheDrawn)
{
    DrawFolder dir(30, {{"一等奖", 2, 1, "2"}, {"二等奖", 3, 1, "3"}, {"三等奖", 4, 1, "4"}});
    Program p(dir);
    p.batch();  // the last award first
    const int left = p.session.availableEntries();
    p.session.StartFromAward(0);
    EXPECT_EQ(p.session.state().CurrentAward, 0);
    EXPECT_EQ(p.session.state().CurrentBatch, 1);
    p.batch();
    EXPECT_EQ(p.session.availableEntries(), left - 2);
    EXPECT_EQ(p.session.AwardWinnerNames()[2].size(), 4u);
}

TEST(DrawCorrections, RestartWhileRollingRecordsTheRollThenResets)
{
    DrawFolder dir(30, {{"一等奖", 2, 1, "2"}, {"二等奖", 3, 1, "3"}});
    Program p(dir);
    p.session.FormKeyUp(kSpace);  // rolling
    ASSERT_TRUE(p.session.flags().Rolling);
    p.session.Restart();
    EXPECT_FALSE(p.session.flags().Rolling);
    EXPECT_EQ(dir.read("ARecord.dat"), "");
    EXPECT_EQ(p.session.availableEntries(), 30);
    const std::string log = dir.read("log.txt");
    EXPECT_NE(log.find("P"), std::string::npos);  // the stopped roll's winners are in the restart block
}

TEST(DrawCorrections, RenamingAPrizeTouchesOnlyThatField)
{
    DrawFolder dir(10, {{"电视奖", 1, 1, "1"}});
    dir.write("set.dat", G("[Option]\r\nLucks=2\r\n[Grade]\r\n0=电视奖|1|1|1|电视|Awardimg\\tv.jpg\r\n1=空奖|1|1|1||\r\n"));
    Program p(dir);
    EXPECT_EQ(p.session.storedPrizeName(0), G("电视"));
    p.session.RenamePrize(0, G(" 冰箱 "));
    p.session.RenamePrize(1, G("手机"));
    EXPECT_EQ(dir.value("Grade", "0"), G("电视奖|1|1|1|冰箱|Awardimg\\tv.jpg"));
    EXPECT_EQ(dir.value("Grade", "1"), G("空奖|1|1|1|手机|"));
    EXPECT_EQ(p.session.awards()[0].prizeName, G("冰箱"));
    EXPECT_TRUE(mentions(p.session.RenamePrize(-1, "x"), "请选择奖项名称"));
}

}  // namespace
}  // namespace tessaly
