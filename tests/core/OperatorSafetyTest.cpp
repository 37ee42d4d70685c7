// The operator's safety nets around the draw: which settings saves reset it,
// the history of corrections in log.txt, names holding the field separator,
// the supplement's choice among repeated names, the question before leaving an
// unfinished award, and special lists with gaps in their keys.
#include "DrawFixtures.h"

#include "core/draw/AwardSaveDecision.h"
#include "core/settings/AwardSettings.h"
#include "core/text/Base64.h"
#include "core/text/Lines.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using namespace test;

const char *const kStored =
    "[Option]\r\nLucks=2\r\nscrolldown=1\r\ncanreAward=0\r\nprivacy=0\r\nprivacystart=1\r\nprivacyend=2\r\n"
    "IntervalTime=40\r\nrunfrom=0\r\nstartkey=32\r\n[FirstTitle]\r\nCaption=Old\r\nVisible=1\r\n"
    "[Grade]\r\n0=A|2|1|2|TV|Awardimg\\a.jpg\r\n1=B|3|1|3|PC|\r\n";

TEST(AwardSaveDecision, OnlyChangesThatDecideTheDrawResetIt)
{
    struct Case {
        const char *what;
        std::vector<SettingWrite> writes;
        bool resets;
    };
    const Case cases[] = {
        {"nothing changed, the table written back as it was",
         {{"Grade", "0", " A | 2|1|2|TV|Awardimg\\a.jpg"}, {"Grade", "1", "B|3|1|3|PC|"}, {"option", "Lucks", "2"}},
         false},
        {"titles, speed, window mode, hide box, start key",
         {{"FirstTitle", "Caption", "New"}, {"Option", "IntervalTime", "60"}, {"Option", "runfrom", "1"},
          {"FirstTitle", "Visible", "0"}, {"Option", "startkey", "13"}, {"Option", "canready", "0"}},
         false},
        {"the mask range while the mask stays off", {{"Option", "privacystart", "4"}}, false},
        {"a bool written in another spelling", {{"Option", "canreAward", "0"}, {"Option", "scrolldown", "1"}}, false},
        {"winners of an award", {{"Grade", "0", "A|3|1|3|TV|Awardimg\\a.jpg"}}, true},
        {"a prize picture", {{"Grade", "1", "B|3|1|3|PC|Awardimg\\b.jpg"}}, true},
        {"two awards swapped", {{"Grade", "0", "B|3|1|3|PC|"}, {"Grade", "1", "A|2|1|2|TV|Awardimg\\a.jpg"}}, true},
        {"an award added", {{"Grade", "2", "C|1|1|1||"}, {"option", "Lucks", "3"}}, true},
        {"an award deleted", {{"option", "Lucks", "1"}}, true},
        {"the draw order", {{"Option", "scrolldown", "0"}}, true},
        {"repeated winning", {{"Option", "canreAward", "1"}}, true},
        {"the mask switched on", {{"Option", "privacy", "1"}}, true},
        {"the last write of a key wins", {{"Option", "scrolldown", "0"}, {"Option", "scrolldown", "1"}}, false},
    };
    TempProgramDir dir;
    dir.write("set.dat", kStored);
    auto stored = IniStore::open(dir / "set.dat");
    ASSERT_TRUE(stored);
    for (const auto &c : cases)
        EXPECT_EQ(decideAwardSave(*stored, c.writes).resetsDraw, c.resets) << c.what;

    // The mask range matters once the mask is on.
    dir.write("set.dat", std::string(kStored) + "[Option]\r\n");
    auto masked = IniStore::open(dir / "set.dat");
    masked->writeString("Option", "privacy", "1");
    ASSERT_TRUE(masked->commit());
    auto on = IniStore::open(dir / "set.dat");
    EXPECT_TRUE(decideAwardSave(*on, {{"Option", "privacyend", "5"}}).resetsDraw);
    EXPECT_EQ(decideAwardSave(*on, {{"Option", "privacyend", "5"}}).changed, std::vector<std::string>{"Option/privacy"});
}

