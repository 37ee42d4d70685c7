#include "core/text/Base64.h"
#include "core/text/Gbk.h"
#include "core/text/Lines.h"
#include "core/text/SplitField.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using Lines = std::vector<std::string>;

TEST(Lines, EveryLineEndRuleSplitsTheSameWay)
{
    struct Case {
        std::string text;
        Lines expected;
    };
    const Case cases[] = {
        {"A\r\n\r\nB\r\nA\r\n", {"A", "", "B", "A"}},  // blank and duplicate lines are entries
        {"A\r\nB", {"A", "B"}},                        // no final line end
        {"A\rB\nC\r\n", {"A", "B", "C"}},              // lone CR and lone LF
        {"A\n\rB", {"A", "", "B"}},                    // LF CR is two line ends
        {"A\r\nB\0C\r\nD", {"A", "B"}},                // NUL ends the text
        {"", {}},
        {"\r\n", {""}},
        {"  \t \r\n", {"  \t "}},  // blanks are kept
    };
    for (const auto &c : cases)
        EXPECT_EQ(splitLines(c.text), c.expected) << "text: " << c.text;
    // The NUL case above is cut by the literal; build it with the byte in place.
    EXPECT_EQ(splitLines(std::string("A\r\nB\0C\r\nD", 9)), (Lines{"A", "B"}));
}

TEST(Lines, WritingPutsCrLfAfterEveryLine)
{
    EXPECT_EQ(joinLines({"A", "", "B"}), "A\r\n\r\nB\r\n");
    EXPECT_EQ(joinLines({}), "");
    EXPECT_EQ(splitLines(joinLines({"x", "", "y "})), (Lines{"x", "", "y "}));
}

TEST(SplitField, FieldsCountFromOneAndMissingOnesAreEmpty)
{
    struct Case {
        std::string text;
        char sep;
        int n;
        std::string expected;
    };
    const Case cases[] = {
        {"a|b|c", '|', 1, "a"},  {"a|b|c", '|', 3, "c"},  {"a|b|", '|', 3, ""},  {"a|b|", '|', 2, "b"},
        {"", '|', 1, ""},        {"a|b", '|', 0, ""},     {"a|b", '|', -1, ""},  {"4+4+2", '+', 3, "2"},
        {"A:3-9", ':', 2, "3-9"}, {"3-9", '-', 2, "9"},   {"a||c", '|', 2, ""},  {"a||c", '|', 3, "c"},
        {"a\r\nb|c", '|', 2, "b"},  // a line break inside the value also splits
    };
    for (const auto &c : cases)
        EXPECT_EQ(SplitField(c.text, c.sep, c.n), c.expected) << c.text << " field " << c.n;
    EXPECT_EQ(fieldCount("a|b|", '|'), 2);
    EXPECT_EQ(fieldCount("", '|'), 0);
}

TEST(Gbk, ValidTextConvertsBothWays)
{
    const std::string utf8 = "一等奖 张三 No.1";
    std::string gbk = utf8ToGbk(utf8);
    EXPECT_EQ(gbk.size(), 16u);  // five Chinese characters of two bytes, six ASCII
    EXPECT_EQ(gbkToUtf8(gbk), utf8);
    EXPECT_TRUE(isValidGbk(gbk));
}

TEST(Gbk, InvalidBytesShowAsReplacementAndAreReported)
{
    struct Case {
        std::string bytes;
        std::string shown;
    };
    const Case cases[] = {
        {"A\xFF" "B", "A\xEF\xBF\xBD" "B"},            // 0xFF is never a GBK lead byte
        {"\xD5\xC5\xB0", "张\xEF\xBF\xBD"},            // a lead byte cut off at the end
        {"\x81\x20" "C", "\xEF\xBF\xBD C"},          // a lead byte with a bad trail
    };
    for (const auto &c : cases) {
        EXPECT_EQ(gbkToUtf8(c.bytes), c.shown);
        EXPECT_FALSE(gbkToUtf8Strict(c.bytes).has_value());
    }
}

TEST(Gbk, CharactersOutsideGbkBecomeQuestionMarks)
{
    EXPECT_EQ(utf8ToGbk("a\xF0\x9F\x8E\x89z"), "a?z");  // an emoji
}

TEST(Base64, RoundTripsEveryFillLength)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"},
        {utf8ToGbk("密码"), "w9zC6w=="},
    };
    for (const auto &[plain, encoded] : cases) {
        EXPECT_EQ(base64Encode(plain), encoded);
        EXPECT_EQ(base64Decode(encoded).value_or("<bad>"), plain);
    }
    EXPECT_FALSE(base64Decode("Zm9v!").has_value());
    EXPECT_FALSE(base64Decode("Zg==Zg").has_value());
}

}  // namespace
}  // namespace tessaly
