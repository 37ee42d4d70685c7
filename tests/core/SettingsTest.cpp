#include "TempProgramDir.h"

#include "core/settings/AwardTable.h"
#include "core/settings/Encodings.h"
#include "core/settings/IniStore.h"
#include "core/settings/Settings.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::G;
using test::TempProgramDir;

IniStore openIn(const TempProgramDir &dir, const std::string &name = "set.dat")
{
    auto store = IniStore::open(dir / name);
    EXPECT_TRUE(store.ok());
    return std::move(*store);
}

TEST(IniStore, ReadsFollowTheProfileStringRules)
{
    TempProgramDir dir;
    dir.write("set.dat", "[option]\r\n"
                         "Lucks = 3 \r\n"
                         "canreAward=2\r\n"
                         "word=yes\r\n"
                         "quoted='  keep  '\r\n"
                         "dquoted=\"x\"\r\n"
                         "half='x\r\n"
                         "dup=first\r\n"
                         "DUP=second\r\n"
                         "neg=-64\r\n"
                         "hex=$FF\r\n"
                         "big=99999999999\r\n"
                         "[Option]\r\n"
                         "later=ignored\r\n");
    IniStore s = openIn(dir);
    EXPECT_EQ(s.readInteger("Option", "LUCKS", 0), 3);
    EXPECT_TRUE(s.readBool("OPTION", "canreaward", false));   // 2 is true
    EXPECT_FALSE(s.readBool("Option", "word", false));        // a word gives the default
    EXPECT_TRUE(s.readBool("Option", "word", true));
    EXPECT_EQ(s.readString("Option", "quoted"), "  keep  ");  // one pair of quotes dropped
    EXPECT_EQ(s.readString("Option", "dquoted"), "x");
    EXPECT_EQ(s.readString("Option", "half"), "'x");
    EXPECT_EQ(s.readString("Option", "dup"), "first");
    EXPECT_EQ(s.readInteger("Option", "neg", 0), -64);
    EXPECT_EQ(s.readInteger("Option", "hex", 0), 255);
    EXPECT_EQ(s.readInteger("Option", "big", 7), 7);
    EXPECT_EQ(s.readString("Option", "later", "dflt"), "dflt");  // only the first section counts
    EXPECT_EQ(s.readString("Missing", "x", "d"), "d");
    EXPECT_EQ(s.readInteger("Option", "absent", 40), 40);
}

TEST(IniStore, WritesReplaceInPlaceAppendAndKeepOtherLines)
{
    TempProgramDir dir;
    dir.write("set.dat", "; a note\r\n[Option]\r\nLucks=3\r\nodd line\r\n\r\n[Grade]\r\n0=a|1\r\n");
    IniStore s = openIn(dir);
    s.writeInteger("option", "LUCKS", 4);
    s.writeString("Option", "new", "v");
    s.writeString("Fresh", "k", "line\r\nbreak");
    s.deleteKey("Grade", "0");
    ASSERT_TRUE(s.commit().ok());
    EXPECT_EQ(dir.read("set.dat"), "; a note\r\n[Option]\r\nLUCKS=4\r\nodd line\r\nnew=v\r\n\r\n[Grade]\r\n"
                                   "[Fresh]\r\nk=line  break\r\n");
}

