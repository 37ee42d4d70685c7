// The predetermined and exclusion lists: their files, the dialog's edits, the
// enabling modes and hot keys, and what a short pool may never hand out.
#include "DrawFixtures.h"

#include "core/settings/IniStore.h"
#include "core/special/SpecialLists.h"
#include "core/text/Base64.h"
#include "core/text/Lines.h"

#include <gtest/gtest.h>
#include <set>

namespace tessaly {
namespace {

using namespace test;
using Lines = std::vector<std::string>;

std::string section(int award, const Lines &names, int coun = -1)
{
    std::string s = "[" + std::to_string(award) + "]\r\ncoun=" +
                    std::to_string(coun < 0 ? static_cast<int>(names.size()) : coun) + "\r\n";
    for (size_t i = 0; i < names.size(); ++i)
        s += std::to_string(i + 1) + "=" + base64Encode(names[i]) + "\r\n";
    return s;
}

std::set<std::string> winnersOf(const DrawSession &s, int award)
{
    const auto &names = s.AwardWinnerNames()[static_cast<size_t>(award)];
    return {names.begin(), names.end()};
}

TEST(SpecialLists, AShortPoolNeverHandsOutExcludedOrReservedPeople)
{
    // Six people; the first award (6 winners in 3+3) may not go to P0 and P1
    // (excluded) nor to P2 (kept for the second award), so only three can win it.
    struct Case {
        std::string what;
        std::string read, write;
        std::set<std::string> barred;
        int firstBatch, secondBatch;
    };
    const Case cases[] = {
        {"both lists", section(2, {"P2"}), section(1, {"P0", "P1"}), {"P0", "P1", "P2"}, 3, 0},
        {"exclusions only", "", section(1, {"P0", "P1"}), {"P0", "P1"}, 3, 1},
        {"reserved only", section(2, {"P2"}), "", {"P2"}, 3, 2},
    };
    for (const auto &c : cases) {
        for (bool restartBetween : {false, true}) {
            SCOPED_TRACE(c.what + (restartBetween ? ", restarted between the batches" : ""));
            DrawFolder dir(6, {{"一等奖", 6, 2, "3+3"}, {"二等奖", 1, 1, "1"}},
                           "scrolldown=0\r\nntfs=1\r\nonerun=0\r\n");
            dir.write("Read.reb", c.read);
            dir.write("write.reb", c.write);
            auto run = std::make_unique<Program>(dir);
            EXPECT_TRUE(mentions(run->shown, "奖池中的参选人数小于中奖个数，软件已自动调整当前奖项中奖个数"))
                << texts(run->shown);
            run->session.PrepareBatch();
            EXPECT_EQ(run->session.state().BatchSize, c.firstBatch);
            run->batch();
            if (restartBetween)
                run = std::make_unique<Program>(dir);
            run->session.PrepareBatch();
            EXPECT_EQ(run->session.state().BatchSize, c.secondBatch);
            run->batch();
            EXPECT_EQ(run->session.AwardWinnerNames()[0].size(), static_cast<size_t>(c.firstBatch + c.secondBatch));
            for (const auto &name : winnersOf(run->session, 0))
                EXPECT_EQ(c.barred.count(name), 0u) << name << " won the first award";
            // The one reserved for the second award still wins it.
            if (!c.read.empty()) {
                run->batch();
                EXPECT_EQ(winnersOf(run->session, 1), std::set<std::string>{"P2"});
            }
        }
    }
}

TEST(SpecialLists, UnreadableLinesAreNamedOnceAtTheStartAndTheRestLoads)
{
    DrawFolder dir(10, {{"一等奖", 1, 1, "1"}, {"二等奖", 2, 1, "2"}},
                   "scrolldown=0\r\nntfs=1\r\nonerun=0\r\ncanfz=1\r\n",
                   "[Grfz]\r\n0=0|" + G("一等奖(1名)") + ":1-x\r\n1=1|" + G("二等奖(2名)") + ":5-8\r\n");
    // Award 1: one good name, one that is not Base64; award 2: a count that is no number.
    dir.write("Read.reb", "[1]\r\ncoun=2\r\n1=" + base64Encode("P3") + "\r\n2=@@@\r\n[2]\r\ncoun=lots\r\n1=" +
                              base64Encode("P6") + "\r\n");
    dir.write("write.reb", section(2, {"P5"}));
    Program run(dir);
    std::string notice;
    for (const auto &n : run.shown.notices)
        if (n.text.find(G("无法识别")) != std::string::npos) {
            EXPECT_TRUE(notice.empty()) << "named twice";
            notice = n.text;
        }
    for (const char *named : {"0=0|", "[1] 2=@@@", "[2] coun=lots"})
        EXPECT_NE(notice.find(G(named)), std::string::npos) << named << "\n" << notice;
    EXPECT_EQ(notice.find("5-8"), std::string::npos);

    // The first award's range cannot be read: nobody can win it, even P3.
    EXPECT_TRUE(mentions(run.shown, "您启用了奖项分组设置。奖池中的参选人数不足，当前奖项将抽0个，其它奖项正常抽取"));
    run.batch();
    EXPECT_TRUE(run.session.AwardWinnerNames()[0].empty());
    // The second award draws in lines 5 to 8 without its excluded P5.
    DrawOutcome next = run.batch();
    EXPECT_EQ(texts(next).find(G("无法识别")), std::string::npos);
    for (const auto &name : winnersOf(run.session, 1))
        EXPECT_TRUE(name == "P4" || name == "P6" || name == "P7") << name;
}

TEST(SpecialLists, SectionsReadKeysOneToCountWhateverTheGaps)
{
    struct Case {
        std::string what, text;
        Lines names;
    };
    const Case cases[] = {
        {"plain", section(1, {"a", "b"}), {"a", "b"}},
        {"gap", "[1]\r\ncoun=3\r\n1=" + base64Encode("a") + "\r\n3=" + base64Encode("c") + "\r\n", {"a", "c"}},
        {"past the count", "[1]\r\ncoun=1\r\n1=" + base64Encode("a") + "\r\n2=" + base64Encode("b") + "\r\n", {"a"}},
        {"no count", "[1]\r\n1=" + base64Encode("a") + "\r\n", {}},
        {"huge count", "[1]\r\ncoun=2000000000\r\n7=" + base64Encode("g") + "\r\n", {"g"}},
        {"blank and broken", "[1]\r\ncoun=3\r\n1=\r\n2=!!\r\n3=" + base64Encode(G("王五 ")) + "\r\n", {G("王五 ")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TempProgramDir dir;
        dir.write("Read.reb", c.text);
        auto store = IniStore::open(dir / "Read.reb");
        EXPECT_EQ(readListNames(*store, "1"), c.names);
    }
}

TEST(SpecialLists, EditsRewriteTheAwardsSectionWhole)
{
    TempProgramDir dir;
    dir.write("Read.reb", "[1]\r\ncoun=3\r\n1=" + base64Encode("a") + "\r\n3=" + base64Encode("c") + "\r\n2x=keep\r\n" +
                              section(2, {"z"}));
    auto names = [&dir](const std::string &s) { return readListNames(*IniStore::open(dir / "Read.reb"), s); };
    auto edit = [&dir](auto change) {
        auto store = IniStore::open(dir / "Read.reb");
        const bool done = change(*store);
        EXPECT_TRUE(store->commit().ok());
        return done;
    };
    edit([](IniStore &s) { addListEntry(s, 1, G("新人")); return true; });
    EXPECT_EQ(names("1"), (Lines{"a", "c", G("新人")}));
    EXPECT_EQ(IniStore::open(dir / "Read.reb")->readString("1", "coun"), "3");
    // A cell below the last entry deletes nothing.
    EXPECT_FALSE(edit([](IniStore &s) { return deleteListEntry(s, 1, 4); }));
    EXPECT_EQ(names("1").size(), 3u);
    EXPECT_TRUE(edit([](IniStore &s) { return deleteListEntry(s, 1, 2); }));
    EXPECT_EQ(names("1"), (Lines{"a", G("新人")}));
    EXPECT_TRUE(edit([](IniStore &s) { return deleteListEntry(s, 1, 2); }));
    EXPECT_TRUE(edit([](IniStore &s) { return deleteListEntry(s, 1, 1); }));
    auto store = IniStore::open(dir / "Read.reb");
    EXPECT_EQ(store->readString("1", "coun"), "0");
    EXPECT_EQ(store->keys("1"), (Lines{"coun", "2x"}));
    EXPECT_EQ(names("2"), Lines{"z"});  // other awards untouched
    ASSERT_TRUE(clearListFile(dir / "Read.reb").ok());
    EXPECT_EQ(dir.read("Read.reb"), "");
}

TEST(SpecialLists, EntriesMustBeParticipantsBlanksIncluded)
{
    const Lines names = {"Wang Wu", G("张三")};
    EXPECT_TRUE(isParticipant(names, "wang wu"));
    EXPECT_TRUE(isParticipant(names, G("张三")));
    EXPECT_FALSE(isParticipant(names, "Wang Wu "));
    EXPECT_FALSE(isParticipant(names, "WangWu"));
    EXPECT_FALSE(isParticipant(names, ""));
}

TEST(SpecialLists, HotKeysEnableTheListsOrOpenThePrompt)
{
    struct Case {
        int sndfo, sndst, pressed;
        HotKey action;
    };
    const Case cases[] = {
        {kDefaultOpenKey, kDefaultEnableKey, kDefaultEnableKey, HotKey::EnableLists},
        {kDefaultOpenKey, kDefaultEnableKey, kDefaultOpenKey, HotKey::OpenAccessPrompt},
        {kDefaultOpenKey, kDefaultEnableKey, 16384 + 85, HotKey::None},  // Ctrl+U without Alt
        {8192 + 112, 8192 + 112, 8192 + 112, HotKey::EnableLists},      // the same code for both
        {0, 0, 0, HotKey::None},
    };
    for (const auto &c : cases) {
        DrawOptions o;
        o.sndfo = c.sndfo;
        o.sndst = c.sndst;
        EXPECT_EQ(hotKeyAction(c.pressed, o), c.action) << c.pressed;
    }
}

TEST(SpecialLists, TheEnablingKeyAndTheModesDecideWhetherARestartKeepsTheLists)
{
    // The excluded P9 to P2 come first in an order built with the lists.
    std::string write;
    for (int award = 1; award <= 2; ++award) {
        Lines names;
        for (int k = 9; k >= 2; --k)
            names.push_back("P" + std::to_string(k));
        write += section(award, names);
    }
    for (int ntfs : {0, 2}) {
        SCOPED_TRACE("ntfs " + std::to_string(ntfs));
        DrawFolder dir(10, {{"一等奖", 1, 1, "1"}, {"二等奖", 1, 1, "1"}},
                       "scrolldown=0\r\nonerun=0\r\nntfs=" + std::to_string(ntfs) + "\r\n");
        dir.write("write.reb", write);
        Program run(dir);
        // The enabling hot key: lists in force and the draw back at its start.
        run.batch();
        EXPECT_TRUE(mentions(run.session.EnableLists(), "可以重新开始抽奖"));
        EXPECT_TRUE(run.session.flags().PredeterminedActive);
        EXPECT_TRUE(run.session.AwardWinnerNames()[0].empty());
        EXPECT_EQ(run.session.PoolList().front(), 9);
        run.batch();
        EXPECT_TRUE(winnersOf(run.session, 0) == std::set<std::string>{"P0"} ||
                    winnersOf(run.session, 0) == std::set<std::string>{"P1"});
        // A restart from the menu keeps them only when they are always on.
        run.session.Restart();
        EXPECT_EQ(run.session.flags().PredeterminedActive, ntfs == 2);
        EXPECT_EQ(run.session.PoolList().front() == 9, ntfs == 2);
    }
}

TEST(SpecialLists, AListThatCannotBeReadStopsTheAwardUntilItCanBe)
{
    Lines excluded;
    for (int k = 0; k < 8; ++k)
        excluded.push_back("P" + std::to_string(k));
    for (const std::string file : {"Read.reb", "write.reb"}) {
        SCOPED_TRACE(file);
        DrawFolder dir(10, {{"一等奖", 1, 1, "1"}, {"二等奖", 1, 1, "1"}}, "scrolldown=0\r\nntfs=2\r\n");
        dir.write("write.reb", section(2, excluded));
        Program run(dir);
        run.batch();
        ASSERT_EQ(run.session.AwardWinnerNames()[0].size(), 1u);
        const bool existed = dir.exists(file);
        if (existed)
            std::filesystem::rename(dir / file, dir / (file + ".bak"));
        std::filesystem::create_directories(dir / file);  // there, but not readable as a file
        for (int tries = 0; tries < 2; ++tries) {
            const DrawOutcome out = run.session.FormKeyUp(kSpace);
            EXPECT_TRUE(mentions(out, "本奖项的规则无法读取，抽奖暂不开始")) << texts(out);
            EXPECT_FALSE(run.session.flags().BatchReady);
            EXPECT_EQ(run.session.state().CurrentAward, 0);  // the position stays
        }
        std::filesystem::remove(dir / file);
        if (existed)
            std::filesystem::rename(dir / (file + ".bak"), dir / file);
        run.batch();
        EXPECT_EQ(run.session.state().CurrentAward, 1);
        ASSERT_EQ(run.session.AwardWinnerNames()[1].size(), 1u);
        const std::string won = run.session.AwardWinnerNames()[1][0];
        EXPECT_TRUE(won == "P8" || won == "P9") << won;  // the exclusions held
    }
}

TEST(SpecialLists, TheEnablingKeySaysSoWhenTheResetCannotHappen)
{
    DrawFolder dir(10, {{"一等奖", 2, 2, "1+1"}}, "scrolldown=0\r\n");
    Program run(dir);
    run.batch();
    const auto winners = run.session.AwardWinnerNames()[0];
    ASSERT_EQ(winners.size(), 1u);
    // The list cannot be read at the moment of the key (a folder where data.txt was).
    std::filesystem::rename(dir / "data.txt", dir / "data.bak");
    std::filesystem::create_directories(dir / "data.txt");
    const DrawOutcome out = run.session.EnableLists();
    EXPECT_FALSE(mentions(out, "可以重新开始抽奖"));
    EXPECT_FALSE(out.notices.empty());  // the reason is told
    EXPECT_FALSE(run.session.flags().PredeterminedActive);
    EXPECT_EQ(run.session.AwardWinnerNames()[0], winners);  // nothing changed
}

}  // namespace
}  // namespace tessaly
