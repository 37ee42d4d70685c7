// The texts and files of the draw read and written on their own: status
// templates, timestamps, the record file, and a journal finished at start.
#include "TempProgramDir.h"

#include "core/draw/Clock.h"
#include "core/draw/DrawCommit.h"
#include "core/draw/DrawRecord.h"
#include "core/draw/StatusTemplate.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::G;
using test::TempProgramDir;

TEST(DrawRecord, StatusTemplatesReplaceEveryPlaceholder)
{
    struct Case {
        std::string templ, shown;
        std::string batches = "3", batch = "2", batchWinners = "4", awardWinners = "10", drawn = "6";
    };
    const Case cases[] = {
        {"第<当前奖项轮数>批 共<当前奖项总轮数>批", "第2批 共3批"},
        {"<奖项名称>:<当前奖项已抽名额>/<当前奖项总名额>，本批<本轮抽取名额>", "一等奖:6/10，本批4"},
        {"<本轮抽取名额>+<本轮抽取名额>", "4+4"},
        {"没有占位符", "没有占位符"},
        {"", ""},
        {"第<当前奖项轮数>批", "第<当前奖项轮数>批", "3", ""},  // an empty value leaves its placeholder
    };
    for (const auto &c : cases)
        EXPECT_EQ(FillStatusTemplate(G(c.templ), G("一等奖"), c.batches, c.batch, c.batchWinners, c.awardWinners,
                                     c.drawn),
                  G(c.shown))
            << c.templ;
}

TEST(DrawRecord, TimestampsUseTheShortDateAndLongTime)
{
    EXPECT_EQ(formatTimestamp({2026, 12, 8, 19, 5, 3}), "2026/12/8 19:05:03");
    EXPECT_EQ(formatTimestamp({2027, 1, 2, 9, 0, 0}), "2027/1/2 9:00:00");
}

TEST(DrawRecord, RecordLinesRebuildTheWinnerListsAndNameWhatCannotBeRead)
{
    const std::string text = "2|Li|Li\r\n2|W**g|Wang\r\n\r\n0|Zhao|Zhao\n\r\nabc|X|X\r\n50|Y|Y\r\n-1|Z|Z\r\n   \r\n"
                             "49|A|B|C\r\n";
    RecordReadout r = readRecordLines(text);
    EXPECT_EQ(r.winners[2], (std::vector<std::string>{"Li", "W**g"}));
    EXPECT_EQ(r.names[2], (std::vector<std::string>{"Li", "Wang"}));
    EXPECT_EQ(r.names[0], (std::vector<std::string>{"Zhao"}));
    // The name follows the last "|": a display text the mask left a "|" in stays whole.
    EXPECT_EQ(r.winners[49], (std::vector<std::string>{"A|B"}));
    EXPECT_EQ(r.names[49], (std::vector<std::string>{"C"}));
    EXPECT_EQ(r.badLines, (std::vector<int>{6, 7, 8, 9}));

    std::vector<int> order;
    EXPECT_EQ(parseOrderFile("3\r\n0\r\n2\r\n", 4, order), 0);
    EXPECT_EQ(order, (std::vector<int>{3, 0, 2}));
    EXPECT_EQ(orderFileText(order), "3\r\n0\r\n2\r\n");
    EXPECT_EQ(parseOrderFile("3\r\n4\r\n", 4, order), 2);
    EXPECT_EQ(parseOrderFile("1\r\nx\r\n", 4, order), 2);
    EXPECT_EQ(parseOrderFile("", 4, order), 0);
}

TEST(DrawRecord, AnInterruptedSaveIsFinishedOnceOrLeftForTheOperator)
{
    struct Case {
        std::string what;
        std::string recordAfterCut;  // ARecord.dat as the next start finds it
        bool finished;
        std::string recordAfter;
    };
    const std::string block = "0|A|A\r\n0|B|B\r\n\r\n";
    const Case cases[] = {
        {"nothing written yet", "old\r\n", true, "old\r\n" + block},
        {"a torn append", "old\r\n0|A|A\r\n0|", true, "old\r\n" + block},
        {"all written", "old\r\n" + block, true, "old\r\n" + block},
        {"changed by hand since", "other\r\n", false, "other\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TempProgramDir dir;
        dir.write("set.dat", "[Option]\r\n");
        dir.write("ARecord.dat", "old\r\n");
        dir.write("log.txt", "history\r\n");
        DrawCommit commit;
        commit.recordBlock = block;
        commit.logBlock = "batch\r\n";
        commit.stateText = "|ISOK|\r\n";
        commit.settings = {{"Option", "currentSxtimes", "2"}};
        CommitResult cut = applyDrawCommit(dir.path(), commit, [](CommitStep s) { return s == CommitStep::Journal; });
        EXPECT_TRUE(cut.interrupted);
        dir.write("ARecord.dat", c.recordAfterCut);

        RecoveryResult recovered = finishPendingCommit(dir.path());
        EXPECT_TRUE(recovered.found);
        EXPECT_EQ(recovered.finished, c.finished);
        EXPECT_EQ(dir.read("ARecord.dat"), c.recordAfter);
        EXPECT_EQ(dir.exists(kCommitJournal), !c.finished);
        EXPECT_EQ(dir.read("colip.jpg"), c.finished ? "|ISOK|\r\n" : "");
        EXPECT_EQ(dir.read("log.txt"), c.finished ? "history\r\nbatch\r\n" : "history\r\n");
        if (!c.finished) {
            ASSERT_EQ(recovered.errors.size(), 1u);
            EXPECT_EQ(recovered.errors[0].code, ErrorCode::Inconsistent);
        }
        // Finishing twice changes nothing.
        finishPendingCommit(dir.path());
        EXPECT_EQ(dir.read("ARecord.dat"), c.recordAfter);
    }
}


TEST(DrawRecord, HistoryBlocksStartWithAnEmptyLine)
{
    WinnerArray names;
    names[0] = {G("李四")};
    names[2] = {"Li", "Wang"};
    AwardTable awards;
    awards.AwardCount = 3;
    awards[0].name = G("特等奖");
    awards[0].prizeName = G("汽车");
    awards[2].name = G("三等奖");
    const std::string rule(65, '-');
    EXPECT_EQ(batchLogBlock("2026/12/8 19:05:03", G("一等奖"), "Li  Wang  "),
              "\r\n<2026/12/8 19:05:03> \r\n[" + G("一等奖") + "] Li  Wang  \r\n");
    EXPECT_EQ(restartLogBlock("2026/12/8 19:05:03", names),
              G("\r\n<2026/12/8 19:05:03>  重新开始抽奖前的抽奖结果\r\n") + rule + "\r\n" + G("李四") +
                  "\r\nLi\r\nWang\r\n" + rule + "\r\n");
    EXPECT_EQ(winnersSummary(awards, names),
              G("特等奖1名(汽车)\r\n李四\r\n  \r\n三等奖2名()\r\nLi\r\nWang\r\n  \r\n"));
}

}  // namespace
}  // namespace tessaly