TEST(IniStore, AValueWrittenExactlyReadsBackTheSameAfterACommit)
{
    // A list entry read from a hand-edited file and written back must not lose a
    // pair of quotes or its blanks at every rewrite; a NUL must not end the file.
    const std::string values[] = {"plain", "\"quoted\"", "'single'", "\"\"\"\"", " lead", "trail ", "\"",
                                  "a\x1f", "\"half", ""};
    TempProgramDir dir;
    {
        IniStore store = openIn(dir);
        for (size_t i = 0; i < std::size(values); ++i)
            store.writeExact("1", std::to_string(i), values[i]);
        store.writeExact("1", "nul", std::string("a\0b", 3));
        store.writeString("1", "after", "kept");
        ASSERT_TRUE(store.commit());
    }
    IniStore again = openIn(dir);
    for (size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(again.readString("1", std::to_string(i)), values[i]) << i;
    EXPECT_EQ(again.readString("1", "nul"), "a b");
    EXPECT_EQ(again.readString("1", "after"), "kept");
}

TEST(IniStore, TwoStoresOpenAtOnceKeepEachOthersWrites)
{
    TempProgramDir dir;
    dir.write("set.dat", "[Option]\r\na=0\r\n");
    IniStore first = openIn(dir);
    IniStore second = openIn(dir);
    first.writeString("Option", "a", "1");
    second.writeString("Option", "b", "2");
    ASSERT_TRUE(first.commit().ok());
    ASSERT_TRUE(second.commit().ok());
    IniStore check = openIn(dir);
    EXPECT_EQ(check.readString("Option", "a"), "1");
    EXPECT_EQ(check.readString("Option", "b"), "2");
}

TEST(IniStore, AMissingFileReadsDefaultsAndIsCreatedOnCommit)
{
    TempProgramDir dir;
    IniStore s = openIn(dir, "Read.reb");
    EXPECT_FALSE(s.fileExisted());
    EXPECT_EQ(s.readInteger("x", "y", 5), 5);
    s.writeString(G("名单"), "1", "abc");
    ASSERT_TRUE(s.commit().ok());
    EXPECT_EQ(dir.read("Read.reb"), G("[名单]\r\n1=abc\r\n"));
}

TEST(IniStore, AFailedWriteIsReported)
{
    // Folder gone, and a folder standing where the file should go: both fail even for root.
    TempProgramDir dir;
    auto missing = IniStore::open(dir / "gone/set.dat");
    ASSERT_TRUE(missing.ok());
    missing->writeString("Option", "a", "1");
    EXPECT_EQ(missing->commit().code(), ErrorCode::FileWrite);

    dir.write("set.dat", "[Option]\r\na=0\r\n");
    IniStore s = openIn(dir);
    s.writeString("Option", "a", "1");
    std::filesystem::remove(dir / "set.dat");
    dir.write("set.dat/blocker", "x");
    auto committed = s.commit();
    EXPECT_FALSE(committed.ok());
    EXPECT_FALSE(committed.ok() ? false : committed.error().message.empty());
    EXPECT_TRUE(dir.exists("set.dat/blocker"));
}

TEST(IniStore, AnyByteSequenceLoadsWithoutHarm)
{
    TempProgramDir dir;
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 131 + 7) % 256);
    dir.write("set.dat", junk + "\r\n[Option]\r\nLucks=\xFF\xFE\r\n");
    IniStore s = openIn(dir);
    EXPECT_EQ(s.readInteger("Option", "Lucks", 9), 9);
    s.writeString("Option", "x", "1");
    EXPECT_TRUE(s.commit().ok());
}

