// The pre-event check: the shipped demo passes, and each problem an organiser
// can make is found at the right level.
#include "DrawFixtures.h"

#include "core/event/PreEventCheck.h"
#include "core/participants/Jpeg.h"

#include <gtest/gtest.h>

#include <functional>

namespace tessaly::test {
namespace {
using Level = CheckFinding::Level;

void setOption(const DrawFolder &d, const std::string &key, const std::string &value)
{
    auto settings = IniStore::open(d / "set.dat");
    settings->writeString("Option", key, value);
    ASSERT_TRUE(settings->commit().ok());
}

// A real JPEG of a few pixels.
std::string tinyJpeg()
{
    RgbImage image{2, 2, {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffffffu}};
    return *encodeJpeg(image, 80);
}

// The first finding whose text holds the words, or nothing.
const CheckFinding *find(const CheckReport &report, const std::string &utf8)
{
    for (const auto &f : report.findings)
        if (f.text.find(G(utf8)) != std::string::npos)
            return &f;
    return nullptr;
}

TEST(PreEventCheck, ShippedDemoHasNothingThatBlocks)
{
    const CheckReport report = checkEventFolder(TESSALY_DIST_DIR);
    std::string all;
    for (const auto &f : report.findings)
        all += gbkToUtf8(f.text) + "\n";
    EXPECT_FALSE(report.blocking()) << all;
    for (const auto &f : report.findings) {  // a shipped sound may be missing from a build without them
        if (f.level == Level::Warning) {
            EXPECT_NE(f.text.find("wav\\"), std::string::npos) << all;
        }
    }
    EXPECT_NE(find(report, "还没有开始抽奖"), nullptr) << all;
}

TEST(PreEventCheck, FindsEachProblemAtItsLevel)
{
    struct Case {
        const char *what;
        std::function<void(DrawFolder &)> spoil;
        const char *words;
        Level level;
    } cases[] = {
        {"key out of range", [](DrawFolder &d) { setOption(d, "IntervalTime", "5"); },
         "IntervalTime", Level::Blocking},
        {"batches do not add up",
         [](DrawFolder &d) {
             auto s = d.read("set.dat");
             s.replace(s.find("|2|1|2|"), 7, "|2|1|3|");
             d.write("set.dat", s);
         },
         "不符", Level::Blocking},
        {"more winners than entries", [](DrawFolder &d) { d.write("data.txt", "A\r\nB\r\nC\r\n"); }, "多于名单",
         Level::Warning},
        {"UTF-8 list", [](DrawFolder &d) { d.write("data.txt", "张三\r\n李四\r\n" + d.read("data.txt")); }, "UTF-8",
         Level::Blocking},
        {"blank lines", [](DrawFolder &d) { d.write("data.txt", d.read("data.txt") + "\r\n  \r\n"); }, "空行",
         Level::Warning},
        {"duplicate lines", [](DrawFolder &d) { d.write("data.txt", d.read("data.txt") + "P3\r\n"); }, "重复行",
         Level::Warning},
        {"a bar in a line", [](DrawFolder &d) { d.write("data.txt", d.read("data.txt") + "A|B\r\n"); }, "含有“|”",
         Level::Warning},
        {"grouping range past the list",
         [](DrawFolder &d) {
             setOption(d, "canfz", "1");
             d.write("set.dat", d.read("set.dat") + "[Grfz]\r\n0=0|" + G("一等奖") + ":5-99\r\n");
         },
         "超出名单范围", Level::Blocking},
        {"reversed grouping range",
         [](DrawFolder &d) {
             setOption(d, "canfz", "1");
             d.write("set.dat", d.read("set.dat") + "[Grfz]\r\n0=0|" + G("一等奖") + ":9-5\r\n");
         },
         "起始行在结束行之后", Level::Blocking},
        {"missing photo",
         [](DrawFolder &d) {
             setOption(d, "ispho", "1");
             for (int i = 0; i < 20; ++i)
                 if (i != 4)
                     d.write("photo/P" + std::to_string(i) + ".JPG", tinyJpeg());
         },
         "没有照片（名单第 5 行）", Level::Blocking},
        {"undecodable photo and a photo of nobody",
         [](DrawFolder &d) {
             setOption(d, "ispho", "1");
             for (int i = 0; i < 20; ++i)
                 d.write("photo/P" + std::to_string(i) + ".jpg", i == 2 ? "not a jpeg" : tinyJpeg());
             d.write("photo/Stranger.jpg", tinyJpeg());
         },
         "无法解码", Level::Warning},
        {"missing sound",
         [](DrawFolder &d) { setOption(d, "smusic", "wav\\none.mp3"); },
         "音效", Level::Warning},
        {"order file no longer fits the list", [](DrawFolder &d) { d.write("tmda.jpg", "3\r\n99\r\n"); }, "tmda.jpg",
         Level::Blocking},
        {"draw under way",
         [](DrawFolder &d) {
             d.write("ARecord.dat", "0|P3|P3\r\n0|P7|P7\r\n\r\n");
             setOption(d, "currentLucki", "0");
             setOption(d, "currentovernum", "2");
         },
         "已记录 2 名中奖人", Level::Info},
        {"recorded winner not in the list", [](DrawFolder &d) { d.write("ARecord.dat", "0|Zed|Zed\r\n\r\n"); },
         "不在当前名单", Level::Warning},
    };
    for (const auto &c : cases) {
        DrawFolder dir(20, {{"一等奖", 2, 1, "2"}, {"二等奖", 6, 2, "3+3"}});
        const CheckReport clean = checkEventFolder(dir.path());
        ASSERT_FALSE(clean.blocking()) << c.what;
        c.spoil(dir);
        const CheckReport report = checkEventFolder(dir.path());
        const CheckFinding *finding = find(report, c.words);
        std::string all;
        for (const auto &f : report.findings)
            all += gbkToUtf8(f.text) + "\n";
        ASSERT_NE(finding, nullptr) << c.what << "\n" << all;
        EXPECT_EQ(finding->level, c.level) << c.what << "\n" << all;
        EXPECT_EQ(report.blocking(), c.level == Level::Blocking) << c.what << "\n" << all;
    }
}

TEST(PreEventCheck, ADrawUnderWayIsNotABlock)
{
    // The drawn marks of a draw that goes on normally: after a stop, after a
    // give-up that returns the winner to the pool, after a restart.
    const std::function<void(Program &)> steps[] = {
        [](Program &p) { p.batch(); },
        [](Program &p) {
            p.batch();
            p.session.GiveUp(p.session.state().BatchAward, 0, true);
        },
        [](Program &p) {
            p.batch();
            p.batch();
            p.session.Restart();
        },
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        DrawFolder dir(20, {{"一等奖", 2, 2, "1+1"}, {"二等奖", 6, 2, "3+3"}}, "scrolldown=0\r\n");
        {
            Program run(dir);
            steps[i](run);
        }
        if (i == 0) {
            ASSERT_NE(dir.read("colip.jpg").find("|ISOK|"), std::string::npos);
        }
        const CheckReport report = checkEventFolder(dir.path());
        std::string all;
        for (const auto &f : report.findings)
            all += gbkToUtf8(f.text) + "\n";
        EXPECT_FALSE(report.blocking()) << all;
        EXPECT_EQ(find(report, "colip.jpg"), nullptr) << all;
    }
    // Marks that no longer fit the list are a note: the start mends them from the records.
    DrawFolder dir(20, {{"一等奖", 2, 2, "1+1"}});
    dir.write("colip.jpg", "0\r\n|ISOK|\r\n7\r\n");
    const CheckReport report = checkEventFolder(dir.path());
    const CheckFinding *marks = find(report, "colip.jpg");
    ASSERT_NE(marks, nullptr);
    EXPECT_EQ(marks->level, Level::Warning);
}

TEST(PreEventCheck, FolderWithoutSettingsIsNotAnEvent)
{
    TempProgramDir dir;
    const CheckReport report = checkEventFolder(dir.path());
    EXPECT_TRUE(report.blocking());
    const std::string text = formatCheckReport(report, dir.path());
    EXPECT_NE(text.find(G("[阻止] 找不到 set.dat")), std::string::npos);
    EXPECT_NE(text.find(G("结论：有 1 个问题必须先解决")), std::string::npos);
}

TEST(PreEventCheck, SoundHeadsAreRecognised)
{
    struct Case {
        std::string head;
        bool sound;
    } cases[] = {{"ID3\x04", true},       {std::string("RIFF\x10\0\0\0WAVE", 12), true}, {std::string("RIFF\x10\0\0\0AVI ", 12), false},
                 {std::string("MThd\0\0\0\x06", 8), true}, {"\xFF\xFB\x90", true},      {"<html>", false},
                 {"", false},              {std::string("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8), true}};
    for (const auto &c : cases)
        EXPECT_EQ(looksLikeSound(c.head), c.sound) << c.head;
}

}  // namespace
}  // namespace tessaly::test
