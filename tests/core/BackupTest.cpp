// The dated backups kept before a reset or a replaced list, and bringing one back.
#include "DrawFixtures.h"

#include "core/event/Backup.h"
#include "core/settings/IniStore.h"
#include "core/text/Gbk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace tessaly;
using namespace tessaly::test;
namespace fs = std::filesystem;

namespace {

const std::vector<AwardRow> kTwoAwards = {{"一等奖", 2, 1, "2"}, {"二等奖", 3, 1, "3"}};

fs::path backupsOf(const DrawFolder &dir)
{
    return dir.path() / kBackupFolder;
}

}  // namespace

TEST(Backup, KeepsTheRecordsListAndDrawKeysAndBringsThemBack)
{
    DrawFolder dir(20, kTwoAwards, "canfz=0\r\nispho=0\r\n", "[Grfz]\r\n0=1:5\r\n[Look]\r\ncolour=red\r\n");
    Program program(dir);
    program.batch();
    ASSERT_FALSE(dir.read("ARecord.dat").empty());
    const std::string record = dir.read("ARecord.dat"), data = dir.read("data.txt"), marks = dir.read("colip.jpg");
    const std::string position = dir.option("currentLucki");

    auto made = makeBackup(dir.path(), {2026, 12, 10, 14, 3, 27});
    ASSERT_TRUE(made.ok()) << made.error().message;
    EXPECT_EQ(made->name, "2026-12-10 14-03-27");
    EXPECT_EQ(made->folder, backupsOf(dir) / "2026-12-10 14-03-27");
    for (const char *name : {"ARecord.dat", "colip.jpg", "tmda.jpg", "log.txt", "data.txt", kBackupKeysFile})
        EXPECT_TRUE(fs::exists(made->folder / name)) << name;

    // What a list save and a reset would do, and a key of the look that no backup touches.
    dir.write("data.txt", "X\r\n");
    dir.write("ARecord.dat", "");
    {
        auto s = IniStore::open(dir / "set.dat");
        s->writeString("Grade", "0", "changed|1|1|1|p|");
        s->writeString("Grade", "7", "added|1|1|1|p|");
        s->writeString("Grfz", "0", "");
        s->writeString("Option", "currentLucki", "9");
        s->writeString("Look", "colour", "blue");
        ASSERT_TRUE(s->commit().ok());
    }

    auto before = restoreBackup(dir.path(), made->name, {2026, 12, 10, 15, 0, 0});
    ASSERT_TRUE(before.ok()) << before.error().message;
    EXPECT_EQ(dir.read("ARecord.dat"), record);
    EXPECT_EQ(dir.read("data.txt"), data);
    EXPECT_EQ(dir.read("colip.jpg"), marks);
    EXPECT_EQ(dir.option("currentLucki"), position);
    EXPECT_EQ(dir.value("Grade", "0").substr(0, 6), G("一等奖"));
    EXPECT_TRUE(dir.value("Grade", "7").empty());
    EXPECT_EQ(dir.value("Grfz", "0"), "1:5");
    EXPECT_EQ(dir.value("Look", "colour"), "blue");
    // The restore kept what it replaced, so it can be undone.
    EXPECT_EQ(before->name, "2026-12-10 15-00-00");
    EXPECT_EQ(dir.read("备份/2026-12-10 15-00-00/data.txt"), "X\r\n");
}

TEST(Backup, KeepsTheNewestThirtyAndNumbersTwoInOneSecond)
{
    DrawFolder dir(5, kTwoAwards);
    fs::create_directories(backupsOf(dir) / "notes of the organiser");
    for (int i = 0; i < kKeptBackups + 2; ++i)
        ASSERT_TRUE(makeBackup(dir.path(), {2026, 12, 10, 14, i, 0}).ok());
    auto again = makeBackup(dir.path(), {2026, 12, 10, 14, kKeptBackups + 1, 0});
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again->name, "2026-12-10 14-31-00-2");

    const std::vector<std::string> names = listBackups(dir.path());
    ASSERT_EQ(names.size(), size_t(kKeptBackups));
    EXPECT_EQ(names.front(), "2026-12-10 14-03-00");
    EXPECT_EQ(names.back(), "2026-12-10 14-31-00-2");
    EXPECT_TRUE(fs::exists(backupsOf(dir) / "notes of the organiser"));
}

