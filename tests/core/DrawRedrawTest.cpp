// "不在场，重抽一人": one absent winner withdrawn and replaced by a one-slot batch.
#include "DrawFixtures.h"

#include "core/draw/Replacement.h"
#include "core/text/Lines.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <set>

namespace tessaly::test {
namespace {

size_t recordsOf(const DrawFolder &dir, int award)
{
    size_t n = 0;
    for (const auto &line : splitLines(dir.read("ARecord.dat")))
        if (line.rfind(std::to_string(award) + "|", 0) == 0)
            ++n;
    return n;
}

// Rolls the one-slot batch RedrawOne started and stops it.
DrawOutcome redraw(Program &run, int award, int position)
{
    DrawOutcome started = run.session.RedrawOne(award, position);
    EXPECT_TRUE(run.session.flags().Rolling) << texts(started);
    run.session.Timer1Timer();
    return run.session.StopButtonClick();
}

}  // namespace

TEST(Redraw, AnAbsentWinnerIsWithdrawnAndExactlyOneReplacementRecorded)
{
    DrawFolder dir(20, {{"一等奖", 5, 2, "3+2"}}, "canready=0\r\n");
    Program run(dir);
    run.batch();
    const auto before = run.session.AwardWinnerNames()[0];
    ASSERT_EQ(before.size(), 3u);
    const DrawState state = run.session.state();
    const std::string absent = before[1];

    redraw(run, 0, 1);
    const auto after = run.session.AwardWinnerNames()[0];
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(std::count(after.begin(), after.end(), absent), 0);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[1], before[2]);
    EXPECT_EQ(std::count(before.begin(), before.end(), after[2]), 0) << "the replacement is someone new";
    EXPECT_EQ(recordsOf(dir, 0), 3u);
    // The batch and the award's count stay: the next batch is still the second.
    EXPECT_EQ(run.session.state().CurrentBatch, state.CurrentBatch);
    EXPECT_EQ(run.session.state().DrawnInAward, state.DrawnInAward);
    EXPECT_EQ(run.session.state().OrderCursor, state.OrderCursor - 1);

    // The absent one does not come back: the rest of the award never draws them.
    run.batch();
    const auto all = run.session.AwardWinnerNames()[0];
    EXPECT_EQ(all.size(), 5u);
    EXPECT_EQ(std::count(all.begin(), all.end(), absent), 0);
    EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), 5u);
}

TEST(Redraw, IsRefusedWhileABatchRollsOrForAnotherAwardAndLeavesTheWinnersAlone)
{
    struct Case {
        const char *what;
        std::function<void(Program &)> from;
        bool otherAward;
    } cases[] = {
        {"rolling", [](Program &p) { p.session.FormKeyUp(kSpace); }, false},
        {"adjusting the layout", [](Program &p) { p.session.setAdjustMode(true); }, false},
        {"another award", [](Program &) {}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        DrawFolder dir(20, {{"一等奖", 4, 2, "2+2"}, {"二等奖", 2, 1, "2"}}, "canready=0\r\n");
        Program run(dir);
        run.batch();
        c.from(run);
        const int current = run.session.state().CurrentAward;
        const int award = c.otherAward ? 1 - current : current;
        const auto winners = run.session.AwardWinnerNames();
        const DrawOutcome out = run.session.RedrawOne(award, 0);
        EXPECT_FALSE(out.notices.empty());
        EXPECT_EQ(run.session.AwardWinnerNames(), winners);
    }
}

TEST(Redraw, WorksOnADrawRestoredAtTheNextStartAndSurvivesTheNextOne)
{
    DrawFolder dir(20, {{"一等奖", 4, 2, "2+2"}}, "canready=0\r\n");
    {
        Program first(dir);
        first.batch();
    }
    Program second(dir, 11);
    ASSERT_EQ(second.session.AwardWinnerNames()[0].size(), 2u);
    const std::string absent = second.session.AwardWinnerNames()[0][0];
    redraw(second, 0, 0);
    const auto replaced = second.session.AwardWinnerNames()[0];
    ASSERT_EQ(replaced.size(), 2u);

    Program third(dir, 13);
    EXPECT_EQ(third.session.AwardWinnerNames()[0], replaced);
    third.batch();
    const auto all = third.session.AwardWinnerNames()[0];
    EXPECT_EQ(all.size(), 4u);
    EXPECT_EQ(std::count(all.begin(), all.end(), absent), 0);
    EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), 4u);
    EXPECT_EQ(recordsOf(dir, 0), 4u);
}

TEST(Redraw, TheReplacementIsAnyEntryStillInPlayNotTheNextOfTheOrder)
{
    // Over many draws every entry left in play comes up as the replacement.
    std::set<std::string> chosen;
    for (std::uint64_t seed = 1; seed <= 60; ++seed) {
        DrawFolder dir(8, {{"一等奖", 2, 1, "2"}}, "canready=0\r\n");
        Program run(dir, seed);
        run.batch();
        redraw(run, 0, 0);
        chosen.insert(run.session.AwardWinnerNames()[0].back());
    }
    EXPECT_GE(chosen.size(), 6u);

    MtRandom random(3);
    EXPECT_EQ(chooseReplacement(random, 0), -1);
    for (int i = 0; i < 50; ++i) {
        const int at = chooseReplacement(random, 5);
        EXPECT_TRUE(at >= 0 && at < 5);
    }
}

}  // namespace tessaly::test
