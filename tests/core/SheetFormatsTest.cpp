#include "FormatFixtures.h"
#include "TempProgramDir.h"

#include "core/participants/BiffRecords.h"
#include "core/participants/ListImport.h"
#include "core/text/Gbk.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tessaly {
namespace {

using test::G;
using test::TempProgramDir;

ImportControl withReader()
{
    ImportControl control;
    control.xlsReader = TESSALY_XLS_READER;
    return control;
}

TEST(SheetFormats, EveryCellShowsAsTheSpreadsheetShowsItInEveryFileFormat)
{
    TempProgramDir dir;
    const auto files = test::writeFormatFixtures(dir.path());
    ASSERT_EQ(files.size(), 4u) << "the fixtures could not be written (python3-xlwt missing?)";
    const auto &cells = test::formatCells();
    for (const auto &[kind, path] : files) {
        auto read = readSpreadsheet(path, withReader());
        ASSERT_TRUE(read.ok()) << kind << ": " << read.error().message;
        ASSERT_EQ(read->sheet.rows.size(), cells.size() + 1) << kind;
        for (size_t i = 0; i < cells.size(); ++i) {
            const auto &row = read->sheet.rows[i + 1];
            EXPECT_EQ(row.empty() ? std::string() : row[0], cells[i].shown)
                << kind << ": " << cells[i].value << " as " << cells[i].code;
        }
    }
}

TEST(SheetFormats, FormatCodesOfTheFormatsThatAreNotInTheFixtures)
{
    struct Case {
        double value;
        const char *code, *shown;
    };
    const Case cases[] = {
        {-1234.5, "#,##0.00", "-1,234.50"},
        {0.5, "#.00", ".50"},
        {5, "#.##", "5."},
        {1.5, "0.0#", "1.5"},
        {7, "000-0000", "000-0007"},
        {12345678, "000-0000", "1234-5678"},
        {999.999, "0.00", "1000.00"},
        {1234, "[$¥-804]#,##0", "¥1,234"},
        {1234, "[Red]0", "1234"},
        {0.00001234, "General", "0.00001234"},
        {1e-20, "", "0.00000000000000000001"},
        {12, "General\"人\"", "12人"},
        {43895, "[$-804]aaaa", "星期四"},
        {43895, "ddd, mmmm d", "Thu, March 5"},
        {43900, "yyyy/m/d aaaa", "2020/3/10 星期二"},
        {-3, "yyyy/m/d", "-3"},
        {0.25, "上午/下午h\"时\"mm\"分\"", "上午6时00分"},
        {1462, "yyyy-mm-dd", "1904-01-01"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatCellNumber(c.value, c.code), c.shown) << c.code;
    EXPECT_EQ(formatCellNumber(0, "yyyy-mm-dd", true), "1904-01-01");
    EXPECT_EQ(formatCellText("A", "0;-0;0;\"<\"@\">\""), "<A>");

    double serial = 0;
    ASSERT_TRUE(isoDateToSerial("1900-01-01", serial));
    EXPECT_EQ(serial, 1);
    ASSERT_TRUE(isoDateToSerial("2025-03-05T18:00:00Z", serial));
    EXPECT_EQ(serial, 45721.75);
    EXPECT_FALSE(isoDateToSerial("2025", serial));
}

TEST(SheetFormats, AnIsoDateCellWithoutADateFormatShowsTheDate)
{
    TempProgramDir dir;
    const auto path = dir / "d.xlsx";
    lxw_workbook *book = workbook_new(path.c_str());
    lxw_worksheet *sheet = workbook_add_worksheet(book, "Sheet1");
    worksheet_write_number(sheet, 0, 0, 45721, nullptr);
    worksheet_write_number(sheet, 0, 1, 45721.5, nullptr);
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
    ASSERT_TRUE(test::rewriteXlsx(path, false, {{"A1", "2025-03-05"}, {"B1", "2025-03-05T12:30:00"}}));
    auto read = readSpreadsheet(path);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read->sheet.rows[0], (std::vector<std::string>{"2025/3/5", "2025/3/5 12:30"}));
}

// A sheet that gives no lines must not replace the list: the import is refused
// with a message, whatever made it empty.
TEST(SheetFormats, AnImportThatReadsNothingIsRefused)
{
    TempProgramDir dir;
    const auto files = test::writeFormatFixtures(dir.path());
    ASSERT_EQ(files.size(), 4u);
    dir.write("empty.txt", "\r\n  \r\n");
    dir.write("header-only.csv", "姓名,号码\r\n");
    struct Case {
        std::filesystem::path file;
        ImportOptions options;
    };
    const Case cases[] = {
        {dir / "empty.txt", {}},
        {dir / "header-only.csv", {ImportOptions::Kind::Spreadsheet, {2, 1, 100, 2, " "}}},
        {files[1].second, {ImportOptions::Kind::Spreadsheet, {2, 3, 100, 5, " "}}},    // columns nobody filled
        {files[2].second, {ImportOptions::Kind::Spreadsheet, {200, 1, 300, 1, " "}}},  // rows below the sheet
        {files[0].second, {ImportOptions::Kind::Spreadsheet, {11, 1, 5, 1, " "}}},     // end above start
    };
    for (const auto &c : cases) {
        auto r = importListFile(c.file, c.options, withReader());
        ASSERT_FALSE(r.ok()) << c.file;
        EXPECT_EQ(r.code(), ErrorCode::BadInput) << c.file;
        EXPECT_NE(r.error().message.find(G("名单没有改动")), std::string::npos) << c.file;
    }
    // Both element spellings give the same lines.
    ImportOptions block{ImportOptions::Kind::Spreadsheet, {2, 1, 100, 1, " "}};
    auto plain = importListFile(files[0].second, block);
    auto prefixed = importListFile(files[1].second, block);
    ASSERT_TRUE(plain.ok() && prefixed.ok());
    EXPECT_EQ(plain->lines, prefixed->lines);
}

TEST(SheetFormats, ACancelledImportStopsAndChangesNothing)
{
    TempProgramDir dir;
    const auto files = test::writeFormatFixtures(dir.path());
    ASSERT_EQ(files.size(), 4u);
    std::atomic<bool> cancel{true};
    ImportControl control = withReader();
    control.cancel = &cancel;
    for (const auto &[kind, path] : files) {
        auto r = importListFile(path, {ImportOptions::Kind::Spreadsheet, {2, 1, 100, 1, " "}}, control);
        ASSERT_FALSE(r.ok()) << kind;
        EXPECT_EQ(r.code(), ErrorCode::Cancelled) << kind;
    }
    // Without its reader program an .xls file is refused with a word on what is missing.
    ImportControl missing;
    missing.xlsReader = dir / "nowhere" / kXlsReaderProgram;
    auto r = importListFile(files[2].second, {ImportOptions::Kind::Spreadsheet, {2, 1, 100, 1, " "}}, missing);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().message.find(kXlsReaderProgram), std::string::npos);
}

