#include "TempProgramDir.h"

#include "core/files/Paths.h"
#include "core/participants/ParticipantList.h"

#include "core/text/Lines.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::G;
using test::TempProgramDir;
using Lines = std::vector<std::string>;

TEST(Participants, LoadsEveryLineAsAnEntryWithItsIndex)
{
    TempProgramDir dir;
    dir.write("set.dat", "[Option]\r\n");
    dir.write("data.txt", "A\r\n\r\nB\rA\n");
    ParticipantLists lists;
    lists.StateList = {"|ISOK|"};
    ASSERT_TRUE(LoadParticipants(dir.path(), lists).ok());
    EXPECT_EQ(lists.NameList, (Lines{"A", "", "B", "A"}));
    EXPECT_EQ(lists.DisplayList, lists.NameList);
    EXPECT_EQ(lists.StateList, (Lines{"0", "1", "2", "3"}));
    EXPECT_EQ(lists.LongestEntry, "A");
}

TEST(Participants, PrivacyMaskCountsBytes)
{
    struct Case {
        int start, end;
        std::string entry, shown;
    };
    const Case cases[] = {
        {2, 3, "ABCDE", "A**DE"},
        {2, 3, "A", "A**"},                            // shorter than start: stars appended
        {1, 40, "ABCDEFGHIJ", std::string(30, '*')},  // never more than 30 stars
        {3, 4, G("王小明"), G("王") + "**" + G("明")},   // the second character of a name
        {5, 3, "ABCDEFG", "ABCDEFG"},                  // end below start - 1: no mask
        {5, 4, "ABCDEFG", "ABCDEFG"},                  // end = start - 1: zero stars
        {0, 2, "ABCD", "**CD"},                        // a start below 1 counts from the first byte
    };
    for (const auto &c : cases)
        EXPECT_EQ(applyPrivacyMask(c.entry, {true, c.start, c.end}), c.shown) << c.start << "-" << c.end;
    EXPECT_EQ(applyPrivacyMask("ABCDE", {false, 2, 3}), "ABCDE");
}

TEST(Participants, MaskSettingsComeFromTheSettingsFile)
{
    TempProgramDir dir;
    dir.write("set.dat", "[Option]\r\nprivacy=1\r\nprivacystart=2\r\nprivacyend=3\r\n");
    dir.write("data.txt", "ABCDE\r\nA\r\n");
    ParticipantLists lists;
    ASSERT_TRUE(LoadParticipants(dir.path(), lists).ok());
    EXPECT_EQ(lists.DisplayList, (Lines{"A**DE", "A**"}));
    EXPECT_EQ(lists.NameList, (Lines{"ABCDE", "A"}));
}

TEST(Participants, LongestEntryIsTheFirstOfTheLongest)
{
    EXPECT_EQ(buildParticipantLists({"AB", "CD", "E"}, {}).LongestEntry, "AB");
    EXPECT_EQ(buildParticipantLists({"E", "CD", "AB"}, {}).LongestEntry, "CD");
    ParticipantLists empty = buildParticipantLists({}, {});
    EXPECT_TRUE(empty.LongestEntry.empty());
    EXPECT_EQ(empty.size(), 0u);
}

TEST(Participants, AnUnreadableListKeepsThePreviousLists)
{
    TempProgramDir dir;
    ParticipantLists lists = buildParticipantLists({"kept"}, {});
    auto loaded = LoadParticipants(dir.path(), lists);
    EXPECT_EQ(loaded.code(), ErrorCode::FileMissing);
    EXPECT_EQ(lists.NameList, (Lines{"kept"}));
}

TEST(Participants, PhotoFolderScanTakesJpegsInAnyCaseAndSkipsFolders)
{
    TempProgramDir dir;
    dir.write("photo/Li.jpg", "x");
    dir.write("photo/Wang.JPG", "x");
    dir.write("photo/notes.txt", "x");
    std::filesystem::create_directories(dir / "photo/x.jpg");
    auto n = ScanPhotoFolder(dir.path());
    ASSERT_TRUE(n.ok());
    EXPECT_EQ(*n, 2);
    Lines lines = splitLines(dir.read("data.txt"));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (Lines{"Li", "Wang"}));
}

TEST(Participants, PhotoFolderScanStopsAt2001Names)
{
    TempProgramDir dir;
    for (int i = 0; i < 2005; ++i)
        dir.write("photo/" + std::to_string(i) + ".jpg", "");
    ASSERT_EQ(ScanPhotoFolder(dir.path()).value(), 2001);
    EXPECT_EQ(splitLines(dir.read("data.txt")).size(), 2001u);
}

TEST(Participants, AnEmptyPhotoFolderWritesAnEmptyList)
{
    TempProgramDir dir;
    dir.write("data.txt", "old\r\n");
    ASSERT_EQ(ScanPhotoFolder(dir.path()).value(), 0);
    EXPECT_EQ(dir.read("data.txt"), "");
}

TEST(Paths, StoredPathsResolveWithoutRegardToCase)
{
    TempProgramDir dir;
    dir.write("Photo/Wang.JPG", "x");
    dir.write(gbkToUtf8(G("奖品")) + "/a.png", "x");
    EXPECT_EQ(resolveStoredPath(dir.path(), "photo\\wang.jpg"), dir / "Photo/Wang.JPG");
    EXPECT_TRUE(storedFileExists(dir.path(), G("奖品\\A.PNG")));
    EXPECT_FALSE(storedFileExists(dir.path(), "photo\\li.jpg"));
    EXPECT_FALSE(storedFileExists(dir.path(), ""));
}

}  // namespace
}  // namespace tessaly
