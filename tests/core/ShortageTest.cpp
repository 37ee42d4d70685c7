// One decision whether the list suffices for the awards, told the same way by
// the stage, the pre-event check and the award settings.
#include "DrawFixtures.h"

#include "core/draw/AwardSaveDecision.h"
#include "core/draw/Shortage.h"
#include "core/event/PreEventCheck.h"
#include "core/settings/Settings.h"
#include "core/text/Base64.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using namespace test;

TEST(Shortage, TheAwardsArePlayedThroughWithTheDrawsRules)
{
    struct Case {
        const char *what;
        int entries;
        std::string options, sections;
        bool exclusions;
        long long missing;
        std::vector<int> shortAwards;
    };
    // Awards of 3, 3 and 2, drawn from the first.
    const Case cases[] = {
        {"enough for all", 8, "", "", false, 0, {}},
        {"the last award in drawing order falls short", 7, "", "", false, 1, {2}},
        {"drawn from the last award down, the first falls short", 7, "scrolldown=1\r\n", "", false, 1, {0}},
        {"repeat wins: nobody is used up", 3, "canreAward=1\r\n", "", false, 0, {}},
        {"a range smaller than its award, repeat wins or not", 8, "canreAward=1\r\ncanfz=1\r\n",
         "[Grfz]\r\n1=1|x:1-2\r\n", false, 1, {1}},
        {"a range counts only with grouping on", 8, "", "[Grfz]\r\n1=1|x:1-2\r\n", false, 0, {}},
        {"excluded people roll but never win", 8, "scrolldown=1\r\nntfs=2\r\n", "", true, 1, {2}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        DrawFolder dir(c.entries, {{"一等奖", 3, 1, "3"}, {"二等奖", 3, 1, "3"}, {"三等奖", 2, 1, "2"}},
                       c.options.find("scrolldown") == std::string::npos ? "scrolldown=0\r\n" + c.options : c.options,
                       c.sections);
        if (c.exclusions) {  // only P7 may win the third award, which is drawn first
            std::string section = "[3]\r\ncoun=7\r\n";
            for (int k = 0; k < 7; ++k)
                section += std::to_string(k + 1) + "=" + base64Encode("P" + std::to_string(k)) + "\r\n";
            dir.write("write.reb", section);
        }
        auto settings = openSettings(dir.path());
        const auto shortage = eventShortage(dir.path(), *settings);
        ASSERT_TRUE(shortage);
        std::vector<int> awards;
        for (const auto &a : shortage->awards)
            awards.push_back(a.award);
        EXPECT_EQ(shortage->missing, c.missing);
        EXPECT_EQ(awards, c.shortAwards);
    }
}

TEST(Shortage, TheStageNeverSaysTheOtherAwardsDrawAsUsualWhenTheyCannot)
{
    // 5 entries: the first award takes them all; the second and third have nobody left.
    DrawFolder dir(5, {{"一等奖", 5, 1, "5"}, {"二等奖", 2, 1, "2"}, {"三等奖", 2, 1, "2"}},
                   "scrolldown=0\r\n");
    Program run(dir);
    run.batch();
    const DrawOutcome next = run.session.FormKeyUp(kSpace);
    EXPECT_TRUE(mentions(next, "当前奖项将抽0个")) << texts(next);
    EXPECT_FALSE(mentions(next, "其它奖项正常抽取")) << texts(next);
    EXPECT_TRUE(mentions(next, "三等奖将抽不满，共少抽 2 人")) << texts(next);

    // With one more award that can still draw, "正常" stays true for it.
    DrawFolder enough(6, {{"一等奖", 2, 1, "2"}, {"二等奖", 2, 1, "2"}}, "scrolldown=0\r\ncanfz=1\r\n",
                      "[Grfz]\r\n0=0|x:9-9\r\n");
    Program second(enough);
    EXPECT_TRUE(mentions(second.shown, "当前奖项将抽0个，其它奖项正常抽取")) << texts(second.shown);
}

TEST(Shortage, TheCheckAndTheLoadSayWhatTheStageWillDo)
{
    // More winners than entries, but repeat wins allowed: nothing to warn about.
    DrawFolder repeat(3, {{"一等奖", 2, 1, "2"}, {"二等奖", 2, 1, "2"}}, "canreAward=1\r\n");
    CheckReport report = checkEventFolder(repeat.path());
    for (const auto &f : report.findings)
        EXPECT_EQ(f.text.find(G("抽不满")), std::string::npos) << gbkToUtf8(f.text);
    Program run(repeat);
    EXPECT_TRUE(run.session.shortageNotice().notices.empty());

    DrawFolder few(3, {{"一等奖", 2, 1, "2"}, {"二等奖", 2, 1, "2"}}, "scrolldown=0\r\n");
    report = checkEventFolder(few.path());
    bool warned = false;
    for (const auto &f : report.findings)
        warned = warned || (f.text.find(G("二等奖将抽不满，共少抽 1 人")) != std::string::npos &&
                            f.level == CheckFinding::Level::Warning);
    EXPECT_TRUE(warned);
    Program load(few);
    EXPECT_TRUE(mentions(load.session.shortageNotice(), "参选人数不足：二等奖将抽不满，共少抽 1 人"));
}

TEST(Shortage, TheAwardSettingsRefuseOnlyWhatMakesItWorse)
{
    DrawFolder dir(3, {{"一等奖", 2, 1, "2"}, {"二等奖", 2, 1, "2"}}, "scrolldown=0\r\n");
    auto stored = openSettings(dir.path());
    struct Case {
        const char *what;
        std::vector<SettingWrite> writes;
        bool refused;
    };
    const Case cases[] = {
        {"a title", {{"FirstTitle", "Caption", "'x'"}}, false},
        {"a prize name", {{"Grade", "1", G("二等奖") + "|2|1|2|TV|"}}, false},
        {"one winner more", {{"Grade", "1", G("二等奖") + "|3|1|3|TV|"}}, true},
        {"one winner less", {{"Grade", "1", G("二等奖") + "|1|1|1|TV|"}}, false},
        {"more winners with repeat wins", {{"Grade", "1", G("二等奖") + "|3|1|3|TV|"}, {"Option", "canreAward", "1"}},
         false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const std::string refusal = shortageRefusal(dir.path(), *stored, c.writes);
        EXPECT_EQ(!refusal.empty(), c.refused) << gbkToUtf8(refusal);
    }
}

}  // namespace
}  // namespace tessaly
