#include "TempProgramDir.h"

#include "core/draw/Random.h"
#include "core/participants/ListImport.h"
#include "core/participants/ListTools.h"
#include "core/participants/TextSearch.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::G;
using Lines = std::vector<std::string>;

const std::string kFullWidthBlank = G("　");

TEST(ListTools, BlankLinesAreOnlyThoseOfBytesUpToBlank)
{
    Lines in = {"A", "", " \t ", "\x01", kFullWidthBlank, " B ", "\t"};
    std::vector<size_t> seen;
    ToolResult r = removeBlankLines(in, [&](size_t i) { seen.push_back(i); });
    EXPECT_EQ(r.lines, (Lines{"A", kFullWidthBlank, " B "}));
    EXPECT_EQ(r.removed, 4);
    EXPECT_TRUE(r.changed);
    // Scanned from the last line to the first.
    ASSERT_EQ(seen.size(), in.size());
    EXPECT_EQ(seen.front(), in.size() - 1);
    EXPECT_EQ(seen.back(), 0u);

    ToolResult none = removeBlankLines({"A", "B"});
    EXPECT_EQ(none.removed, 0);
    EXPECT_FALSE(none.changed);
}

TEST(ListTools, DuplicatesKeepTheFirstOccurrenceAndNameEveryRemovedLine)
{
    struct Case {
        Lines in, out;
        int removed;
        std::string removedText;
    };
    const Case cases[] = {
        {{"Li", "Wang", "Li", "Li", "Zhao"}, {"Li", "Wang", "Zhao"}, 2, " Li Li"},
        {{"Li", "li", "Li ", " Li"}, {"Li", "li", "Li ", " Li"}, 0, ""},  // case and blanks count
        {{"", "", "A", ""}, {"", "A"}, 2, "  "},
        {{G("王五"), G("王五"), G("王 五")}, {G("王五"), G("王 五")}, 1, " " + G("王五")},
        {{}, {}, 0, ""},
    };
    for (const auto &c : cases) {
        ToolResult r = removeDuplicateLines(c.in);
        EXPECT_EQ(r.lines, c.out);
        EXPECT_EQ(r.removed, c.removed);
        EXPECT_EQ(r.removedText, c.removedText);
        EXPECT_EQ(r.changed, c.removed > 0);
    }
}

TEST(ListTools, SpacesAndTwoCharacterNames)
{
    ToolResult spaces = removeAllSpaces({" A B\t", kFullWidthBlank + "C", "D"});
    EXPECT_EQ(spaces.lines, (Lines{"AB", kFullWidthBlank + "C", "D"}));
    EXPECT_TRUE(spaces.changed);
    EXPECT_FALSE(removeAllSpaces({"AB", G("张三")}).changed);

    ToolResult widened = widenTwoCharNames({G("张三"), "ABCD", G("王小明"), "ABC", "ABCDE"});
    EXPECT_EQ(widened.lines, (Lines{G("张") + "  " + G("三"), "AB  CD", G("王小明"), "ABC", "ABCDE"}));
    EXPECT_TRUE(widened.changed);
    EXPECT_FALSE(widenTwoCharNames({"ABC"}).changed);
}

TEST(ListTools, SaveRefusesAnEmptyListAndWritesCrLf)
{
    test::TempProgramDir dir;
    dir.write("data.txt", "old\r\n");
    for (const Lines &empty : {Lines{}, Lines{" ", "\t", ""}}) {
        Status s = saveParticipantList(dir.path(), empty);
        EXPECT_EQ(s.code(), ErrorCode::BadInput);
        EXPECT_EQ(s.error().message, G("抽奖名单为空，不能保存！"));
    }
    EXPECT_EQ(dir.read("data.txt"), "old\r\n");
    ASSERT_TRUE(saveParticipantList(dir.path(), {"A", "", G("张三")}).ok());
    EXPECT_EQ(dir.read("data.txt"), "A\r\n\r\n" + G("张三") + "\r\n");
}

TEST(ListTools, LinesTheLoaderWouldRefuseAreRefusedBeforeWriting)
{
    // 東 is 0x96 0x7C: its second byte is no "|".
    ASSERT_EQ(G("東"), std::string("\x96\x7C"));
    struct Case {
        std::string line;
        bool fits;
    } const cases[] = {
        {G("東方明"), true},        {G("陈東|销售"), false}, {"A|B", false}, {"|", false},
        {"Li\x81", false},           {"Li\x81\x40", true},   {"", true},    {G("　"), true},
        {std::string(300, 'x'), true},
    };
    Lines lines;
    std::vector<size_t> expected;
    for (const Case &c : cases) {
        if (!c.fits)
            expected.push_back(lines.size());
        lines.push_back(c.line);
    }
    EXPECT_EQ(unfitListLines(lines), expected);

    test::TempProgramDir dir;
    dir.write("data.txt", "old\r\n");
    Status s = saveParticipantList(dir.path(), lines);
    ASSERT_EQ(s.code(), ErrorCode::BadInput);
    EXPECT_NE(s.error().message.find(G("第2、3、4、5行")), std::string::npos) << s.error().message;
    EXPECT_NE(s.error().message.find(G("陈東|销售")), std::string::npos);
    EXPECT_EQ(dir.read("data.txt"), "old\r\n");

    // The import's separator is refused alike, on whole characters.
    EXPECT_TRUE(checkSeparator("  ").empty());
    EXPECT_TRUE(checkSeparator(G("東")).empty());
    EXPECT_FALSE(checkSeparator("|").empty());
    EXPECT_FALSE(checkSeparator(" | ").empty());
}

