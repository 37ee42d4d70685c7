// Seeded random draws (awards, batches, give-ups, supplements, resets,
// restarts and list changes) in which every save of every stop and reset is
// cut short after each of its writes in turn, followed by a restart. The
// restart must bring back exactly what the save completed: nobody drawn
// twice, no winner lost, files that agree. TESSALY_SOAK_POINTS sets how many
// interruptions to cover (default 600).
#include "DrawFixtures.h"

#include "core/draw/DrawCommit.h"
#include "core/text/Lines.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <set>

namespace tessaly {
namespace {

using namespace test;

struct Snapshot {
    int award, batch, drawn, cursor;
    std::vector<std::string> marks;
    std::vector<int> order;
    WinnerArray names;
    bool operator==(const Snapshot &) const = default;
};

Snapshot snapshot(const DrawSession &s)
{
    return {s.state().CurrentAward, s.state().CurrentBatch, s.state().DrawnInAward, s.state().OrderCursor,
            s.lists().StateList, s.PoolList(), s.AwardWinnerNames()};
}

// What must hold after every start: each winner recorded once and marked
// drawn, and nobody drawn left in the part of the order still in play.
void checkStart(const DrawSession &s)
{
    std::set<std::string> seen;
    for (const auto &names : s.AwardWinnerNames())
        for (const auto &name : names) {
            ASSERT_TRUE(seen.insert(name).second) << name << " recorded twice";
            const auto &list = s.lists().NameList;
            const size_t t = static_cast<size_t>(std::find(list.begin(), list.end(), name) - list.begin());
            ASSERT_LT(t, list.size()) << name;
            ASSERT_EQ(s.lists().StateList[t], "|ISOK|") << name;
        }
    for (int i = 0; i <= s.state().OrderCursor; ++i)
        ASSERT_NE(s.lists().StateList[static_cast<size_t>(s.PoolList()[static_cast<size_t>(i)])], "|ISOK|");
}

enum class Op { Batch, Reset, Restart, Supplement };

// Runs one saving operation on a fresh start of the folder, cut after `cut`
// (none: the whole save); the supplement only when the current award is done.
void perform(const DrawFolder &dir, std::uint64_t seed, Op op, std::optional<CommitStep> cut)
{
    Program run(dir, seed);
    if (cut)
        run.session.setCommitInterrupt([step = *cut](CommitStep at) { return at == step; });
    switch (op) {
    case Op::Batch: run.batch(); break;
    case Op::Reset: run.session.ResetDraw(false); break;
    case Op::Restart: run.session.Restart(); break;
    case Op::Supplement:
        run.session.Supplement(run.session.awards()[run.session.state().CurrentAward].name, "1", "");
        run.session.FormKeyUp(kSpace);
        run.session.FormKeyUp(kSpace);
        break;
    }
}

void copyFolder(const DrawFolder &from, const DrawFolder &to)
{
    for (const auto &entry : std::filesystem::directory_iterator(from.path()))
        std::filesystem::copy(entry.path(), to / entry.path().filename().string(),
                              std::filesystem::copy_options::overwrite_existing |
                                  std::filesystem::copy_options::recursive);
}

TEST(DrawSoak, EveryCutSaveComesBackWholeAndNobodyWinsTwice)
{
    const char *setting = std::getenv("TESSALY_SOAK_POINTS");
    const long long wanted = setting ? std::atoll(setting) : 600;
    const CommitStep cuts[] = {CommitStep::Journal, CommitStep::Record,   CommitStep::Order,
                               CommitStep::State,   CommitStep::Settings, CommitStep::Log};
    long long points = 0;
    for (std::uint64_t seed = 1; points < wanted; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937_64 chance(seed);
        auto below = [&chance](int n) { return static_cast<int>(chance() % static_cast<std::uint64_t>(n)); };
        const int entries = 8 + below(30);
        std::vector<AwardRow> awards;
        int left = entries;
        for (int a = 0, count = 1 + below(3); a < count && left > 1; ++a) {
            const int batches = 1 + below(3);
            std::string detail;
            int winners = 0;
            for (int b = 0; b < batches; ++b) {
                const int n = 1 + below(3);
                detail += (b ? "+" : "") + std::to_string(n);
                winners += n;
            }
            left -= winners;
            awards.push_back({"A" + std::to_string(a), winners, batches, detail});
        }
        DrawFolder dir(entries, awards, below(2) ? "scrolldown=0\r\n" : "scrolldown=1\r\n");
        { Program install(dir, seed); }
        int added = 0;
        for (int step = 0; step < 14 && points < wanted; ++step) {
            const int pick = below(20);
            if (pick == 0) {  // a name added to the list between two runs
                dir.write("data.txt", dir.read("data.txt") + "N" + std::to_string(added++) + "\r\n");
                continue;
            }
            if (pick == 1) {  // a winner gives the prize back
                Program run(dir, seed);
                for (int a = 0; a < kMaxAwards; ++a)
                    if (!run.session.AwardWinnerNames()[a].empty()) {
                        run.session.GiveUp(a, below(static_cast<int>(run.session.AwardWinnerNames()[a].size())),
                                           below(2) == 0);
                        break;
                    }
                continue;
            }
            const Op op = pick == 2 ? Op::Reset : pick == 3 ? Op::Restart : pick == 4 ? Op::Supplement : Op::Batch;
            std::set<std::string> before;
            {
                Program start(dir, seed);
                checkStart(start.session);
                if (op == Op::Batch && start.session.IsDrawComplete())
                    continue;
                for (const auto &names : start.session.AwardWinnerNames())
                    before.insert(names.begin(), names.end());
            }
            DrawFolder saved(0, {});
            copyFolder(dir, saved);

            perform(dir, seed + 1000 * static_cast<std::uint64_t>(step), op, std::nullopt);
            Program done(dir, seed);
            checkStart(done.session);
            const Snapshot expected = snapshot(done.session);
            if (op == Op::Batch || op == Op::Supplement)
                for (const auto &name : before) {
                    bool kept = false;
                    for (const auto &names : expected.names)
                        kept = kept || std::find(names.begin(), names.end(), name) != names.end();
                    ASSERT_TRUE(kept) << name << " lost";
                }

            for (CommitStep cut : cuts) {
                DrawFolder replay(0, {});
                copyFolder(saved, replay);
                perform(replay, seed + 1000 * static_cast<std::uint64_t>(step), op, cut);
                Program restarted(replay, seed);
                EXPECT_TRUE(restarted.shown.notices.empty() || !done.shown.notices.empty())
                    << texts(restarted.shown);
                ASSERT_EQ(snapshot(restarted.session), expected) << "cut after write " << static_cast<int>(cut);
                ++points;
            }
        }
    }
    std::printf("interruption points covered: %lld\n", points);
}

}  // namespace
}  // namespace tessaly
