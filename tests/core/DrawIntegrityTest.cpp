// The draw's record under damage: lists changed between runs, cut and damaged
// record files, failed writes, restores that could not read, and numbers out
// of range. Nobody wins twice and no recorded winner is lost.
#include "DrawFixtures.h"

#include "core/draw/DrawCommit.h"
#include "core/draw/DrawRecord.h"
#include "core/settings/FontKeys.h"
#include "core/text/Lines.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <csignal>
#include <set>
#include <sys/resource.h>

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


size_t entryOf(const DrawSession &s, const std::string &name)
{
    const auto &names = s.lists().NameList;
    return static_cast<size_t>(std::find(names.begin(), names.end(), name) - names.begin());
}

TEST(DrawIntegrity, ACutOrNulDamagedRecordFileNeverMergesOrHidesTheNextRecords)
{
    struct Case {
        std::string what;
        std::function<std::string(const std::string &)> damage;
        std::string notice;
        std::string setAside;  // what ARecord.cut.txt holds after the next stop
    };
    const Case cases[] = {
        {"cut inside the second line",
         [](const std::string &f) { return f.substr(0, f.find("\r\n") + 5); },
         "中奖记录文件ARecord.dat的最后一行“0|P”不完整", "0|P\r\n"},
        {"NUL bytes where a write was lost", [](const std::string &f) { return f + std::string(6, '\0'); },
         "中奖记录文件ARecord.dat第4行含有空字符", std::string(6, '\0') + "\r\n"},
        {"NUL bytes inside the file",
         [](const std::string &f) { return f.substr(0, f.find("\r\n") + 2) + std::string(3, '\0') + f.substr(f.find("\r\n") + 2); },
         "中奖记录文件ARecord.dat第2行含有空字符", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        DrawFolder dir(20, {{"奖", 6, 3, "2+2+2"}});
        {
            Program run(dir);
            run.batch();
        }
        dir.write("ARecord.dat", c.damage(dir.read("ARecord.dat")));
        Program next(dir);
        EXPECT_TRUE(mentions(next.shown, c.notice)) << texts(next.shown);
        // Both winners of the first batch stay drawn, a cut record or not.
        EXPECT_EQ(std::count(next.session.lists().StateList.begin(), next.session.lists().StateList.end(), "|ISOK|"), 2);
        next.batch();
        next.batch();
        EXPECT_EQ(dir.read("ARecord.cut.txt"), c.setAside);

        // Every record reads back whole, with a name of the list, after a restart.
        Program after(dir);
        EXPECT_EQ(after.session.AwardWinnerNames(), next.session.AwardWinnerNames());
        EXPECT_EQ(after.session.AwardWinnerNames()[0].size(), c.setAside == "0|P\r\n" ? 5u : 6u);
        for (const auto &name : after.session.AwardWinnerNames()[0]) {
            ASSERT_LT(entryOf(after.session, name), 20u) << name;
            EXPECT_EQ(after.session.lists().StateList[entryOf(after.session, name)], "|ISOK|");
        }
        EXPECT_EQ(std::count(after.session.lists().StateList.begin(), after.session.lists().StateList.end(), "|ISOK|"), 6);
    }
}

TEST(DrawIntegrity, FieldsSplitOnWholeGbkCharactersAndABarInANameIsRefused)
{
    // The second byte of 東, 億, 瑋 and 質 is 0x7C, the byte of "|".
    DrawFolder dir(0, {{"東區一等獎", 2, 1, "2"}, {"億元獎", 1, 1, "1"}}, "scrolldown=0\r\n");
    dir.writeLines("data.txt", {"李東", "王億", "陳瑋", "質"});
    {
        Program run(dir);
        EXPECT_TRUE(run.shown.notices.empty()) << texts(run.shown);
        EXPECT_EQ(run.session.awards().AwardCount, 2);
        EXPECT_EQ(run.session.awards()[0].name, G("東區一等獎"));
        EXPECT_EQ(run.session.awards()[0].prizeName, G("奖品0"));
        run.batch();
        run.batch();
    }
    Program next(dir);
    EXPECT_TRUE(next.shown.notices.empty()) << texts(next.shown);
    std::set<std::string> names;
    for (int a = 0; a < 2; ++a)
        for (const auto &name : next.session.AwardWinnerNames()[a])
            names.insert(name);
    EXPECT_EQ(names.size(), 3u);
    for (const auto &name : names)
        EXPECT_LT(entryOf(next.session, name), 4u) << name;

    // A "|" of its own in a name could not be told from the record's separator.
    DrawFolder barred(0, {{"奖", 1, 1, "1"}});
    barred.write("data.txt", "P0\r\nP1\r\nA|B\r\n");
    Program refused(barred);
    EXPECT_TRUE(mentions(refused.shown, "参选名单data.txt第3行“A|B”含有竖线“|”")) << texts(refused.shown);
}

// Lets files grow only to `limit` bytes, as a full disk would: a write past it
// stops part way and fails.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit lowered = m_saved;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

TEST(DrawIntegrity, AnAppendTornByAFullDiskIsCutBackBeforeItIsWrittenAgain)
{
    struct Case {
        std::string what;
        bool tearAtLineEnd;  // the disk filled exactly after the batch's first record line
        bool retryAtClose;
    };
    const Case cases[] = {
        {"torn inside a line, retried by the next stop", false, false},
        {"torn after a whole line, retried by the next stop", true, false},
        {"torn after a whole line, retried at close", true, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        // Long names and a long history, so that the record file is the largest file written.
        DrawFolder dir(0, {{"奖", 24, 12, "2+2+2+2+2+2+2+2+2+2+2+2"}}, "privacy=1\r\nprivacystart=5\r\nprivacyend=8\r\n");
        std::string data;
        for (int i = 0; i < 40; ++i)
            data += "P" + std::to_string(100 + i) + "-" + std::string(26, 'x') + "\r\n";
        dir.write("data.txt", data);
        Program run(dir);
        for (int b = 0; b < 9; ++b)
            run.batch();
        const auto size = std::filesystem::file_size(dir / "ARecord.dat");
        DrawOutcome torn;
        {
            const auto &lists = run.session.lists();
            const size_t line = recordLine(0, lists.DisplayList[0], lists.NameList[0]).size();
            FileSizeLimit full(size + (c.tearAtLineEnd ? line : 20));
            torn = run.batch();
        }
        ASSERT_FALSE(torn.notices.empty());
        EXPECT_EQ(torn.notices[0].code, ErrorCode::FileWrite) << texts(torn);
        if (c.retryAtClose)
            run.session.FormClose(0, 0);
        else
            run.batch();

        Program after(dir);
        EXPECT_EQ(after.session.AwardWinnerNames(), run.session.AwardWinnerNames());
        EXPECT_EQ(after.session.AwardWinners(), run.session.AwardWinners());
        recordedOnce(after.session);
        for (const auto &line : splitLines(dir.read("ARecord.dat"))) {
            RecordFields fields;
            if (line.empty())
                continue;
            ASSERT_TRUE(parseRecordLine(line, fields)) << line;
            EXPECT_EQ(entryOf(after.session, fields.name), entryOf(after.session, fields.name)) << line;
            ASSERT_LT(entryOf(after.session, fields.name), 40u) << line;
            EXPECT_EQ(after.session.lists().DisplayList[entryOf(after.session, fields.name)], fields.display) << line;
        }
        EXPECT_FALSE(dir.exists(kCommitJournal));
    }
}

TEST(DrawIntegrity, AFailedRestoreRefusesToDrawAndChangesNothingOnDisk)
{
    struct Case {
        std::string file;
        bool asFolder;  // unreadable: a folder stands where the file was
        std::string replacement;
    };
    const Case cases[] = {
        {"tmda.jpg", true, ""}, {"colip.jpg", true, ""}, {"ARecord.dat", true, ""},
        {"data.txt", false, "P0\r\nP|1\r\n"},  // a list the loader refuses
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        DrawFolder dir(12, {{"一等奖", 2, 1, "2"}, {"二等奖", 6, 3, "2+2+2"}});
        {
            Program run(dir);
            run.batch();
        }
        const std::string saved = dir.read(c.file);
        std::filesystem::remove(dir / c.file);
        if (c.asFolder)
            std::filesystem::create_directory(dir / c.file);
        else
            dir.write(c.file, c.replacement);
        auto files = [&dir] {
            Lines all;
            for (const char *name : {"set.dat", "ARecord.dat", "tmda.jpg", "colip.jpg", "log.txt", "data.txt"})
                all.push_back(std::filesystem::is_directory(dir / name) ? "(folder)" : dir.read(name));
            return all;
        };
        const Lines before = files();

        Program broken(dir);
        EXPECT_FALSE(broken.shown.notices.empty());
        DrawSession &s = broken.session;
        const DrawOutcome refused = s.PrepareBatch();
        EXPECT_TRUE(mentions(refused, "为了不覆盖已保存的抽奖结果，现在不能抽奖")) << texts(refused);
        for (int i = 0; i < 4; ++i)
            s.FormKeyUp(kSpace);
        s.StopButtonClick();
        EXPECT_FALSE(s.flags().Rolling);
        EXPECT_FALSE(s.flags().BatchReady);
        EXPECT_TRUE(mentions(s.GiveUp(1, 0, true), "为了不覆盖已保存的抽奖结果，现在不能抽奖"));
        s.FormClose(0, 0);
        Lines after = files();
        after[0] = before[0];  // the window position is still kept
        EXPECT_EQ(after, before);

        // Once the file reads again, the draw goes on where it stopped.
        std::filesystem::remove_all(dir / c.file);
        dir.write(c.file, saved);
        Program mended(dir);
        EXPECT_TRUE(mended.shown.notices.empty()) << texts(mended.shown);
        EXPECT_EQ(mended.session.AwardWinnerNames()[1].size(), 2u);
        mended.batch();
        EXPECT_EQ(mended.session.AwardWinnerNames()[1].size(), 4u);

        // A reset after a failed restore starts the draw afresh.
        std::filesystem::remove(dir / "tmda.jpg");
        std::filesystem::create_directory(dir / "tmda.jpg");
        Program reset(dir);
        std::filesystem::remove(dir / "tmda.jpg");
        reset.session.ResetDraw(false);
        reset.batch();
        EXPECT_EQ(reset.session.AwardWinnerNames()[1].size(), 2u);
    }
}

TEST(DrawIntegrity, AGiveUpReturnsToThePoolWhatARestartWouldMark)
{
    // Repeated wins: two people, four prizes, so somebody wins twice. Giving
    // up one of two prizes leaves the person drawn; giving up the only prize
    // returns them. Either way a restart reads the same marks back.
    DrawFolder dir(2, {{"奖", 4, 1, "4"}}, "canreAward=1\r\n");
    Program run(dir);
    run.batch();
    const auto names = run.session.AwardWinnerNames()[0];
    ASSERT_EQ(names.size(), 4u);
    for (int k = 0; k < 4; ++k) {
        const std::string name = run.session.AwardWinnerNames()[0].front();
        const auto before = run.session.AwardWinnerNames()[0];
        const bool twice = std::count(before.begin(), before.end(), name) > 1;
        run.session.GiveUp(0, 0, true);
        const size_t entry = name == "P0" ? 0 : 1;
        EXPECT_EQ(run.session.lists().StateList[entry] == kDrawnMark, twice) << name << " after give-up " << k;
        Program after(dir);
        EXPECT_EQ(after.session.lists().StateList, run.session.lists().StateList) << "give-up " << k;
    }
}

TEST(DrawIntegrity, AGiveUpOrRestartNeverLeavesAHalfDoneTrace)
{
    // A winner given up while the disk is full: the record waiting to be
    // written does not come back with the next save.
    DrawFolder dir(0, {{"奖", 24, 12, "2+2+2+2+2+2+2+2+2+2+2+2"}});
    std::string data;
    for (int i = 0; i < 40; ++i)
        data += "P" + std::to_string(100 + i) + "-" + std::string(26, 'x') + "\r\n";
    dir.write("data.txt", data);
    Program run(dir);
    for (int b = 0; b < 9; ++b)
        run.batch();
    {
        FileSizeLimit full(std::filesystem::file_size(dir / "ARecord.dat") + 20);
        run.batch();
        DrawOutcome refused = run.session.GiveUp(0, 19, true);
        EXPECT_FALSE(refused.notices.empty());
        EXPECT_EQ(run.session.AwardWinnerNames()[0].size(), 20u) << "refused while the record cannot be saved";
    }
    const std::string givenUp = run.session.AwardWinnerNames()[0].back();
    run.session.GiveUp(0, 19, true);
    run.batch();
    Program after(dir);
    EXPECT_EQ(after.session.AwardWinnerNames(), run.session.AwardWinnerNames());
    const auto &names = after.session.AwardWinnerNames()[0];
    EXPECT_EQ(std::count(names.begin(), names.end(), givenUp), 0);

    // A restart whose reset cannot read the list leaves the history as it was.
    const std::string history = dir.read("log.txt");
    std::filesystem::remove(dir / "data.txt");
    std::filesystem::create_directory(dir / "data.txt");
    DrawOutcome failed = after.session.Restart();
    EXPECT_FALSE(failed.notices.empty());
    EXPECT_EQ(dir.read("log.txt"), history);
    EXPECT_EQ(after.session.AwardWinnerNames()[0].size(), names.size());
}

TEST(DrawIntegrity, NumbersFromSetDatAreBoundedToWhatTheyCanMean)
{
    struct Case {
        std::string options;
        std::string gradeWinners;
        std::string notice;
    };
    const Case cases[] = {
        {"currentovernum=2147483647\r\ncurrentSxtimes=2147483647\r\n", "4", "保存的抽奖位置有超出范围的数值"},
        {"currentnowgotodata=-2147483648\r\naddgradep=-2147483648\r\n", "4", "保存的抽奖位置有超出范围的数值"},
        {"", "-2147483648", "的中奖人数或批数超出范围"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.options + c.gradeWinners);
        DrawFolder dir(10, {{"奖", 4, 2, "2+2"}}, "onerun=0\r\n" + c.options);
        std::string set = dir.read("set.dat");
        set.replace(set.find("|4|2|"), 5, "|" + c.gradeWinners + "|2|");
        dir.write("set.dat", set);
        Program run(dir);
        EXPECT_TRUE(mentions(run.shown, c.notice)) << texts(run.shown);
        EXPECT_LE(run.session.state().DrawnInAward, kMaxStoredCount);
        EXPECT_GE(run.session.options().addgradep, 0);
        run.batch();
        run.session.Supplement(G("奖"), "2147483647", "");
        Program again(dir);
        EXPECT_LE(again.session.state().CurrentBatch, kMaxStoredCount + 1);
    }

    // A font size or a row count far past any screen is brought down to one.
    DrawFolder fonts(1, {{"奖", 1, 1, "1"}}, "", "[FirstTitle]\r\nFont.Size=1610612736\r\nFont.Height=-2147483648\r\n");
    auto store = IniStore::open(fonts / "set.dat");
    const FontSpec font = readFontKeys(*store, "FirstTitle", defaultSlotFont());
    EXPECT_EQ(font.size, kMaxFontSize);
    EXPECT_EQ(font.height, -kMaxFontSize);
    EXPECT_EQ(fontHeightForSize(2147483647), fontHeightForSize(kMaxFontSize));
}

}  // namespace
}  // namespace tessaly