TEST(AwardSaveDecision, TheResetQuestionsCountTheRecordsTheyClear)
{
    EXPECT_EQ(awardResetQuestion(0).find(G("中奖记录")), std::string::npos);
    const std::string asked = awardResetQuestion(12);
    EXPECT_NE(asked.find(G("已抽出的12名中奖人员的中奖记录将被清除")), std::string::npos);
    EXPECT_NE(asked.find("log.txt"), std::string::npos);
    EXPECT_NE(factoryResetQuestion(3).find(G("3名")), std::string::npos);
}

TEST(CorrectionLog, GiveUpSupplementAndRenameAreInTheHistory)
{
    DrawFolder dir(20, {{"一等奖", 2, 1, "2"}, {"二等奖", 3, 1, "3"}}, "scrolldown=0\r\n");
    Program p(dir);
    p.batch();
    const std::string quitter = p.session.AwardWinnerNames()[0][1];
    p.session.GiveUp(0, 1, true);
    p.session.Supplement(G("一等奖"), "1", "");
    p.session.FormKeyUp(kSpace);
    p.session.Timer1Timer();
    p.session.FormKeyUp(kSpace);
    p.session.RenamePrize(1, G("平板电脑"));
    p.session.Supplement(G("特别奖"), "1", G("音箱"));

    const std::string log = dir.read("log.txt");
    const std::string stamp = "<2026/12/8 19:05:03>  ";
    for (const std::string &block :
         {"\r\n" + stamp + G("弃奖\r\n[一等奖] ") + quitter + G("  (弃奖人员回归奖池)\r\n"),
          "\r\n" + stamp + G("补奖\r\n[一等奖] 补抽1名\r\n"),
          "\r\n" + stamp + G("临时修改奖品\r\n[二等奖] 奖品由“奖品1”改为“平板电脑”\r\n"),
          "\r\n" + stamp + G("补奖\r\n[特别奖] 新增奖项，补抽1名，奖品：音箱\r\n")})
        EXPECT_NE(log.find(block), std::string::npos) << gbkToUtf8(block);
    // The order of the history is the order of the events; the supplement's winner follows its block.
    EXPECT_LT(log.find(G("弃奖\r\n")), log.find(G("补奖\r\n")));
    EXPECT_LT(log.find(G("补奖\r\n")), log.rfind(G("[一等奖] P")));
}

TEST(CorrectionLog, ARefusedCorrectionWritesNothing)
{
    DrawFolder dir(20, {{"一等奖", 2, 1, "2"}}, "scrolldown=0\r\n");
    Program p(dir);
    const std::string before = dir.read("log.txt");
    p.session.Supplement(G("一等奖"), "1", "");  // the award is not finished
    p.session.RenamePrize(0, G("电|视"));
    p.session.GiveUp(0, 0, false);  // nobody to give up
    EXPECT_EQ(dir.read("log.txt"), before);
    EXPECT_EQ(dir.value("Grade", "0"), G("一等奖|2|1|2|奖品0|Awardimg\\p.jpg"));
}

TEST(DrawCorrections, TheSupplementTakesTheFirstListedAwardOfARepeatedName)
{
    DrawFolder dir(20, {{"纪念奖", 1, 1, "1"}, {"纪念奖", 2, 1, "2"}}, "scrolldown=0\r\n");
    Program p(dir);
    p.batch();
    p.session.Supplement(G("纪念奖"), "1", "");
    EXPECT_EQ(p.session.state().BatchAward, 0);
    p.session.FormKeyUp(kSpace);
    p.session.Timer1Timer();
    p.session.FormKeyUp(kSpace);
    EXPECT_EQ(p.session.AwardWinnerNames()[0].size(), 2u);
    EXPECT_TRUE(p.session.AwardWinnerNames()[1].empty());
}

TEST(FieldSeparator, NamesHoldingItAreRefusedWhereverTheyAreTyped)
{
    EXPECT_EQ(checkAwardNames(G("一|等奖"), "")->focus, GradeField::Name);
    EXPECT_EQ(checkAwardNames(G("一等奖"), "TV|PC")->focus, GradeField::PrizeName);
    EXPECT_FALSE(checkAwardNames(G("一等奖"), G("电视")));
    EXPECT_FALSE(checkAwardNames(G("東區一等獎"), G("億元")));  // 0x7C as a second byte is no separator
    int total = 0;
    auto refused = checkAwardRows({{"A", "1", "1", "1", "TV", ""}, {"B|C", "1", "1", "1", "", ""}}, total);
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->message.find(G("第2个奖项“B|C”")), std::string::npos);

    DrawFolder dir(20, {{"一等奖", 2, 1, "2"}}, "scrolldown=0\r\n");
    Program p(dir);
    p.batch();
    EXPECT_TRUE(mentions(p.session.Supplement(G("特|别奖"), "1", ""), "不能含有“|”"));
    EXPECT_TRUE(mentions(p.session.Supplement(G("特别奖"), "1", "a|b"), "不能含有“|”"));
    EXPECT_EQ(p.session.state().AwardCount, 1);
}

