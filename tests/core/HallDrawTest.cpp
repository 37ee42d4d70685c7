// The draw and the hall: with "只抽已签到的人" every award draws from the people
// checked in when it first rolls, and the hall's board shows only winners whose
// records are on disk, withdrawn ones struck through even after a restart, and
// answers a code for its own entry only.
#include "DrawFixtures.h"

#include "core/checkin/CheckInCodes.h"
#include "core/checkin/CheckInStore.h"
#include "core/checkin/HallPool.h"
#include "core/draw/DrawEvents.h"
#include "core/proof/ProofVerify.h"
#include "core/text/Gbk.h"
#include "core/web/WinnersBoard.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace tessaly::test {
namespace {

const std::string kOptions = "canready=0\r\nscrolldown=0\r\n";
const std::string kOnlyCheckedIn = "[Web]\r\nonlycheckedin=1\r\n";

std::vector<std::string> numbered(int n)
{
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i)
        names.push_back("P" + std::to_string(i));
    return names;
}

// Checks the entries in at the console, as the store does for a phone.
void checkIn(const DrawFolder &dir, int entries, const std::vector<int> &who)
{
    auto codes = CheckInCodes::load(dir.path());
    ASSERT_TRUE(codes);
    codes->cover(numbered(entries));
    ASSERT_TRUE(codes->save(dir.path()));
    auto store = CheckInStore::open(dir.path());
    ASSERT_TRUE(store);
    for (int e : who)
        EXPECT_EQ((*store)->submitAndWait({CheckInLine::Action::CheckIn, codes->codeOf({"P" + std::to_string(e), 1}),
                                           kConsoleDevice, 0}),
                  CheckInStore::Answer::CheckedIn);
}

std::set<std::string> winnersOf(const DrawSession &s, int award)
{
    const auto &names = s.AwardWinnerNames()[static_cast<size_t>(award)];
    return {names.begin(), names.end()};
}

std::set<std::string> namesOf(const std::vector<int> &entries)
{
    std::set<std::string> out;
    for (int e : entries)
        out.insert("P" + std::to_string(e));
    return out;
}

bool within(const std::set<std::string> &some, const std::set<std::string> &all)
{
    return std::includes(all.begin(), all.end(), some.begin(), some.end());
}

}  // namespace

TEST(HallDraw, EachAwardDrawsFromThoseCheckedInAtItsFirstRoll)
{
    DrawFolder dir(20, {{"一等奖", 4, 2, "2+2"}, {"二等奖", 2, 1, "2"}}, kOptions, kOnlyCheckedIn);
    checkIn(dir, 20, {0, 2, 4});
    Program p(dir);
    // After the start and before the first roll: still in time for this award.
    checkIn(dir, 20, {6, 8});
    p.batch();
    EXPECT_EQ(p.session.hallPool(0) ? namesOf(*p.session.hallPool(0)) : std::set<std::string>(),
              namesOf({0, 2, 4, 6, 8}));
    // After the award's first roll: the next award.
    checkIn(dir, 20, {9});
    p.batch();
    EXPECT_EQ(winnersOf(p.session, 0).size(), 4u);
    EXPECT_TRUE(within(winnersOf(p.session, 0), namesOf({0, 2, 4, 6, 8})));
    p.batch();
    // The one left of the first pool and the late one make the second award.
    std::set<std::string> second = namesOf({0, 2, 4, 6, 8, 9});
    for (const auto &w : winnersOf(p.session, 0))
        second.erase(w);
    EXPECT_EQ(winnersOf(p.session, 1), second);
    // Nobody who never checked in won; each pool went to the history.
    EXPECT_NE(dir.read("log.txt").find(G("只抽已签到的人：已签到 6 人")), std::string::npos);
}

TEST(HallDraw, AnAwardWithNobodyCheckedInDoesNotStartAndChangesNothing)
{
    DrawFolder dir(10, {{"一等奖", 2, 1, "2"}}, kOptions, kOnlyCheckedIn);
    Program p(dir);
    const std::vector<int> prepared = p.session.PoolList();
    const DrawOutcome refused = p.session.FormKeyUp(kSpace);
    EXPECT_TRUE(mentions(refused, "奖池里还没有已签到的人"));
    EXPECT_FALSE(p.session.flags().Rolling);
    EXPECT_EQ(p.session.PoolList(), prepared);
    EXPECT_EQ(p.session.hallPool(0), nullptr);
    EXPECT_FALSE(std::filesystem::exists(dir / "checkin_pools.dat"));

    // Someone checked in at the console: the next press rolls, and the batch shrinks to the pool.
    checkIn(dir, 10, {3});
    p.session.FormKeyUp(kSpace);
    EXPECT_TRUE(p.session.flags().Rolling);
    EXPECT_EQ(p.session.state().BatchSize, 1);
    p.session.Timer1Timer();
    p.session.FormKeyUp(kSpace);
    EXPECT_EQ(winnersOf(p.session, 0), namesOf({3}));
}

