#include "TempProgramDir.h"

#include "core/settings/AwardSettings.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::G;

TEST(AwardSettings, BatchesArePreFilledRoundedUpWithTheRestLast)
{
    struct Case {
        int winners, batches;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {10, 3, {4, 4, 2}}, {10, 4, {3, 3, 3, 1}}, {10, 5, {2, 2, 2, 2, 2}}, {7, 7, {1, 1, 1, 1, 1, 1, 1}},
        {4, 3, {2, 2, 0}},  // refused at OK, see below
        {5, 0, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(splitBatches(c.winners, c.batches), c.expected) << c.winners << " in " << c.batches;
}

TEST(AwardSettings, TheSingleAwardChecksComeInOrder)
{
    struct Case {
        std::string winners, batches;
        std::vector<std::string> counts;
        std::string message;  // UTF-8; empty when accepted
        GradeField focus;
    };
    const Case cases[] = {
        {" ", "1", {"1"}, "'中奖名额'不能为空！请重新输入", GradeField::Winners},
        {"3", "", {"3"}, "'批数'不能为空！请重新输入", GradeField::Batches},
        {"2", "3", {"1", "1", "0"}, "'批数'不能大于'中奖名额'！请重新输入", GradeField::Batches},
        {"4", "2", {"4", " "}, "批次中名额不能为空！请重新输入数据", GradeField::BatchCounts},
        {"4", "2", {"3", "2"}, "中奖名额和批次中总名额不相等！请重新输入数据", GradeField::BatchCounts},
        {"4", "3", {"2", "2", "0"}, "批次中名额必须是大于0的数字！请重新输入数据", GradeField::BatchCounts},
        {"4", "2", {"2", "x"}, "批次中名额必须是大于0的数字！请重新输入数据", GradeField::BatchCounts},
        {"10", "3", {" 4", "4 ", "2"}, "", GradeField::None},
    };
    for (const auto &c : cases) {
        std::string detail = "unchanged";
        auto refusal = checkGrade(c.winners, c.batches, c.counts, detail);
        if (c.message.empty()) {
            EXPECT_FALSE(refusal.has_value());
            EXPECT_EQ(detail, "4+4+2");
            continue;
        }
        ASSERT_TRUE(refusal.has_value()) << c.message;
        EXPECT_EQ(refusal->message, G(c.message));
        EXPECT_EQ(refusal->focus, c.focus);
        EXPECT_EQ(detail, "unchanged");
    }
}

TEST(AwardSettings, TheTableNeedsAnAwardAndEnoughParticipants)
{
    using Rows = std::vector<std::vector<std::string>>;
    int total = 0;
    EXPECT_EQ(checkAwardRows(Rows{{"A", " ", "", "", "", ""}}, total)->message, G("至少要设定一个奖项！请设定奖项"));
    EXPECT_FALSE(checkAwardRows(Rows{{"A", "6"}, {"B", "4"}}, total).has_value());
    EXPECT_EQ(total, 10);
    EXPECT_TRUE(checkAwardRows(Rows(51, {"A", "1"}), total).has_value());
    EXPECT_TRUE(checkAwardRows(Rows{{"A", "x"}}, total).has_value());
}

}  // namespace
}  // namespace tessaly