TEST(FieldSeparator, AStoredNameHoldingItIsNamedAndTheRestStillLoads)
{
    struct Case {
        std::string value;  // UTF-8
        bool numbersOk, separator;
        std::string name, prize, picture;
        int winners;
    };
    const Case cases[] = {
        {"一等奖|2|1|2|电视|Awardimg\\a.jpg", true, false, "一等奖", "电视", "Awardimg\\a.jpg", 2},
        {"A|B|2|1|2|电视|x.jpg", true, true, "A|B", "电视", "x.jpg", 2},
        {"A|2|1|2|TV|PC|x.jpg", true, true, "A", "TV|PC", "x.jpg", 2},
        {"1|2|3|3|TV|x.jpg", true, false, "1", "TV", "x.jpg", 2},
        {"A|1|3|1|3|TV|x.jpg", true, true, "A|1", "TV", "x.jpg", 3},  // 1 winner in 3 batches of "1" would not fit
        {"A|x|1|1|TV|", false, false, "A", "", "", 0},
    };
    for (const auto &c : cases) {
        const ParsedGrade p = parseGradeValue(G(c.value));
        EXPECT_EQ(p.numbersOk, c.numbersOk) << c.value;
        if (!c.numbersOk)
            continue;
        EXPECT_EQ(p.separatorInName, c.separator) << c.value;
        EXPECT_EQ(p.grade.name, G(c.name)) << c.value;
        EXPECT_EQ(p.grade.prizeName, G(c.prize)) << c.value;
        EXPECT_EQ(p.grade.prizePicture, c.picture) << c.value;
        EXPECT_EQ(p.grade.winners, c.winners) << c.value;
    }

    DrawFolder dir(20, {{"一等奖", 1, 1, "1"}, {"二等奖", 1, 1, "1"}, {"三等奖", 1, 1, "1"}});
    auto store = IniStore::open(dir / "set.dat");
    store->writeString("Grade", "1", G("二|等奖|1|1|1|奖品|"));
    ASSERT_TRUE(store->commit());
    Program p(dir);
    EXPECT_EQ(p.session.state().AwardCount, 3);
    EXPECT_EQ(p.session.awards()[2].name, G("三等奖"));
    EXPECT_TRUE(mentions(p.shown, "第2个奖项“二|等奖”的奖项名称或奖品名称中含有“|”字符"));
}

TEST(DrawCorrections, LeavingAnUnfinishedAwardIsAskedFirst)
{
    DrawFolder dir(40, {{"一等奖", 20, 2, "8+12"}, {"二等奖", 2, 1, "2"}}, "scrolldown=0\r\n");
    Program p(dir);
    EXPECT_EQ(p.session.startFromQuestion(1), "");  // nothing drawn yet
    p.batch();
    EXPECT_EQ(p.session.startFromQuestion(1),
              G("当前奖项“一等奖”还没有抽完（已抽出8名，共20名）。是否要从“二等奖”开始抽？"));
    p.batch();
    EXPECT_EQ(p.session.startFromQuestion(1), "");  // finished
}

TEST(SpecialLists, KeysAreReadFromOneToTheCountWhateverTheGaps)
{
    const std::string reb = "[1]\r\ncoun=5\r\n1=" + base64Encode("P3") + "\r\n5=" + base64Encode("P6") +
                            "\r\n6=" + base64Encode("P7") + "\r\n";  // key 6 lies past the count
    DrawFolder dir(10, {{"一等奖", 2, 1, "2"}}, "scrolldown=0\r\nntfs=1\r\nonerun=0\r\nntcanrandom=0\r\n");
    dir.write("Read.reb", reb);
    Program run(dir);
    run.batch();
    auto names = run.session.AwardWinnerNames()[0];
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"P3", "P6"}));
}

}  // namespace
}  // namespace tessaly