TEST(HallDraw, ARestartReusesTheSavedPoolAndOrderEvenWhenTheSaveWasCutShort)
{
    for (const CommitStep cut : {CommitStep::Finished, CommitStep::Journal, CommitStep::Record}) {
        DrawFolder dir(30, {{"一等奖", 6, 3, "2+2+2"}}, kOptions, kOnlyCheckedIn);
        checkIn(dir, 30, {1, 3, 5, 7, 9, 11, 13, 15});
        std::vector<int> order;
        {
            Program p(dir);
            p.session.setCommitInterrupt([cut](CommitStep step) { return step == cut; });
            p.session.FormKeyUp(kSpace);  // the first roll takes the pool; the program dies after `cut`
            order = p.session.PoolList();
        }
        checkIn(dir, 30, {20, 21, 22});  // too late for this award
        Program again(dir);
        ASSERT_NE(again.session.hallPool(0), nullptr) << static_cast<int>(cut);
        EXPECT_EQ(namesOf(*again.session.hallPool(0)), namesOf({1, 3, 5, 7, 9, 11, 13, 15}));
        EXPECT_EQ(again.session.PoolList(), order);
        again.batch();
        again.batch();
        again.batch();
        EXPECT_EQ(winnersOf(again.session, 0).size(), 6u);
        EXPECT_TRUE(within(winnersOf(again.session, 0), namesOf({1, 3, 5, 7, 9, 11, 13, 15})));
    }
}

TEST(HallDraw, SupplementsAndRedrawsOfAnAwardUseItsSavedPool)
{
    DrawFolder dir(20, {{"一等奖", 2, 2, "1+1"}}, kOptions, kOnlyCheckedIn);
    checkIn(dir, 20, {0, 1, 2, 3});
    Program p(dir);
    p.batch();
    checkIn(dir, 20, {10, 11, 12, 13, 14, 15, 16, 17});
    // An absent winner: the replacement comes from the award's pool.
    p.session.RedrawOne(0, 0);
    p.session.Timer1Timer();
    p.session.FormKeyUp(kSpace);
    p.batch();
    EXPECT_EQ(winnersOf(p.session, 0).size(), 2u);
    EXPECT_TRUE(within(winnersOf(p.session, 0), namesOf({0, 1, 2, 3})));
    // A supplement of two more: the rest of the pool, not the late ones.
    p.session.Supplement(G("一等奖"), "2", "");
    p.session.FormKeyUp(kSpace);
    p.session.Timer1Timer();
    p.session.FormKeyUp(kSpace);
    EXPECT_TRUE(within(winnersOf(p.session, 0), namesOf({0, 1, 2, 3})));
    EXPECT_EQ(p.session.withdrawn()[0].size(), 1u);
}

TEST(HallDraw, ACrashDuringACheckInLosesNoAnsweredOne)
{
    DrawFolder dir(12, {{"一等奖", 12, 1, "12"}}, kOptions, kOnlyCheckedIn);
    checkIn(dir, 12, {0, 1, 2, 3, 4});
    // The power went while the next group was being appended: a line cut short, never answered.
    const std::string whole = dir.read("checkin.dat");
    dir.write("checkin.dat", whole + whole.substr(0, whole.find('\n') / 2));
    auto marks = checkedInEntries(dir.path(), numbered(12));
    ASSERT_TRUE(marks);
    EXPECT_EQ(std::count(marks->begin(), marks->end(), 1), 5);
    // The store cuts the torn piece off before its next append, and what comes after is whole.
    checkIn(dir, 12, {5});
    Program p(dir);
    p.batch();
    EXPECT_EQ(winnersOf(p.session, 0), namesOf({0, 1, 2, 3, 4, 5}));
}