TEST(ListTools, LineNumbersAreNamedUpToTwenty)
{
    EXPECT_EQ(lineNumbersText({0, 6}), G("第1、7行"));
    std::vector<size_t> many(25);
    for (size_t i = 0; i < many.size(); ++i)
        many[i] = i;
    EXPECT_EQ(lineNumbersText(many), G("第1、2、3、4、5、6、7、8、9、10、11、12、13、14、15、16、17、18、19、20等25行"));
}

TEST(ListTools, ImportsHandOverTheCharactersGbkCannotStore)
{
    // 䶮, 𠮷, • and an emoji: two names must never become one.
    const std::string text = "刘䶮\r\n刘𠮷\r\n张•三\r\n王😀\r\n李四\r\n";
    DecodedText d = decodeListText(text);
    ASSERT_TRUE(d.wasUnicode);
    EXPECT_EQ(d.unencodable, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(d.unencodableText, (Lines{"刘䶮", "刘𠮷", "张•三", "王😀"}));
    EXPECT_EQ(d.lines[4], G("李四"));

    Sheet sheet{{{"姓名", "部门"}, {"刘䶮", "研发"}, {"李四", "财务部"}}};
    CellBlock block;
    block.endRow = 3;
    block.endColumn = 2;
    std::vector<int> rows;
    std::vector<OriginalLine> original;
    const Lines lines = composeCellBlock(sheet, block, &rows, {}, &original);
    ASSERT_EQ(lines.size(), size_t(2));
    EXPECT_EQ(rows, std::vector<int>{2});
    ASSERT_EQ(original.size(), size_t(1));
    EXPECT_EQ(original[0].line, size_t(0));
    // Padded as the GBK line is: the column is as wide as its widest cell.
    EXPECT_EQ(original[0].text, "刘䶮   研发  ");
    EXPECT_EQ(lines[1], G("李四  财务部"));
}

TEST(ListTools, ShuffleKeepsEveryLine)
{
    MtRandom random(7);
    Lines in;
    for (int i = 0; i < 200; ++i)
        in.push_back(std::to_string(i % 50));
    Lines out = shuffleLines(in, random);
    EXPECT_NE(out, in);
    std::sort(in.begin(), in.end());
    std::sort(out.begin(), out.end());
    EXPECT_EQ(out, in);
}

Lines numbers(const NumberRun &run)
{
    auto r = generateNumbers(run);
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().message);
    return r.ok() ? *r : Lines{};
}

TEST(NumberGenerator, WidthComesFromTheEndFieldAsTyped)
{
    NumberRun run;
    run.startText = "1";
    run.endText = "12";
    Lines twelve = numbers(run);
    ASSERT_EQ(twelve.size(), 12u);
    EXPECT_EQ(twelve.front(), "01");
    EXPECT_EQ(twelve.back(), "12");

    run.endText = "100";
    run.prefix = "A";
    run.suffix = "-1";
    Lines hundred = numbers(run);
    EXPECT_EQ(hundred.front(), "A001-1");
    EXPECT_EQ(hundred.back(), "A100-1");

    struct Case {
        std::string start, end;
        bool pad;
        Lines out;
    };
    const Case cases[] = {
        {"3", "5", true, {"3", "4", "5"}},                   // width 1 is never padded
        {"499", "0500", true, {"0499", "0500"}},             // 0500 gives width 4
        {"8", "10", false, {"8", "9", "10"}},                // padding off
        {"5", "3", true, {}},                                // end below start
        {"1", "00000000001", true, {"1"}},                   // width 11 is above 10: plain
    };
    for (const auto &c : cases) {
        NumberRun r;
        r.startText = c.start;
        r.endText = c.end;
        r.padZeros = c.pad;
        EXPECT_EQ(numbers(r), c.out) << c.start << ".." << c.end;
    }
}

TEST(NumberGenerator, Exclusions)
{
    NumberRun run;
    run.endText = "99";
    run.padZeros = false;
    run.skipFours = true;
    Lines noFour = numbers(run);
    for (const char *gone : {"4", "14", "40", "45", "49", "94"})
        EXPECT_EQ(std::count(noFour.begin(), noFour.end(), gone), 0) << gone;
    EXPECT_EQ(noFour.size(), 99u - 19u);

    run.skipFours = false;
    run.skipLastDigit[4] = true;
    Lines noTail = numbers(run);
    EXPECT_EQ(std::count(noTail.begin(), noTail.end(), "44"), 0);
    EXPECT_EQ(std::count(noTail.begin(), noTail.end(), "45"), 1);
    EXPECT_EQ(noTail.size(), 99u - 10u);
}

