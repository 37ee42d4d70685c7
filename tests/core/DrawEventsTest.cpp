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

TEST(DrawEvents, AStopWhoseSaveFailedCarriesTheFailureUntilTheRetryWrites)
{
    Tracked t({{"一等奖", 2, 1, "2"}});
    t.key();
    t.run.session.Timer1Timer();
    // The record file cannot be appended to: it is a folder now.
    std::filesystem::remove(t.dir / "ARecord.dat");
    std::filesystem::create_directory(t.dir / "ARecord.dat");
    const auto stop = t.key();
    ASSERT_EQ(kinds(stop), (std::vector<K>{K::Stopped, K::AwardDone, K::RecordsFailed}));
    EXPECT_FALSE(stop[0].saved);
    EXPECT_FALSE(stop[0].error.empty());
    EXPECT_TRUE(t.run.session.saveOwed());

    EXPECT_EQ(kinds(t.after(t.run.session.retrySave())), std::vector<K>{K::RecordsFailed});
    std::filesystem::remove(t.dir / "ARecord.dat");
    t.dir.write("ARecord.dat", "");
    EXPECT_EQ(kinds(t.after(t.run.session.retrySave())), std::vector<K>{K::RecordsWritten});
    EXPECT_FALSE(t.run.session.saveOwed());
    EXPECT_NE(t.dir.read("ARecord.dat").find("P"), std::string::npos);
}

}  // namespace tessaly::test
