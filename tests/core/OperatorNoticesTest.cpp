#include "DrawFixtures.h"

#include "core/event/OperatorNotices.h"
#include "core/settings/Settings.h"
#include "core/sound/SoundSettings.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::G;

TEST(OperatorNotices, RepeatsCountUpAndReachTheHistoryOnce)
{
    test::TempProgramDir dir;
    dir.write("log.txt", "");
    test::FixedClock clock;
    OperatorNotices notices(dir.path(), clock);
    std::vector<std::string> heard;
    const int id = notices.subscribe([&](const OperatorNotice &n) { heard.push_back(n.text + "#" + std::to_string(n.count)); });

    ASSERT_TRUE(notices.post(G("声音文件无法播放：wav\\stop1.wav")));
    ASSERT_TRUE(notices.post(G("另一条")));
    ASSERT_TRUE(notices.post(G("声音文件无法播放：wav\\stop1.wav")));
    notices.unsubscribe(id);
    notices.post(G("另一条"));

    EXPECT_EQ(heard, (std::vector<std::string>{G("声音文件无法播放：wav\\stop1.wav#1"), G("另一条#1"),
                                               G("声音文件无法播放：wav\\stop1.wav#2")}));
    ASSERT_EQ(notices.recent().size(), 2u);
    EXPECT_EQ(notices.recent().back().text, G("另一条"));
    EXPECT_EQ(notices.recent().back().count, 2);
    EXPECT_EQ(notices.unseen(), 4);
    notices.markSeen();
    EXPECT_EQ(notices.unseen(), 0);
    EXPECT_EQ(dir.read("log.txt"), G("\r\n<2026/12/8 19:05:03>  提示：声音文件无法播放：wav\\stop1.wav\r\n"
                                     "\r\n<2026/12/8 19:05:03>  提示：另一条\r\n"));
}

TEST(OperatorNotices, KeepsTheNewestAndNamesAHistoryThatCannotBeWritten)
{
    test::TempProgramDir dir;
    std::filesystem::create_directories(dir / "log.txt");  // a folder where the history should be
    test::FixedClock clock;
    OperatorNotices notices(dir.path(), clock);
    EXPECT_FALSE(notices.post(G("甲")));
    EXPECT_FALSE(notices.post(G("乙")));
    ASSERT_EQ(notices.recent().size(), 3u);
    EXPECT_EQ(notices.recent()[0].text, G("甲"));
    EXPECT_EQ(notices.recent()[1].text.rfind(G("无法写入log.txt"), 0), 0u);
    EXPECT_EQ(notices.recent()[1].count, 1);  // said once, not at every post

    OperatorNotices memoryOnly({}, clock);
    for (size_t i = 0; i < OperatorNotices::kKept + 5; ++i)
        ASSERT_TRUE(memoryOnly.post(std::to_string(i)));
    ASSERT_EQ(memoryOnly.recent().size(), OperatorNotices::kKept);
    EXPECT_EQ(memoryOnly.recent().front().text, "5");
}

TEST(OperatorNotices, MissingStoredSoundsAreNamedWithTheDefaultThatPlays)
{
    test::TempProgramDir dir;
    dir.write("wav/bg2.mp3", "x");
    dir.write("wav/mine.wav", "x");
    dir.write("set.dat", G("[Option]\r\nbmusic=wav\\gone.mp3\r\nsmusic=wav\\MINE.WAV\r\nemusic=\r\n"));
    auto settings = openSettings(dir.path());
    ASSERT_TRUE(settings);
    EXPECT_EQ(missingSoundNotices(*settings, dir.path()),
              std::vector<std::string>{G("声音文件不存在：wav\\gone.mp3，改用wav\\bg2.mp3")});
    EXPECT_EQ(soundFailureNotice("wav\\x.wav", ""), G("声音文件无法播放：wav\\x.wav"));
}

TEST(OperatorNotices, TheStartNamesAMissingSoundQuietly)
{
    test::DrawFolder folder(10, {{"一等奖", 1, 1, "1"}}, "onerun=0\r\nsmusic=wav\\gone.mp3\r\n");
    test::Program program(folder);
    ASSERT_EQ(program.session.notices().recent().size(), 1u);
    EXPECT_EQ(program.session.notices().recent()[0].text, G("声音文件不存在：wav\\gone.mp3，改用wav\\start3.mp3"));
    EXPECT_NE(folder.read("log.txt").find(G("提示：声音文件不存在：wav\\gone.mp3")), std::string::npos);
}

}  // namespace
}  // namespace tessaly