TEST(NumberGenerator, RefusesWhatCannotBeANumber)
{
    for (auto [start, end] : {std::pair{"", "99"}, {"1", " "}, {"1", "9x"}, {"1", "1234567890123456789"},
                              {"1", "99999999"}}) {
        NumberRun run;
        run.startText = start;
        run.endText = end;
        auto r = generateNumbers(run);
        ASSERT_FALSE(r.ok()) << start << ".." << end;
        EXPECT_EQ(r.code(), ErrorCode::BadInput);
        EXPECT_FALSE(r.error().message.empty());
    }
}

PadOptions pad(PadWay way, const char *text = "", int position = 0, int count = 0)
{
    PadOptions o;
    o.way = way;
    o.text = text;
    o.position = position;
    o.count = count;
    return o;
}

TEST(Padding, SixWays)
{
    struct Case {
        PadWay way;
        const char *text;
        int position, count;
        Lines in, out;
    };
    const std::string li = G("李"), si = G("四");
    const Case cases[] = {
        {PadWay::End, "", 0, 0, {"ABCD", "ABCDEF", "AB"}, {"ABCD  ", "ABCDEF", "AB    "}},
        {PadWay::Front, "", 0, 0, {"ABCD", "ABCDEF"}, {"  ABCD", "ABCDEF"}},
        {PadWay::Centre, "", 0, 0, {"AB", "ABCDEFG"}, {"  AB   ", "ABCDEFG"}},
        {PadWay::Middle, "", 0, 0, {li + " " + si, "ABCDEFG", "NOBLANK"}, {li + "   " + si, "ABCDEFG", "NOBLANK"}},
        {PadWay::Middle, "", 0, 0, {"AB", "ABCDEFG"}, {"AB", "ABCDEFG"}},
        {PadWay::BeforeText, "-", 0, 0, {"AB-1", "ABCD-1", "xyz"}, {"AB  -1", "ABCD-1", "xyz"}},
        {PadWay::BeforeText, "", 0, 0, {"AB", "ABCD"}, {"AB", "ABCD"}},
        {PadWay::FromPosition, "", 2, 3, {"ABC", "ABCDE"}, {"A   BC", "ABCDE"}},
        {PadWay::FromPosition, "", 9, 1, {"AB", "ABCD"}, {"AB ", "ABCD"}},
        // Tabs become blanks and the ends are trimmed even where nothing is padded.
        {PadWay::End, "", 0, 0, {"\tA\tB ", "A  B"}, {"A B ", "A  B"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(padLines(c.in, pad(c.way, c.text, c.position, c.count)).lines, c.out) << static_cast<int>(c.way);
}

TEST(Padding, NeverMoreThanThirtyFiveBlanksAndReportsWhetherItPadded)
{
    const std::string longest(41, 'x');
    PadResult r = padLines({"A", longest}, pad(PadWay::Front));
    EXPECT_EQ(r.lines[0], std::string(35, ' ') + "A");
    EXPECT_TRUE(r.padded);

    PadResult centre = padLines({"A", std::string(100, 'x')}, pad(PadWay::Centre));
    EXPECT_EQ(centre.lines[0].size(), 1u + 35 + 35);

    PadResult from = padLines({"A", "ABC"}, pad(PadWay::FromPosition, "", 1, 90));
    EXPECT_EQ(from.lines[0], std::string(35, ' ') + "A");

    EXPECT_FALSE(padLines({" AB", "AB"}, pad(PadWay::End)).padded);  // trimmed only
    EXPECT_FALSE(padLines({"AB", "ABCD"}, pad(PadWay::BeforeText, "Z")).padded);
    EXPECT_TRUE(padLines({}, pad(PadWay::End)).lines.empty());
}

}  // namespace
}  // namespace tessaly

namespace tessaly {
namespace {

TEST(TextSearch, DirectionCaseAndWholeWord)
{
    const std::u16string text = u"Li li LiWang 李Li";
    struct Case {
        const char16_t *what;
        size_t selStart, selEnd;
        SearchOptions options;
        std::optional<size_t> at;
    };
    const Case cases[] = {
        {u"li", 0, 0, {true, false, false}, 0},    // no match case: Li matches
        {u"li", 0, 0, {true, true, false}, 3},     // match case
        {u"Li", 0, 2, {true, true, false}, 6},     // from the end of the selection
        {u"Li", 0, 2, {true, true, true}, 14},     // whole word: LiWang is no match, 李 delimits
        {u"Li", 14, 16, {false, true, false}, 6},  // upward from the start of the selection
        {u"Li", 1, 1, {false, true, false}, std::nullopt},
        {u"Wang", 0, 0, {true, false, true}, std::nullopt},
        {u"", 0, 0, {true, false, false}, std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(findText(text, c.what, c.selStart, c.selEnd, c.options), c.at) << c.selStart << "-" << c.selEnd;
}

}  // namespace
}  // namespace tessaly
