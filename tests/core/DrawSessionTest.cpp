// Real draws in a temporary program folder: start, prepare, roll, stop and
// restart, with the files read back as the next start would.
#include "DrawFixtures.h"

#include "core/draw/DrawCommit.h"
#include "core/draw/DrawRecord.h"
#include "core/draw/DrawSession.h"
#include "core/settings/IniStore.h"
#include "core/stage/SlotLayout.h"
#include "core/text/Base64.h"
#include "core/text/Lines.h"

#include <functional>
#include <gtest/gtest.h>
#include <set>

namespace tessaly {
namespace {

using namespace test;
using Lines = std::vector<std::string>;

// The state a start must bring back.
struct Snapshot {
    int award, batch, drawn;
    Lines state;
    WinnerArray winners, names;
    bool operator==(const Snapshot &) const = default;
};

Snapshot snapshot(const DrawSession &s)
{
    return {s.state().CurrentAward, s.state().CurrentBatch, s.state().DrawnInAward, s.lists().StateList,
            s.AwardWinners(), s.AwardWinnerNames()};
}

// Files of the draw agree with the session after every save.
void expectFilesMatch(const DrawFolder &dir, const DrawSession &s)
{
    EXPECT_EQ(dir.read("colip.jpg"), joinLines(s.lists().StateList));
    EXPECT_EQ(dir.read("tmda.jpg"), orderFileText(s.PoolList()));
    EXPECT_EQ(dir.option("currentLucki"), std::to_string(s.state().CurrentAward));
    EXPECT_EQ(dir.option("currentSxtimes"), std::to_string(s.state().CurrentBatch));
    EXPECT_EQ(dir.option("currentnowgotodata"), std::to_string(s.state().OrderCursor));
    EXPECT_EQ(dir.option("currentovernum"), std::to_string(s.state().DrawnInAward));
    EXPECT_FALSE(dir.exists(kCommitJournal));
}

const std::vector<AwardRow> kThreeAwards = {{"一等奖", 2, 1, "2"}, {"二等奖", 5, 2, "3+2"}, {"三等奖", 3, 3, "1+1+1"}};

TEST(DrawSession, AWholeDrawTakesEveryAwardInItsBatchesInEitherDirection)
{
    for (bool scrollDown : {true, false}) {
        SCOPED_TRACE(scrollDown ? "last award first" : "first award first");
        DrawFolder dir(20, kThreeAwards, scrollDown ? "scrolldown=1\r\n" : "scrolldown=0\r\n");
        Program run(dir);
        DrawSession &s = run.session;
        EXPECT_TRUE(run.shown.notices.empty()) << texts(run.shown);
        EXPECT_EQ(dir.option("onerun"), "0");

        std::vector<std::pair<int, int>> batches;  // award, size
        std::string record;
        std::set<int> winners;
        while (!s.IsDrawComplete()) {
            run.batch();
            batches.emplace_back(s.state().BatchAward, s.state().BatchSize);
            for (int t : s.lastBatch()) {
                EXPECT_TRUE(winners.insert(t).second) << "P" << t << " won twice";
                EXPECT_EQ(s.lists().StateList[t], "|ISOK|");
                record += recordLine(s.state().BatchAward, s.lists().DisplayList[t], s.lists().NameList[t]);
            }
            record += "\r\n";
            EXPECT_EQ(s.state().RollCount, s.state().OrderCursor + 1);
            expectFilesMatch(dir, s);
        }
        const std::vector<std::pair<int, int>> expected =
            scrollDown ? std::vector<std::pair<int, int>>{{2, 1}, {2, 1}, {2, 1}, {1, 3}, {1, 2}, {0, 2}}
                       : std::vector<std::pair<int, int>>{{0, 2}, {1, 3}, {1, 2}, {2, 1}, {2, 1}, {2, 1}};
        EXPECT_EQ(batches, expected);
        EXPECT_EQ(winners.size(), 10u);
        EXPECT_EQ(dir.read("ARecord.dat"), record);
        for (int a = 0; a < 3; ++a)
            EXPECT_EQ(s.AwardWinnerNames()[a].size(), static_cast<size_t>(kThreeAwards[a].winners));

        DrawOutcome done = s.FormKeyUp(kSpace);
        ASSERT_TRUE(done.question);
        EXPECT_EQ(done.question->text, G("奖项已抽完!是否要查看抽取结果?"));
        EXPECT_TRUE(s.answerShowResults(true).has(StageAction::ShowResults));
        EXPECT_TRUE(s.FormCloseQuery().closeAllowed);

        // A start after the end shows the banner instead of asking.
        Program again(dir);
        EXPECT_FALSE(again.shown.question);
        EXPECT_EQ(again.session.captions().readyLuck, G("    抽取完毕    "));
    }
}

TEST(DrawSession, ARestartBetweenAnyTwoBatchesResumesTheSameAwardBatchAndWinners)
{
    DrawFolder dir(20, kThreeAwards);
    auto run = std::make_unique<Program>(dir);
    int restarts = 0;
    while (!run->session.IsDrawComplete()) {
        run->batch();
        // What the running program would show at its next preparation.
        const std::vector<int> order = run->session.PoolList();
        const int cursor = run->session.state().OrderCursor;
        Snapshot before = snapshot(run->session);
        run->session.PrepareBatch();
        const bool advanced = run->session.state().CurrentAward != before.award;
        before = snapshot(run->session);

        run = std::make_unique<Program>(dir, 100 + restarts++);
        EXPECT_TRUE(run->shown.notices.empty()) << texts(run->shown);
        EXPECT_EQ(snapshot(run->session), before);
        if (!advanced) {
            EXPECT_EQ(run->session.PoolList(), order);
            EXPECT_EQ(run->session.state().OrderCursor, cursor);
        }
    }
    EXPECT_EQ(restarts, 6);
    std::set<std::string> all;
    for (const auto &names : run->session.AwardWinnerNames())
        all.insert(names.begin(), names.end());
    EXPECT_EQ(all.size(), 10u);
}

TEST(DrawSession, StartAndCloseAskOnlyWhenTheyMust)
{
    struct Case {
        std::string options;
        std::string screen;
        bool asks, autoLayout;
    };
    const Case cases[] = {
        {"onerun=1\r\n", "1920*1080", false, true},  // the first start lays out without asking
        {"onerun=0\r\n", "1920*1080", true, true},  // another shape of screen
        {"onerun=1\r\n", "800*600", false, false},  // a size alone shows the stage in proportion
        {"onerun=0\r\n", "2048*1536", false, false},
        {"onerun=0\r\nfitscreen=0\r\n", "800*600", true, true},  // not fitted: any size, as before
        {"onerun=0\r\n", "1024*768", false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.options + c.screen);
        DrawFolder dir(10, {{"奖", 2, 1, "2"}}, c.options);
        FixedClock clock;
        MtRandom random(1);
        DrawSession s(dir.path(), random, clock);
        s.FormCreate(true);
        DrawOutcome shown = s.FormShow(c.screen);
        EXPECT_EQ(shown.question.has_value(), c.asks);
        EXPECT_EQ(s.flags().StartingUp, c.asks);
        if (c.asks)
            shown = s.answerAutoLayout(true);
        EXPECT_EQ(shown.has(StageAction::AutoLayoutMain), c.autoLayout);
        EXPECT_TRUE(shown.has(StageAction::StartBackgroundMusic));
        EXPECT_FALSE(s.flags().StartingUp);
    }

    DrawFolder dir(10, {{"奖", 2, 1, "2"}});
    Program run(dir);
    DrawOutcome asked = run.session.FormCloseQuery();
    ASSERT_TRUE(asked.question);
    EXPECT_EQ(asked.question->text, G("奖项还未抽取完毕，是否要退出?"));
    EXPECT_TRUE(asked.question->noIsDefault);
    run.batch();
    EXPECT_TRUE(run.session.FormCloseQuery().closeAllowed);

    EXPECT_TRUE(run.session.FormCreate(false).notices.empty());
    std::filesystem::remove(dir / "ARecord.dat");
    DrawOutcome broken = run.session.FormCreate(false);
    EXPECT_TRUE(broken.has(StageAction::EndApplication));
    EXPECT_EQ(broken.notices.at(0).text, G("软件未正常安装，请重新安装。"));
}

TEST(DrawSession, PhotoModeWaitsForThePhotos)
{
    DrawFolder dir(10, {{"奖", 2, 1, "2"}}, "ispho=1\r\n");
    {
        // A new event: its layout was never arranged.
        auto store = IniStore::open(dir.path() / "set.dat");
        ASSERT_TRUE(store);
        store->writeString("Option", "screenmain", "");
        ASSERT_TRUE(store->commit());
    }
    {
        Program install(dir);  // the first start's reset loads them at once
        // The stage is arranged as soon as it is read: the load's boxes never
        // stand over an unarranged stage.
        const std::vector<StageAction> &actions = install.shown.actions;
        const auto read = std::find(actions.begin(), actions.end(), StageAction::ReadConfig);
        const auto arranged = std::find(actions.begin(), actions.end(), StageAction::AutoLayoutMain);
        const auto loaded = std::find(actions.begin(), actions.end(), StageAction::LoadPhotos);
        ASSERT_NE(loaded, actions.end());
        ASSERT_NE(arranged, actions.end());
        EXPECT_LT(read, arranged);
        EXPECT_LT(arranged, loaded);
        EXPECT_EQ(std::count(actions.begin(), actions.end(), StageAction::AutoLayoutMain), 1);
    }
    Program run(dir);
    EXPECT_TRUE(run.shown.has(StageAction::ShowPhotoPrompt));
    EXPECT_FALSE(run.session.captions().readyLuckVisible);
    EXPECT_EQ(run.session.captions().GoButton, G("加载"));
    EXPECT_TRUE(run.session.FormKeyUp(kSpace).has(StageAction::LoadPhotos));
    EXPECT_FALSE(run.session.flags().Rolling);
    run.session.setPhotosLoaded(true);
    EXPECT_TRUE(run.session.FormKeyUp(kSpace).has(StageAction::StartPhotoRolling));
    EXPECT_TRUE(run.session.FormKeyUp(kSpace).has(StageAction::ShowPhotoWinners));
    EXPECT_EQ(run.session.lastBatch().size(), 2u);
}

// write.reb keeps P9 down to P2 from winning both awards, in that order: when
// the lists apply, the order starts with that set-aside part.
std::string exclusionsFor(int sections)
{
    std::string reb;
    for (int section = 1; section <= sections; ++section) {
        reb += "[" + std::to_string(section) + "]\r\ncoun=8\r\n";
        for (int k = 1; k <= 8; ++k)
            reb += std::to_string(k) + "=" + base64Encode("P" + std::to_string(10 - k)) + "\r\n";
    }
    return reb;
}

bool listsApplied(const DrawSession &s)
{
    // The excluded people (8 and 9, those not drawn yet) lead the order, set aside.
    const auto &order = s.PoolList();
    return s.state().OrderFloor > 0 && !order.empty() && (order[0] == 9 || order[0] == 8);
}

TEST(DrawSession, ListsApplyAsTheRestartModeSays)
{
    struct Case {
        int ntfs;
        bool firstAward, secondAward;  // lists applied to their orders in this run
        std::string ntfsAfter;
        bool activeNextStart;
    };
    const Case cases[] = {
        {0, false, false, "0", false},
        // Once, at this start: the draw begun with them keeps them through a
        // restart, until the restart command begins another without them.
        {1, true, true, "0", true},
        {2, false, true, "2", true},  // the start restores an order built before; later awards use the lists
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("ntfs " + std::to_string(c.ntfs));
        DrawFolder dir(10, {{"一等奖", 1, 1, "1"}, {"二等奖", 1, 1, "1"}}, "scrolldown=0\r\n");
        dir.write("write.reb", exclusionsFor(2));
        { Program install(dir); }  // the first start resets the draw without the lists
        {
            auto store = IniStore::open(dir / "set.dat");
            store->writeInteger("Option", "ntfs", c.ntfs);
            ASSERT_TRUE(store->commit().ok());
        }
        Program run(dir);
        EXPECT_EQ(listsApplied(run.session), c.firstAward);
        run.batch();
        run.session.PrepareBatch();
        EXPECT_EQ(run.session.state().CurrentAward, 1);
        EXPECT_EQ(listsApplied(run.session), c.secondAward);
        EXPECT_EQ(dir.option("ntfs"), c.ntfsAfter);
        Program next(dir);
        EXPECT_EQ(next.session.flags().PredeterminedActive, c.activeNextStart);
        next.session.Restart();
        EXPECT_EQ(next.session.flags().PredeterminedActive, c.ntfs == 2);
        EXPECT_EQ(Program(dir).session.flags().PredeterminedActive, c.ntfs == 2);
    }
}

TEST(DrawSession, PredeterminedWinnersComeFirstUnlessMixed)
{
    // Two predetermined names for the award, one for the other award (never taken here).
    const std::string reb = "[1]\r\ncoun=2\r\n1=" + base64Encode("p4") + "\r\n2=" + base64Encode("P6") +
                            "\r\n[2]\r\ncoun=1\r\n1=" + base64Encode("P1") + "\r\n";
    for (bool mixed : {false, true}) {
        DrawFolder dir(10, {{"一等奖", 9, 1, "9"}, {"二等奖", 1, 1, "1"}},
                       std::string("scrolldown=0\r\nntfs=1\r\nonerun=0\r\nntcanrandom=") + (mixed ? "1" : "0") + "\r\n");
        dir.write("Read.reb", reb);
        Program run(dir);
        const DrawOutcome stop = run.batch();
        const auto &names = run.session.AwardWinnerNames()[0];
        ASSERT_EQ(names.size(), 9u);
        EXPECT_EQ(std::count(names.begin(), names.end(), "P1"), 0);  // kept for the second award
        EXPECT_EQ(std::count(names.begin(), names.end(), "P4"), 1);  // names match in any letter case
        if (!mixed) {
            EXPECT_EQ(Lines(names.begin(), names.begin() + 2), (Lines{"P6", "P4"}));
        }
        // The second award's own winner is its predetermined one, also when
        // nobody else is left in its pool.
        run.session.PrepareBatch();
        EXPECT_TRUE(run.session.flags().BatchReady);
        run.batch();
        EXPECT_EQ(run.session.AwardWinnerNames()[1], Lines{"P1"});
    }
}

TEST(DrawSession, GroupingRangesLimitTheCandidates)
{
    struct Case {
        std::string range;
        std::set<int> pool;
        bool empty;
    };
    const Case cases[] = {
        {"3-5", {2, 3, 4}, false},
        {"8-15", {7, 8, 9}, false},  // past the end of the list: the lines that exist
        {"0-2", {0, 1}, false},
        {"7-3", {}, true},           // first after last: nobody
        {"a-3", {}, true},           // not a range at all
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.range);
        DrawFolder dir(10, {{"一等奖", 2, 1, "2"}, {"二等奖", 1, 1, "1"}}, "scrolldown=0\r\ncanfz=1\r\n",
                       "[Grfz]\r\n0=0|" + G("一等奖(2名)") + ":" + c.range + "\r\n");
        Program run(dir);
        const auto &pool = run.session.PoolList();
        EXPECT_EQ(std::set<int>(pool.begin(), pool.end()), c.pool);
        EXPECT_EQ(mentions(run.shown, "您启用了奖项分组设置。奖池中的参选人数不足，当前奖项将抽0个，其它奖项正常抽取"),
                  c.empty);
        run.batch();
        EXPECT_EQ(run.session.AwardWinners()[0].size(), c.empty ? 0u : std::min<size_t>(2, c.pool.size()));
        // The next award draws from the whole list again.
        run.batch();
        EXPECT_EQ(run.session.AwardWinners()[1].size(), 1u);
        EXPECT_TRUE(run.session.IsDrawComplete());
    }
}

TEST(DrawSession, ShortPoolsCutTheAwardAndItsBatches)
{
    struct Case {
        int entries;
        std::string options;
        AwardRow award;
        std::vector<int> batchSizes;
        std::string message;
    };
    const Case cases[] = {
        {7, "", {"奖", 10, 2, "5+5"}, {5, 2}, "奖池中的参选人数小于中奖个数，软件已自动调整当前奖项中奖个数"},
        // A chosen entry stays in the pool: the batch takes on into the rest of the order.
        {2, "canreAward=1\r\n", {"奖", 3, 1, "3"}, {3}, "奖池中的参选人数小于中奖个数，软件已自动调整当前奖项中奖个数"},
        {0, "", {"奖", 3, 2, "2+1"}, {0, 0}, "奖池中的参选人数不足，当前奖项将抽0个，其它奖项正常抽取"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.award.detail);
        DrawFolder dir(c.entries, {c.award}, c.options);
        Program run(dir);
        EXPECT_TRUE(mentions(run.shown, c.message)) << texts(run.shown);
        std::vector<int> sizes;
        while (!run.session.IsDrawComplete()) {
            run.batch();
            sizes.push_back(run.session.state().BatchSize);
        }
        EXPECT_EQ(sizes, c.batchSizes);
        // Everything taken is marked, a chosen entry taken twice included.
        const auto &pool = run.session.PoolList();
        for (size_t i = static_cast<size_t>(run.session.state().OrderCursor + 1); i < pool.size(); ++i)
            EXPECT_EQ(run.session.lists().StateList[pool[i]], "|ISOK|");
    }
}


size_t recordLines(const DrawFolder &dir)
{
    Lines lines = splitLines(dir.read("ARecord.dat"));
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [](auto &l) { return !l.empty(); }));
}