TEST(HallDraw, AnOrderFromThePeopleCheckedInIsRecomputedFromTheProof)
{
    DrawFolder dir(30, {{"一等奖", 2, 1, "2"}, {"二等奖", 3, 1, "3"}}, kOptions, kOnlyCheckedIn);
    checkIn(dir, 30, {2, 4, 6, 8});
    {
        Program p(dir);
        p.batch();
        checkIn(dir, 30, {20, 21});
        p.batch();
    }
    Program again(dir);  // a restart between the awards' saves is recomputed too
    auto files = readProofFolder(dir.path());
    ASSERT_TRUE(files);
    const VerifyResult result = verifyProof(*files);
    EXPECT_EQ(result.firstDifference, "") << gbkToUtf8(result.report);
}

TEST(HallBoard, WinnersReachTheBoardOnlyOnceTheirRecordsAreOnDisk)
{
    DrawFolder dir(12, {{"一等奖", 2, 1, "2"}}, kOptions);
    Program p(dir);
    DrawEventTracker tracker;
    BoardFeed feed;
    tracker.reset(p.session);
    auto act = [&](const DrawOutcome &out) {
        for (const DrawEvent &e : tracker.update(p.session, out))
            feed.observe(e, p.session);
    };
    act(p.session.FormKeyUp(kSpace));
    p.session.Timer1Timer();
    std::filesystem::remove(dir / "ARecord.dat");
    std::filesystem::create_directory(dir / "ARecord.dat");  // the record cannot be written
    act(p.session.FormKeyUp(kSpace));
    EXPECT_TRUE(feed.board(p.session).awards[0].list.empty());
    act(p.session.retrySave());
    EXPECT_TRUE(feed.board(p.session).awards[0].list.empty());
    std::filesystem::remove(dir / "ARecord.dat");
    dir.write("ARecord.dat", "");
    act(p.session.retrySave());
    EXPECT_EQ(feed.board(p.session).awards[0].list.size(), 2u);
}

TEST(HallBoard, WithdrawnWinnersStayStruckThroughAfterARestartAndAResetClearsThem)
{
    DrawFolder dir(12, {{"一等奖", 3, 1, "3"}}, kOptions);
    std::string given;
    {
        Program p(dir);
        p.batch();
        given = p.session.AwardWinnerNames()[0][1];
        p.session.GiveUp(0, 1, false);
    }
    Program again(dir);
    const WinnersBoard board = BoardFeed().board(again.session);
    ASSERT_EQ(board.awards[0].list.size(), 3u);
    EXPECT_TRUE(board.awards[0].list[2].withdrawn);
    EXPECT_EQ(board.awards[0].list[2].text, given);
    ASSERT_TRUE(board.awards[0].list[2].who);
    EXPECT_EQ(board.awards[0].list[2].who->text, given);
    again.session.ResetDraw(false);
    EXPECT_TRUE(BoardFeed().board(again.session).awards[0].list.empty());
    Program third(dir);
    EXPECT_TRUE(BoardFeed().board(third.session).awards[0].list.empty());
}

TEST(HallBoard, ANamesakeIsNotTheWinner)
{
    // Two "张伟": the board names the entry that was drawn, so only that one's code answers.
    DrawFolder dir(0, {{"一等奖", 1, 1, "1"}}, kOptions);
    dir.writeLines("data.txt", {"张伟", "李娜", "张伟"});
    Program p(dir);
    p.batch();
    const auto &lists = p.session.lists();
    const auto drawn = std::find(lists.StateList.begin(), lists.StateList.end(), kDrawnMark) - lists.StateList.begin();
    const WinnersBoard board = BoardFeed().board(p.session);
    ASSERT_EQ(board.awards[0].list.size(), 1u);
    ASSERT_TRUE(board.awards[0].list[0].who);
    EXPECT_EQ(*board.awards[0].list[0].who, entryKeysOf(lists.NameList)[static_cast<size_t>(drawn)]);
}

TEST(HallPools, PoolsReadBackAsWrittenAndDamagedLinesAreLeftOut)
{
    const HallPools pools{{0, {1, 5, 9}}, {3, {}}, {7, {2}}};
    EXPECT_EQ(parseHallPools(formatHallPools(pools), 10), pools);
    const HallPools read = parseHallPools("0|3|1,5\r\n1|2|4,x\r\n2|1|3\r\nrubbish\r\n4|2|1,99\r\n", 10);
    EXPECT_EQ(read, (HallPools{{2, {3}}}));
}

}  // namespace tessaly::test