TEST(Encodings, ColoursByNameOrHex)
{
    struct Case {
        TColor color;
        std::string text;
    };
    const Case cases[] = {
        {colors::clYellow, "clYellow"},     {colors::clNavy, "clNavy"},   {colors::clMoneyGreen, "clMoneyGreen"},
        {colors::clNone, "clNone"},         {colors::clBtnFace, "clBtnFace"},
        {colorFromRgb(0x12, 0x34, 0x56), "$00563412"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(colorToString(c.color), c.text);
        EXPECT_EQ(colorFromString(c.text), c.color);
    }
    EXPECT_EQ(colorFromString("CLWHITE"), colors::clWhite);
    EXPECT_EQ(colorFromString("32768"), colors::clGreen);
    EXPECT_FALSE(colorFromString("purple-ish").has_value());
    EXPECT_EQ(colorToRgb(colors::clRed), 0xFF0000u);
    EXPECT_EQ(colorToRgb(colors::clBtnFace), 0xF0F0F0u);
}

TEST(Encodings, FontStyleSetsInEveryCombination)
{
    for (unsigned set = 0; set < 16; ++set)
        EXPECT_EQ(fontStyleFromString(fontStyleToString(set)), set);
    EXPECT_EQ(fontStyleToString(fsBold | fsStrikeOut), "[fsBold,fsStrikeOut]");
    EXPECT_EQ(fontStyleToString(0), "[]");
    EXPECT_EQ(fontStyleFromString("[FSITALIC, fsbold]"), unsigned(fsBold | fsItalic));
    EXPECT_EQ(fontStyleFromString("bold"), 0u);
}

TEST(Encodings, EnumeratedNamesAreExactWithTheirFallbacks)
{
    EXPECT_EQ(fontPitchFromString("fpFixed"), FontPitch::fpFixed);
    EXPECT_EQ(fontPitchFromString("fpfixed"), FontPitch::fpDefault);
    EXPECT_EQ(gradientFromString("gsCenterToTB"), GradientStyle::gsCenterToTB);
    EXPECT_EQ(gradientFromString("diagonal"), GradientStyle::gsLeftToRight);
    EXPECT_EQ(textureModeFromString("tmStretched"), TextureMode::tmStretched);
    EXPECT_EQ(textureModeFromString(""), TextureMode::tmNormal);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(gradientFromString(gradientToString(GradientStyle(i))), GradientStyle(i));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(textureModeFromString(textureModeToString(TextureMode(i))), TextureMode(i));
    EXPECT_EQ(screenKey(1024, 768), "1024*768");
    EXPECT_EQ(unprotectText(protectText(G("口令"))), G("口令"));
    EXPECT_EQ(joinCompound({"3", "clYellow", "", "x"}), "3|clYellow||x");
}

TEST(AwardTable, LoadsTheUsedAwardsAndTheStartingAward)
{
    TempProgramDir dir;
    dir.writeLines("set.dat", {"[option]", "Lucks=3", "scrolldown=1", "IntervalTime=25", "[Grade]",
                               "0=一等奖|2|1|2|电视机|Awardimg\\tv.jpg", "1=二等奖|10|3|3+3+4|手机|",
                               "2=三等奖|20|2|10+10|红包|Awardimg\\x.png", "3=旧奖项|1|1|1|旧|",
                               "[GrStatus]", "qCaption='第<当前奖项轮数>批 '"});
    dir.write("wav/stop9.wav", "");
    IniStore s = openIn(dir);
    s.writeString("Option", "emusic", "wav\\stop9.wav");
    s.writeString("Option", "bmusic", "wav\\gone.mp3");
    GradeConfig c = readConfigGrade(s, dir.path());
    ASSERT_TRUE(c.problems.empty());
    EXPECT_EQ(c.awards.AwardCount, 3);
    EXPECT_EQ(c.awards[1].name, G("二等奖"));
    EXPECT_EQ(c.awards[1].winners, 10);
    EXPECT_EQ(c.awards[1].batchCount, 3);
    EXPECT_EQ(c.awards[1].batchWinners(3), 4);
    EXPECT_EQ(c.awards[0].prizePicture, "Awardimg\\tv.jpg");
    EXPECT_TRUE(c.awards[3].name.empty());  // keys past the count are not loaded
    EXPECT_EQ(c.CurrentAward, 2);
    EXPECT_EQ(c.IntervalTime, 25);
    EXPECT_EQ(c.templates.qCaption, G("第<当前奖项轮数>批 "));
    EXPECT_EQ(c.sounds.emusic, "wav\\stop9.wav");
    EXPECT_EQ(c.sounds.bmusic, "wav\\bg2.mp3");  // a missing file falls back

    s.writeBool("Option", "scrolldown", false);
    EXPECT_EQ(readConfigGrade(s, dir.path()).CurrentAward, 0);
}

TEST(AwardTable, AMalformedAwardNamesItselfAndStopsTheLoading)
{
    struct Case {
        std::string grade;
        std::string mentions;
    };
    const Case cases[] = {{"特等奖|x|1|1|a|", "x"}, {"特等奖|2|两|1+1|a|", G("两")}};
    for (const auto &c : cases) {
        TempProgramDir dir;
        dir.writeLines("set.dat", {"[Option]", "Lucks=3", "scrolldown=0"});
        IniStore s = openIn(dir);
        s.writeString("Grade", "0", G("一等奖|1|1|1|a|"));
        s.writeString("Grade", "1", G(c.grade));
        GradeConfig config = readConfigGrade(s, dir.path());
        ASSERT_EQ(config.problems.size(), 1u);
        EXPECT_NE(config.problems[0].find(G("特等奖")), std::string::npos);
        EXPECT_NE(config.problems[0].find(c.mentions), std::string::npos);
        EXPECT_EQ(config.awards.AwardCount, 1);
    }
}

TEST(AwardTable, SavingShrinksTheCountButLeavesOldKeys)
{
    TempProgramDir dir;
    IniStore s = openIn(dir);
    AwardTable t;
    for (int i = 0; i < 5; ++i)
        t[i] = LGrade{"A" + std::to_string(i), 1, "1", 1, "P", ""};
    t.AwardCount = 5;
    saveAwardTable(s, t);
    t.AwardCount = 3;
    saveAwardTable(s, t);
    ASSERT_TRUE(s.commit().ok());
    IniStore check = openIn(dir);
    EXPECT_EQ(check.readInteger("Option", "Lucks", 0), 3);
    EXPECT_EQ(check.readString("Grade", "4"), "A4|1|1|1|P|");
    std::vector<std::string> problems;
    EXPECT_EQ(loadAwardTable(check, problems).AwardCount, 3);
}

TEST(Settings, FactoryDefaultsReplaceTheWholeFile)
{
    TempProgramDir dir;
    dir.write("set.dat", "[Option]\r\ncurrentLucki=3\r\n");
    dir.write("Modual/set.dat", "[Option]\r\nLucks=2\r\n");
    ASSERT_TRUE(restoreFactorySettings(dir.path()).ok());
    EXPECT_EQ(dir.read("set.dat"), "[Option]\r\nLucks=2\r\n");
    EXPECT_FALSE(installationComplete(dir.path()));
    dir.write("data.txt", "");
    dir.write("ARecord.dat", "");
    EXPECT_TRUE(installationComplete(dir.path()));
}

}  // namespace
}  // namespace tessaly