size_t occurrences(const std::string &text, const std::string &part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(DrawSession, AStopOrResetCutShortAfterAnyWriteIsWholeAtTheNextStart)
{
    const CommitStep steps[] = {CommitStep::Journal, CommitStep::Record,   CommitStep::Order,
                                CommitStep::State,   CommitStep::Settings, CommitStep::Log};
    for (CommitStep step : steps) {
        SCOPED_TRACE("cut after write " + std::to_string(static_cast<int>(step)));
        DrawFolder dir(12, {{"一等奖", 1, 1, "1"}, {"二等奖", 6, 3, "2+2+2"}}, "scrolldown=0\r\n");
        Program run(dir);
        run.batch();
        // The first stop of the second award also saves its new draw order.
        run.session.setCommitInterrupt([step](CommitStep at) { return at == step; });
        run.batch();
        const Snapshot stopped = snapshot(run.session);
        const std::vector<int> order = run.session.PoolList();

        Program next(dir);
        EXPECT_TRUE(next.shown.notices.empty()) << texts(next.shown);
        EXPECT_EQ(snapshot(next.session), stopped);
        EXPECT_EQ(next.session.PoolList(), order);
        EXPECT_FALSE(dir.exists(kCommitJournal));
        EXPECT_EQ(recordLines(dir), 3u);
        EXPECT_EQ(occurrences(dir.read("log.txt"), "<2026/12/8 19:05:03> "), 2u);

        // A reset cut short comes back as the whole reset.
        next.session.setCommitInterrupt([step](CommitStep at) { return at == step; });
        next.session.ResetDraw(false);
        Program after(dir);
        EXPECT_EQ(after.session.state().CurrentAward, 0);
        EXPECT_EQ(after.session.state().CurrentBatch, 1);
        EXPECT_EQ(after.session.lists().StateList, buildParticipantLists(splitLines(dir.read("data.txt")), {}).StateList);
        EXPECT_EQ(dir.read("ARecord.dat"), "");
        EXPECT_EQ(after.session.AwardWinners(), WinnerArray{});
    }
}

TEST(DrawSession, DamagedRecordFilesRestoreWhatIsSoundAndStayAsTheyWere)
{
    struct Case {
        std::string what;
        std::string file;
        std::function<std::string(const std::string &)> damage;
        std::string notice;
    };
    const Case cases[] = {
        {"bad award fields", "ARecord.dat", [](const std::string &f) { return f + "x|A|A\r\n50|B|B\r\n  \r\n"; },
         "中奖记录文件ARecord.dat第4、5、6行的奖项序号不是0到49之间的数字"},
        {"marks of another length", "colip.jpg", [](const std::string &f) { return f.substr(0, f.rfind("\r\n", f.size() - 3) + 2); },
         "已抽标记文件colip.jpg有11行，与参选名单data.txt的12行不符"},
        {"a list edited outside", "data.txt", [](const std::string &f) { return f + "P12\r\n"; },
         "参选名单data.txt在上次保存抽奖结果以后已被改动（保存时12人，现在13人）"},
        {"marks that lost the winners", "colip.jpg",
         [](const std::string &) { return joinLines(buildParticipantLists(Lines(12, ""), {}).StateList); },
         "没有标为已中奖，已补上标记"},
        {"an order past the list", "tmda.jpg", [](const std::string &f) { return "99\r\n" + f.substr(f.find("\r\n") + 2); },
         "抽奖顺序文件tmda.jpg第1行不是参选名单中的序号"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        DrawFolder dir(12, {{"奖", 6, 3, "2+2+2"}});
        Program run(dir);
        run.batch();
        const Lines recorded = run.session.AwardWinnerNames()[0];
        const std::string damaged = c.damage(dir.read(c.file));
        dir.write(c.file, damaged);
        const std::string record = dir.read("ARecord.dat");

        Program next(dir);
        EXPECT_TRUE(mentions(next.shown, c.notice)) << texts(next.shown);
        EXPECT_EQ(next.session.AwardWinnerNames()[0], recorded);
        EXPECT_EQ(dir.read(c.file), damaged);
        for (const auto &name : recorded) {
            const auto &names = next.session.lists().NameList;
            size_t t = std::find(names.begin(), names.end(), name) - names.begin();
            EXPECT_EQ(next.session.lists().StateList[t], "|ISOK|") << name;
        }
        // The award goes on with people who have not won yet.
        next.batch();
        EXPECT_EQ(next.session.state().BatchSize, 2);
        for (int t : next.session.lastBatch())
            EXPECT_EQ(std::count(recorded.begin(), recorded.end(), next.session.lists().NameList[t]), 0);
        EXPECT_EQ(dir.read("ARecord.dat").substr(0, record.size()), record);
    }
}

TEST(DrawSession, AStopIsRecordedWhateverBecomesOfTheLog)
{
    for (bool unwritable : {false, true}) {
        SCOPED_TRACE(unwritable ? "log.txt cannot be written" : "log.txt is missing");
        DrawFolder dir(10, {{"奖", 4, 2, "2+2"}});
        Program run(dir);
        std::filesystem::remove(dir / "log.txt");
        if (unwritable)
            std::filesystem::create_directory(dir / "log.txt");
        const DrawOutcome stop = run.batch();
        EXPECT_EQ(recordLines(dir), 2u);
        EXPECT_EQ(dir.option("currentSxtimes"), "2");
        EXPECT_FALSE(dir.exists(kCommitJournal));
        ASSERT_EQ(stop.notices.size(), unwritable ? 1u : 0u);
        if (unwritable) {
            EXPECT_EQ(stop.notices[0].code, ErrorCode::FileWrite);
            std::filesystem::remove(dir / "log.txt");
        }
        // The next stop brings the history up to date.
        run.batch();
        EXPECT_EQ(occurrences(dir.read("log.txt"), "<2026/12/8 19:05:03> "), 2u);
    }
}


TEST(DrawSession, RecordAndResultFilesAreWrittenByteForByte)
{
    DrawFolder dir(0, {{"一等奖", 2, 2, "1+1"}, {"二等奖", 1, 1, "1"}},
                   "scrolldown=0\r\nprivacy=1\r\nprivacystart=3\r\nprivacyend=4\r\n");
    dir.write("data.txt", G("王小明\r\n李四\r\n张三丰\r\n"));
    Program run(dir);
    const auto &lists = run.session.lists();
    run.batch();
    const int first = run.session.lastBatch().at(0);
    const std::string &name1 = lists.NameList[first];
    // The record holds the masked text and the full name; the history only the name.
    EXPECT_NE(lists.DisplayList[first], name1);
    EXPECT_EQ(dir.read("ARecord.dat"), "0|" + lists.DisplayList[first] + "|" + name1 + "\r\n\r\n");
    // After the batch, the audit chain's latest hash, as shown on the stage.
    EXPECT_EQ(dir.read("log.txt"), "\r\n<2026/12/8 19:05:03> \r\n[" + G("一等奖") + "] " + name1 + "  \r\n" +
                                       G("校验值：") + run.session.proof().head().substr(0, 16) + "\r\n");
    std::string colip;
    for (int i = 0; i < 3; ++i)
        colip += (i == first ? "|ISOK|" : std::to_string(i)) + "\r\n";
    EXPECT_EQ(dir.read("colip.jpg"), colip);

    run.batch();
    const std::string &name2 = lists.NameList[run.session.lastBatch().at(0)];
    const std::string summary = G("一等奖2名(奖品0)\r\n") + name1 + "\r\n" + name2 + "\r\n  \r\n";
    DrawOutcome prize = run.session.WriteWinnersFile();
    EXPECT_TRUE(prize.has(StageAction::OpenFile));
    EXPECT_EQ(prize.file, dir / "prize.txt");
    EXPECT_EQ(dir.read("prize.txt"), summary);
    run.session.WriteNonWinnersFile();
    const auto left = std::find_if(lists.StateList.begin(), lists.StateList.end(), [](auto &t) { return t != "|ISOK|"; });
    EXPECT_EQ(dir.read("noaward.txt"), lists.NameList[left - lists.StateList.begin()] + "\r\n");

    const std::string before = dir.read("log.txt");
    EXPECT_TRUE(run.session.FormClose(10, 20).notices.empty());
    EXPECT_EQ(dir.read("log.txt"), before + G("\r\n<2026/12/8 19:05:03>  关闭软件前的抽奖结果\r\n") +
                                       std::string(65, '-') + "\r\n" + summary + std::string(65, '-') + "\r\n");
    EXPECT_EQ(dir.option("Mformleft"), "10");
    EXPECT_EQ(dir.option("Mformtop"), "20");
}

TEST(DrawSession, CaptionsFollowTheTemplatesAndTheGuestTexts)
{
    DrawFolder dir(10, {{"一等奖", 3, 2, "1+2"}}, "",
                   G("[GrStatus]\r\nqCaption=<奖项名称>第<当前奖项轮数>/<当前奖项总轮数>批<本轮抽取名额>名\r\n"
                     "Caption=已抽<当前奖项已抽名额>/<当前奖项总名额>\r\n[MarqueeStatus]\r\n1-2=王总\r\n"));
    Program run(dir);
    DrawSession &s = run.session;
    EXPECT_EQ(s.captions().Status, G("一等奖第1/2批1名"));
    EXPECT_EQ(s.captions().Award, G("奖品0"));
    EXPECT_EQ(s.captions().AwardPicture, "Awardimg\\p.jpg");
    EXPECT_EQ(s.captions().boss, "");
    run.batch();
    EXPECT_EQ(s.captions().Status, G("已抽1/3"));
    EXPECT_EQ(s.captions().GoButton, G("预备"));
    s.FormKeyUp(kSpace);
    EXPECT_EQ(s.captions().Status, G("一等奖第2/2批2名"));
    EXPECT_EQ(s.captions().boss, G("王总"));
    EXPECT_TRUE(s.captions().readyLuckVisible);
    EXPECT_EQ(s.captions().GoButton, G("开始"));
    s.FormKeyUp(kSpace);
    EXPECT_EQ(s.captions().boss, "");
    EXPECT_FALSE(s.captions().readyLuckVisible);
}

TEST(DrawSession, TheStartKeyAndTheButtonsStepThroughReadyRollingStopped)
{
    enum Input { Key, Go, Stop, OtherKey };
    struct Case {
        bool canready;
        std::vector<std::pair<Input, std::string>> steps;  // input, state after it
    };
    const Case cases[] = {
        {true,
         {{Go, "rolling"}, {Go, "rolling"}, {Key, "stopped"}, {Stop, "stopped"}, {Key, "ready"},
          {OtherKey, "ready"}, {Key, "rolling"}, {Stop, "stopped"}, {Go, "ready"}}},
        {false,
         {{Key, "rolling"}, {Go, "rolling"}, {Stop, "stopped"}, {Go, "rolling"}, {Key, "stopped"},
          {Key, "rolling"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.canready ? "with ready" : "without ready");
        DrawFolder dir(20, {{"奖", 10, 10, "1+1+1+1+1+1+1+1+1+1"}}, c.canready ? "" : "canready=0\r\n");
        Program run(dir);
        DrawSession &s = run.session;
        for (const auto &[input, expected] : c.steps) {
            switch (input) {
            case Key: s.FormKeyUp(kSpace); break;
            case Go: s.GoButtonClick(); break;
            case Stop: s.StopButtonClick(); break;
            case OtherKey: s.FormKeyUp(13); break;
            }
            const std::string state = s.flags().Rolling ? "rolling" : s.flags().BatchReady ? "ready" : "stopped";
            EXPECT_EQ(state, expected) << "after input " << input;
        }
        if (!s.flags().Rolling)
            s.FormKeyUp(kSpace);
        s.StopButtonClick();
        EXPECT_EQ(s.captions().GoButton, G(c.canready ? "预备" : "开始"));
    }

    // In adjustment mode the draw refuses to prepare and ignores start and stop.
    DrawFolder dir(5, {{"奖", 2, 2, "1+1"}});
    Program run(dir);
    run.session.setAdjustMode(true);
    EXPECT_TRUE(run.session.StartRolling().actions.empty());
    run.session.setAdjustMode(false);
    run.session.FormKeyUp(kSpace);
    run.session.setAdjustMode(true);
    EXPECT_TRUE(run.session.FormKeyUp(kSpace).actions.empty());
    EXPECT_TRUE(run.session.flags().Rolling);
    run.session.setAdjustMode(false);
    run.session.FormKeyUp(kSpace);
    run.session.setAdjustMode(true);
    DrawOutcome refused = run.session.FormKeyUp(kSpace);
    ASSERT_EQ(refused.notices.size(), 1u);
    EXPECT_EQ(refused.notices[0].text, G("请再按一次菜单\"调整界面位置\"退出设计状态才能抽奖!"));
}

TEST(DrawSession, BatchesOverTwentyRollAndStopInTheTextBlock)
{
    for (bool blankLine : {false, true}) {
        DrawFolder dir(30, {{"奖", 25, 1, "25"}}, "",
                       std::string("[25]\r\nrow=4\r\nspace=3\r\nover20wordwrap=") + (blankLine ? "1" : "0") + "\r\n");
        Program run(dir);
        DrawSession &s = run.session;
        EXPECT_TRUE(s.FormKeyUp(kSpace).has(StageAction::StartTimer2));
        // Every entry is brought to the length of the longest one ("P10"): four
        // to a line with three blanks between, a gap also after the last one.
        auto expectBlock = [&](const std::string &text) {
            const std::string lineBreak = blankLine ? "\r\r" : "\r";
            size_t at = 0;
            for (int k = 1; k <= 25; ++k) {
                const std::string entry = text.substr(at, 3);
                EXPECT_EQ(entry[0], 'P') << k;
                at += 3;
                const std::string after = k % 4 ? "   " : k == 25 ? "" : lineBreak;
                EXPECT_EQ(text.substr(at, after.size()), after) << k;
                at += after.size();
            }
            EXPECT_EQ(at, text.size());
        };
        ASSERT_TRUE(s.Timer2Timer());
        expectBlock(s.GridText());
        EXPECT_TRUE(s.FormKeyUp(kSpace).has(StageAction::ShowGridText));
        expectBlock(s.GridText());
        ASSERT_EQ(s.GridWinners().size(), 25u);
        EXPECT_EQ(s.GridWinners()[0], padEntry(s.lists().DisplayList[s.lastBatch()[0]], 3));
        EXPECT_FALSE(s.Timer2Timer());  // the timers are off
    }
}


TEST(DrawSession, ABatchLargerThanWhatIsLeftEndsWithTheOrder)
{
    // A supplement of five for an award whose range holds only two more people.
    DrawFolder dir(10, {{"一等奖", 1, 1, "1"}}, "scrolldown=0\r\ncanfz=1\r\n",
                   "[Grfz]\r\n0=0|" + G("一等奖(1名)") + ":1-3\r\n" +
                       G("[GrStatus]\r\nbhCaption=补了<本轮抽取名额>名\r\n"));
    Program run(dir);
    run.batch();
    DrawOutcome set = run.session.Supplement(G("一等奖"), "5", "");
    EXPECT_TRUE(mentions(set, "您启用了奖项分组设置。奖池中的参选人数小于中奖个数，软件已自动调整当前奖项中奖个数"));
    ASSERT_TRUE(run.session.flags().BatchReady);
    EXPECT_EQ(run.session.state().BatchSize, 5);
    run.session.FormKeyUp(kSpace);
    DrawOutcome stop = run.session.FormKeyUp(kSpace);
    EXPECT_TRUE(stop.notices.empty()) << texts(stop);
    EXPECT_EQ(run.session.state().BatchSize, 2);
    EXPECT_EQ(run.session.state().OrderCursor, -1);
    EXPECT_EQ(run.session.state().DrawnInAward, 1);
    EXPECT_EQ(run.session.captions().Status, G("补了2名"));
    EXPECT_EQ(recordLines(dir), 3u);
    std::set<std::string> winners(run.session.AwardWinnerNames()[0].begin(), run.session.AwardWinnerNames()[0].end());
    EXPECT_EQ(winners, (std::set<std::string>{"P0", "P1", "P2"}));
}

}  // namespace
}  // namespace tessaly
