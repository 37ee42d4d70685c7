// The draw's record under damage: lists changed between runs, cut and damaged
// record files, failed writes, restores that could not read, and numbers out
// of range. Nobody wins twice and no recorded winner is lost.
#include "DrawFixtures.h"

#include "core/draw/DrawCommit.h"
#include "core/draw/DrawRecord.h"
#include "core/text/Lines.h"

#include <gtest/gtest.h>
#include <set>

namespace tessaly {
namespace {

using namespace test;
using Lines = std::vector<std::string>;

// Every name recorded so far, each once: a second one is a double winner.
std::set<std::string> recordedOnce(const DrawSession &s)
{
    std::set<std::string> seen;
    for (const auto &names : s.AwardWinnerNames())
        for (const auto &name : names)
            EXPECT_TRUE(seen.insert(name).second) << name << " won twice";
    return seen;
}

TEST(DrawIntegrity, AListChangedUnderASavedDrawNeverDrawsAnEarlierWinnerAgain)
{
    struct Case {
        std::string what;
        std::function<std::string(const std::string &)> change;
        std::string notice;
    };
    const Case cases[] = {
        {"a name inserted at the top", [](const std::string &f) { return "NEW\r\n" + f; },
         "参选名单data.txt在上次保存抽奖结果以后已被改动"},
        {"two names swapped", [](const std::string &f) {
             Lines lines = splitLines(f);
             std::swap(lines[0], lines[5]);
             return joinLines(lines);
         },
         "参选名单data.txt在上次保存抽奖结果以后已被改动"},
    };
    for (const auto &c : cases) {
        for (std::uint64_t seed = 1; seed <= 8; ++seed) {
            SCOPED_TRACE(c.what + ", seed " + std::to_string(seed));
            DrawFolder dir(12, {{"奖", 9, 3, "3+3+3"}});
            {
                Program run(dir, seed);
                run.batch();
            }
            dir.write("data.txt", c.change(dir.read("data.txt")));
            Program next(dir, seed);
            EXPECT_TRUE(mentions(next.shown, c.notice)) << texts(next.shown);
            // Nothing drawn is left in the part of the order still in play.
            for (int i = 0; i <= next.session.state().OrderCursor; ++i)
                EXPECT_NE(next.session.lists().StateList[next.session.PoolList()[i]], "|ISOK|");
            next.batch();
            next.batch();
            EXPECT_EQ(recordedOnce(next.session).size(), 9u);
            EXPECT_EQ(next.session.AwardWinnerNames()[0].size(), 9u);
        }
    }
}

}  // namespace
}  // namespace tessaly