TEST(SheetFormats, TheRecordReaderFindsFormatsAndValuesOfAnXlsFile)
{
    TempProgramDir dir;
    ASSERT_TRUE(test::writeFormatXls(dir / "f.xls"));
    std::ifstream in(dir / "f.xls", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto book = readBiffWorkbook(bytes);
    ASSERT_TRUE(book.has_value());
    const auto &cells = test::formatCells();
    size_t found = 0;
    for (const BiffCell &cell : book->cells) {
        if (cell.row == 0 || cell.row > cells.size())
            continue;
        const auto &want = cells[cell.row - 1];
        ++found;
        EXPECT_EQ(cell.kind == BiffCell::Kind::Text, want.kind == 's') << cell.row;
        if (want.kind != 's' && want.code != "#14" && !want.code.empty()) {
            EXPECT_EQ(book->codeOf(cell), want.code) << cell.row;
        }
        if (want.kind != 's') {
            EXPECT_DOUBLE_EQ(cell.value, std::strtod(want.value.c_str(), nullptr)) << cell.row;
        }
    }
    EXPECT_EQ(found, cells.size());
    // Not a workbook, a cut one, or one of another age: nothing, and no crash.
    EXPECT_FALSE(readBiffWorkbook("no compound file").has_value());
    EXPECT_FALSE(readBiffWorkbook(std::string_view(bytes).substr(0, 600)).has_value());
}

}  // namespace
}  // namespace tessaly