TEST(Backup, RefusesWhatIsNoBackup)
{
    DrawFolder dir(5, kTwoAwards);
    const std::string data = dir.read("data.txt");
    for (const char *name : {"1999-01-01 00-00-00", "../data.txt", "notes"})
        EXPECT_FALSE(restoreBackup(dir.path(), name, {2026, 1, 1, 0, 0, 0}).ok()) << name;
    EXPECT_EQ(dir.read("data.txt"), data);
    EXPECT_TRUE(listBackups(dir.path()).empty());
}

TEST(Backup, EveryResetOfTheSessionKeepsOneFirst)
{
    struct Case {
        const char *what;
        std::function<DrawOutcome(Program &)> act;
    };
    const Case cases[] = {
        {"restart", [](Program &p) { return p.session.Restart(); }},
        {"photo mode", [](Program &p) { return p.session.switchPhotoMode(true); }},
    };
    for (const Case &c : cases) {
        DrawFolder dir(20, kTwoAwards);
        Program program(dir);
        program.batch();
        const std::string record = dir.read("ARecord.dat");
        ASSERT_FALSE(record.empty());
        EXPECT_GT(program.session.recordedWinners(), 0);
        c.act(program);
        const auto names = listBackups(dir.path());
        ASSERT_EQ(names.size(), size_t(1)) << c.what;
        EXPECT_EQ(dir.read("备份/" + names[0] + "/ARecord.dat"), record) << c.what;
        EXPECT_TRUE(dir.read("ARecord.dat").empty()) << c.what;
    }
}

TEST(Backup, NoResetWithoutABackup)
{
    DrawFolder dir(20, kTwoAwards);
    Program program(dir);
    program.batch();
    const std::string record = dir.read("ARecord.dat");
    const int recorded = program.session.recordedWinners();
    dir.write(kBackupFolder, "a file where the folder of backups would go");
    DrawOutcome out = program.session.Restart();
    EXPECT_EQ(dir.read("ARecord.dat"), record);
    EXPECT_EQ(program.session.recordedWinners(), recorded);
    EXPECT_TRUE(mentions(out, "没有备份，操作已取消"));
}

TEST(Backup, ForcedRestartAtTheStartKeepsOneWithoutAsking)
{
    DrawFolder dir(20, kTwoAwards);
    {
        Program first(dir);
        first.batch();
    }
    const std::string record = dir.read("ARecord.dat");
    auto s = IniStore::open(dir / "set.dat");
    s->writeString("Option", "ntfs", "1");
    ASSERT_TRUE(s->commit().ok());
    Program second(dir);
    EXPECT_FALSE(second.shown.question.has_value());
    const auto names = listBackups(dir.path());
    ASSERT_EQ(names.size(), size_t(1));
    EXPECT_EQ(dir.read("备份/" + names[0] + "/ARecord.dat"), record);
    EXPECT_TRUE(dir.read("ARecord.dat").empty());
}

TEST(Backup, TheTextListComesBackAfterPhotoMode)
{
    DrawFolder dir(3, kTwoAwards);
    fs::create_directories(dir.path() / "photo");
    dir.write("photo/Li.jpg", "x");
    Program program(dir);
    const std::string textList = dir.read("data.txt");
    program.session.switchPhotoMode(true);
    EXPECT_EQ(dir.read("文本名单.txt"), textList);
    EXPECT_EQ(dir.read("data.txt"), "Li\r\n");

    DrawOutcome back = program.session.switchPhotoMode(false);
    ASSERT_TRUE(back.question.has_value());
    EXPECT_EQ(back.question->kind, QuestionKind::RestoreTextList);
    program.session.answerRestoreTextList(true);
    EXPECT_EQ(dir.read("data.txt"), textList);
    EXPECT_EQ(program.session.lists().size(), size_t(3));
    // Each switch kept what it replaced.
    EXPECT_EQ(listBackups(dir.path()).size(), size_t(2));
}
