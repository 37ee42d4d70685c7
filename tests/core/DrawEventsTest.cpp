// The events every view of the draw learns, derived from the session after each action.
#include "DrawFixtures.h"

#include "core/draw/DrawEvents.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace tessaly::test {
namespace {

std::vector<DrawEventKind> kinds(const std::vector<DrawEvent> &events)
{
    std::vector<DrawEventKind> out;
    for (const DrawEvent &e : events)
        out.push_back(e.kind);
    return out;
}

struct Tracked {
    DrawFolder dir;
    Program run;
    DrawEventTracker tracker;

    explicit Tracked(std::vector<AwardRow> awards, const std::string &options = "canready=0\r\nscrolldown=0\r\n")
        : dir(12, awards, options), run(dir)
    {
        tracker.reset(run.session);
    }
    std::vector<DrawEvent> after(const DrawOutcome &outcome) { return tracker.update(run.session, outcome); }
    std::vector<DrawEvent> key() { return after(run.session.FormKeyUp(kSpace)); }
};

using K = DrawEventKind;

}  // namespace

TEST(DrawEvents, AnAwardDrawnToItsEndIsAnnouncedStepByStep)
{
    Tracked t({{"一等奖", 3, 2, "2+1"}, {"二等奖", 2, 1, "2"}});
    // The start prepared the first batch already.
    EXPECT_EQ(kinds(t.key()), std::vector<K>{K::Rolling});
    t.run.session.Timer1Timer();
    const auto stop = t.key();
    ASSERT_EQ(kinds(stop), std::vector<K>{K::Stopped});
    EXPECT_EQ(stop[0].award, 0);
    EXPECT_EQ(stop[0].winners.size(), 2u);
    EXPECT_TRUE(stop[0].saved);
    EXPECT_EQ(stop[0].winners, t.run.session.AwardWinners()[0]);

    EXPECT_EQ(kinds(t.key()), (std::vector<K>{K::BatchPrepared, K::Rolling}));
    t.run.session.Timer1Timer();
    const auto last = t.key();
    ASSERT_EQ(kinds(last), (std::vector<K>{K::Stopped, K::AwardDone}));
    EXPECT_EQ(last[0].winners.size(), 1u);
    EXPECT_EQ(last[0].winners.front(), t.run.session.AwardWinners()[0].back());
    // Nothing new, nothing announced: a stop is announced once.
    EXPECT_TRUE(t.after({}).empty());
}

TEST(DrawEvents, GiveUpAndRestartAreAnnounced)
{
    Tracked t({{"一等奖", 4, 1, "4"}});
    t.key();
    t.run.session.Timer1Timer();
    t.key();
    const auto gaveUp = t.after(t.run.session.GiveUp(0, 1, false));
    ASSERT_EQ(kinds(gaveUp), std::vector<K>{K::GaveUp});
    EXPECT_EQ(gaveUp[0].award, 0);
    const auto restarted = kinds(t.after(t.run.session.Restart()));
    ASSERT_FALSE(restarted.empty());
    EXPECT_EQ(restarted.front(), K::Reset);
    EXPECT_EQ(std::count(restarted.begin(), restarted.end(), K::Stopped), 0);
}

TEST(DrawEvents, AStopWhoseSaveFailedNamesItsWinnersOnlyWithTheRetryThatWritesThem)
{
    // Each row: how the records fail, and how many retries fail before one goes through.
    struct Row {
        const char *what;
        std::vector<AwardRow> awards;
        int failedRetries;
    };
    const Row rows[] = {
        {"the award's last batch, written at the first retry", {{"一等奖", 2, 1, "2"}}, 0},
        {"a batch in the middle of an award, written at the third retry", {{"一等奖", 3, 2, "2+1"}}, 2},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Tracked t(row.awards);
        t.key();
        t.run.session.Timer1Timer();
        // The record file cannot be appended to: it is a folder now.
        std::filesystem::remove(t.dir / "ARecord.dat");
        std::filesystem::create_directory(t.dir / "ARecord.dat");
        const bool endsAward = row.awards.front().winners == 2;
        const auto stop = t.key();
        ASSERT_EQ(kinds(stop), (std::vector<K>{K::Stopped, K::RecordsFailed}));
        EXPECT_FALSE(stop[0].saved);
        EXPECT_TRUE(stop[0].winners.empty()) << "a stop whose records are not on disk names nobody";
        EXPECT_EQ(stop[0].award, 0);
        EXPECT_FALSE(stop[0].error.empty());
        EXPECT_TRUE(t.run.session.saveOwed());

        for (int i = 0; i < row.failedRetries; ++i) {
            const auto again = t.after(t.run.session.retrySave());
            ASSERT_EQ(kinds(again), std::vector<K>{K::RecordsFailed});
            EXPECT_TRUE(again[0].winners.empty());
        }
        // A key while the save is owed starts nothing and names nobody.
        for (const DrawEvent &e : t.key())
            EXPECT_TRUE(e.winners.empty());

        std::filesystem::remove(t.dir / "ARecord.dat");
        t.dir.write("ARecord.dat", "");
        const auto written = t.after(t.run.session.retrySave());
        EXPECT_EQ(kinds(written), endsAward ? (std::vector<K>{K::RecordsWritten, K::AwardDone})
                                            : std::vector<K>{K::RecordsWritten});
        EXPECT_EQ(written[0].award, 0);
        EXPECT_EQ(written[0].winners, t.run.session.AwardWinners()[0]);
        EXPECT_FALSE(t.run.session.saveOwed());
        const std::string record = t.dir.read("ARecord.dat");
        for (const std::string &name : written[0].winners)
            EXPECT_NE(record.find(name), std::string::npos) << "announced but not recorded: " << name;
        // Announced once: the next save names nobody again.
        EXPECT_TRUE(t.after(t.run.session.retrySave()).empty());
    }
}

TEST(DrawEvents, AResetWhileASaveIsOwedForgetsTheHeldBackWinners)
{
    Tracked t({{"一等奖", 2, 1, "2"}});
    t.key();
    t.run.session.Timer1Timer();
    std::filesystem::remove(t.dir / "ARecord.dat");
    std::filesystem::create_directory(t.dir / "ARecord.dat");
    ASSERT_EQ(kinds(t.key()), (std::vector<K>{K::Stopped, K::RecordsFailed}));
    std::filesystem::remove(t.dir / "ARecord.dat");
    t.dir.write("ARecord.dat", "");
    const auto reset = t.after(t.run.session.Restart());
    ASSERT_FALSE(reset.empty());
    EXPECT_EQ(reset.front().kind, K::Reset);
    for (const DrawEvent &e : reset) {
        EXPECT_TRUE(e.winners.empty()) << "a winner of a draw that was reset";
        EXPECT_NE(e.kind, K::AwardDone);
    }
}

}  // namespace tessaly::test
