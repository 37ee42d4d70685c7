#include "SheetFixtures.h"
#include "TempProgramDir.h"

#include "core/participants/ListImport.h"

#include <gtest/gtest.h>
#include <xlsxwriter.h>

namespace tessaly {
namespace {

using test::G;
using test::TempProgramDir;
using Lines = std::vector<std::string>;

TEST(ListImport, TextInGbkOrUtf8BecomesGbkLines)
{
    const std::string gbk = G("张三") + "\r\n" + G("李四") + "\n";
    struct Case {
        std::string bytes;
        bool unicode;
    };
    const Case cases[] = {
        {gbk, false},
        {"张三\r\n李四\r\n", true},
        {"\xEF\xBB\xBF张三\n李四", true},
        {std::string("\xFF\xFE\x20\x5F\x09\x4E\x0A\x00\x4E\x67\xDB\x56", 12), true},  // UTF-16 LE
    };
    for (const auto &c : cases) {
        DecodedText d = decodeListText(c.bytes);
        EXPECT_EQ(d.lines, (Lines{G("张三"), G("李四")}));
        EXPECT_EQ(d.wasUnicode, c.unicode);
        EXPECT_TRUE(d.unencodable.empty());
    }
    // Bytes that are not valid GBK still come through unchanged.
    EXPECT_EQ(decodeListText("A\x81\r\nB").lines, (Lines{"A\x81", "B"}));
}

TEST(ListImport, NamesTheLinesGbkCannotStore)
{
    DecodedText d = decodeListText("张三\n😀李四\n王?五\n𠮷野\n");
    EXPECT_EQ(d.unencodable, (std::vector<int>{2, 4}));
    EXPECT_EQ(d.lines[2], G("王?五"));  // a question mark typed by the operator is no loss

    TempProgramDir dir;
    dir.write("u.txt", "A\n😀\n");
    auto imported = importListFile(dir / "u.txt", {});
    ASSERT_TRUE(imported.ok());
    EXPECT_EQ(imported->unencodable, (std::vector<int>{2}));
    EXPECT_NE(imported->note.find(G("第2行")), std::string::npos);
}

TEST(ListImport, FilesThatCannotBeReadGiveAMessage)
{
    TempProgramDir dir;
    dir.write("binary.dat", std::string("\x00\x01\x02garbage", 10));
    dir.write("broken.xlsx", "PK\x03\x04 this is no zip");
    dir.write("broken.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + "truncated");
    ImportOptions sheet{ImportOptions::Kind::Spreadsheet, {2, 1, 100, 3, " "}};
    for (const char *name : {"missing.xlsx", "binary.dat", "broken.xlsx", "broken.xls"}) {
        ImportControl control;
        control.xlsReader = TESSALY_XLS_READER;
        auto r = importListFile(dir / name, sheet, control);
        ASSERT_FALSE(r.ok()) << name;
        EXPECT_FALSE(r.error().message.empty());
    }
    EXPECT_FALSE(importListFile(dir / "binary.dat", {}).ok());
    EXPECT_FALSE(importListFile(dir.path(), {}).ok());  // a folder
}

TEST(ListImport, CellBlockPadsEachColumnAndJoinsWithTheSeparator)
{
    Sheet sheet;
    sheet.rows.push_back({"H1", "H2", "H3"});
    for (int r = 2; r <= 20; ++r)
        sheet.rows.push_back({"a" + std::to_string(r), std::string(static_cast<size_t>(r % 3 + 1), 'b'), " c\t"});
    struct Case {
        int s, a, e, b;
        const char *separator;
        size_t count;
        const char *first;
    };
    const Case cases[] = {
        {2, 2, 11, 3, "|", 10, "bbb|c"},  // rows 2 to 11, columns 2 to 3
        {2, 2, 11, 3, "", 10, "bbbc"},    // empty separator: nothing between
        {5, 1, 4, 3, " ", 0, ""},          // end row before start row: nothing
        {19, 1, 99, 1, " ", 2, "a19"},     // end row past the sheet: to its end
        {2, 4, 3, 5, " ", 2, " "},         // columns past the row: empty cells
    };
    for (const auto &c : cases) {
        Lines lines = composeCellBlock(sheet, {c.s, c.a, c.e, c.b, c.separator});
        ASSERT_EQ(lines.size(), c.count) << c.s << "-" << c.e;
        if (c.count) {
            EXPECT_EQ(lines[0], c.first);
        }
    }
    Lines padded = composeCellBlock(sheet, {2, 2, 4, 3, "|"});
    EXPECT_EQ(padded, (Lines{"bbb|c", "b  |c", "bb |c"}));

    Sheet wide;
    wide.rows = {{"h"}, {"x"}, {std::string(60, 'y')}};
    EXPECT_EQ(composeCellBlock(wide, {2, 1, 3, 1, ""})[0], "x" + std::string(35, ' '));
}

TEST(ListImport, DialogChecksInOrder)
{
    struct Case {
        std::string s, a, e, b;
        bool file;
        const char *message;
        BlockField focus;
    };
    const Case cases[] = {
        {"2", "1", "", "3", true, "开始行列和结束行列不能为空。", BlockField::None},
        {"2", "1", "9", "3", false, "请先选择Excel文件。", BlockField::None},
        {"2", "1", "9", "51", true, "列是竖的。结束列不能大于50，请重新输入。", BlockField::EndColumn},
        {"2", "4", "9", "3", true, "开始列不能大于结束列，请重新输入。", BlockField::StartColumn},
        {"1", "1", "9", "3", true, "开始行要大于1，请重新输入。", BlockField::StartRow},
        {"2", "0", "9", "3", true, "开始列要大于0，请重新输入。", BlockField::StartColumn},
        {"2", "1", "1", "3", true, "", BlockField::None},  // the end row is not compared
    };
    for (const auto &c : cases) {
        CellBlock block;
        BlockCheck check = checkCellBlock(c.s, c.a, c.e, c.b, c.file, &block);
        EXPECT_EQ(check.message, G(c.message));
        EXPECT_EQ(check.focus, c.focus);
    }
}

TEST(ListImport, NumbersAndDatesAsASpreadsheetShowsThem)
{
    struct Case {
        double value;
        const char *shown;
    };
    const Case numbers[] = {{12, "12"}, {12.5, "12.5"}, {123456789012, "123456789012"}, {-3, "-3"},
                            {0.1 + 0.2, "0.3"}, {0, "0"}, {1e20, "100000000000000000000"}};
    for (const auto &c : numbers)
        EXPECT_EQ(formatGeneralNumber(c.value), c.shown);

    struct DateCase {
        double serial;
        const char *code, *shown;
    };
    const DateCase dates[] = {
        {43895, "yyyy/m/d", "2020/3/5"},
        {43895, "yyyy-mm-dd", "2020-03-05"},
        {43895.75, "yyyy/m/d h:mm", "2020/3/5 18:00"},
        {43895, "yyyy\"年\"m\"月\"d\"日\"", "2020年3月5日"},
        {0.5, "h:mm:ss", "12:00:00"},
        {0.75, "h:mm AM/PM", "6:00 PM"},
        {1, "yyyy-mm-dd", "1900-01-01"},
        {61, "yyyy-mm-dd", "1900-03-01"},
        {43895, "[$-804]d-mmm-yy;@", "5-Mar-20"},
    };
    for (const auto &c : dates)
        EXPECT_EQ(formatDateSerial(c.serial, c.code), c.shown) << c.code;
}

TEST(ListImport, ReadsAnXlsxFileOnItsFirstSheetWhateverItsName)
{
    TempProgramDir dir;
    const auto path = dir / "hr.xlsx";
    lxw_workbook *book = workbook_new(path.c_str());
    lxw_worksheet *sheet = workbook_add_worksheet(book, "员工名单");
    lxw_format *date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format *builtInDate = workbook_add_format(book);
    format_set_num_format_index(builtInDate, 14);
    worksheet_write_string(sheet, 0, 0, "姓名", nullptr);
    worksheet_write_string(sheet, 1, 0, "张三", nullptr);
    worksheet_write_number(sheet, 1, 1, 12, nullptr);
    worksheet_write_number(sheet, 1, 2, 43895, date);
    worksheet_write_string(sheet, 2, 0, "  李四 ", nullptr);
    worksheet_write_number(sheet, 2, 1, 123456789012.0, nullptr);
    worksheet_write_number(sheet, 2, 2, 43896, builtInDate);
    worksheet_write_string(sheet, 4, 0, "王五", nullptr);  // row 4 stays empty
    worksheet_write_number(sheet, 4, 1, 3.25, nullptr);
    worksheet_write_boolean(sheet, 4, 2, 1, nullptr);
    workbook_add_worksheet(book, "Sheet1");
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);

    auto read = readSpreadsheet(path);
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(read->format, SheetFormat::Xlsx);
    EXPECT_EQ(read->sheetName, "员工名单");
    auto imported = importListFile(path, {ImportOptions::Kind::Spreadsheet, {2, 1, 10, 3, "|"}});
    ASSERT_TRUE(imported.ok());
    EXPECT_EQ(imported->lines, (Lines{G("张三") + "|12          |2020-03-05", G("李四") + "|123456789012|2020/3/6  ",
                                      "    |            |          ", G("王五") + "|3.25        |TRUE      "}));
}

TEST(ListImport, ReadsAnXlsFile)
{
    ImportControl control;
    control.xlsReader = TESSALY_XLS_READER;
    auto read = readSpreadsheet(TESSALY_TEST_DATA "/list-import.xls", control);
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(read->format, SheetFormat::Xls);
    EXPECT_EQ(read->sheetName, "员工名单");
    auto imported =
        importListFile(TESSALY_TEST_DATA "/list-import.xls", {ImportOptions::Kind::Spreadsheet, {2, 1, 6, 4, ","}}, control);
    ASSERT_TRUE(imported.ok());
    EXPECT_EQ(imported->lines, (Lines{G("张三") + "   ,12          ," + G("销售部  ") + ",2020-03-05",
                                      G("李四") + "   ,123456789012,        ,2019-12-31",
                                      "Wang Wu,3.5         ," + G("研发部  ") + ",          ",
                                      "       ,            ," + G("空行之后") + ",          ",
                                      G("赵六") + "   ,7           ," + G("财务    ") + ",2021-01-01"}));
}

TEST(ListImport, ReadsCsvWithQuotesInEitherEncoding)
{
    TempProgramDir dir;
    dir.write("utf8.csv", "\xEF\xBB\xBF姓名,号码\r\n张三,\"1,2\"\r\n\"李\"\"四\",\"A\nB\"\r\n");
    dir.write("gbk.csv", G("姓名,号码\r\n张三,\"1,2\"\r\n\"李\"\"四\",\"A\nB\"\r\n"));
    dir.write("tabs.csv", "h1\th2\nx\ty\n");
    for (const char *name : {"utf8.csv", "gbk.csv"}) {
        auto r = importListFile(dir / name, {ImportOptions::Kind::Spreadsheet, {2, 1, 9, 2, "|"}});
        ASSERT_TRUE(r.ok()) << name;
        EXPECT_EQ(r->format, SheetFormat::Csv);
        EXPECT_EQ(r->lines, (Lines{G("张三") + " |1,2", G("李\"四") + "|A B"})) << name;  // a break inside a cell
    }
    auto tabs = importListFile(dir / "tabs.csv", {ImportOptions::Kind::Spreadsheet, {2, 1, 9, 2, "-"}});
    ASSERT_TRUE(tabs.ok());
    EXPECT_EQ(tabs->lines, (Lines{"x-y"}));
}

TEST(ListImport, ManyRowsOfAWrittenWorkbook)
{
    TempProgramDir dir;
    ASSERT_TRUE(test::writeNamesXlsx(dir / "many.xlsx", 500));
    auto r = importListFile(dir / "many.xlsx", {ImportOptions::Kind::Spreadsheet, {2, 1, 1000, 3, " "}});
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r->lines.size(), 500u);
    EXPECT_EQ(r->lines[499], G("员工500") + " 100500 " + G("部门19"));
}

}  // namespace
}  // namespace tessaly
