// The results as the office gets them: the text list, CSV and the
// spreadsheet read back, names taken from entry lines, and the photos copied
// into one folder per award without ever leaving the chosen folder.
#include "DrawFixtures.h"

#include "core/text/Lines.h"
#include "core/winners/ResultsExport.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <zip.h>

#include <map>

namespace tessaly {
namespace {

using test::DrawFolder;
using test::G;
using test::TempProgramDir;
using Lines = std::vector<std::string>;

// A finished folder written as the draw writes it: two batches of 一等奖, one
// of 二等奖, a winner given up later, and an older draw before a restart.
void writeEvent(const TempProgramDir &d)
{
    d.write("set.dat", "[Option]\r\nLucks=2\r\n[Grade]\r\n0=" + G("一等奖|3|2|2+1|电视|") + "\r\n1=" +
                           G("二等奖|2|1|2|\"音箱, 大\"|") + "\r\n");
    d.write("ARecord.dat", "0|A*|001  " + G("张三") + "  " + G("销售部") + "\r\n0|B*|002  " + G("李四") +
                               "\r\n\r\n0|=C|=cmd\r\n\r\n1|D|0042 Wang Wu\r\n\r\n");
    d.write("log.txt", "\r\n<2026/12/8 18:00:00> \r\n[" + G("一等奖") + "] 001  " + G("张三") + "  \r\n" +
                           "\r\n<2026/12/8 18:10:00>  " + G("重新开始抽奖前的抽奖结果") + "\r\n-----\r\n" +
                           "\r\n<2026/12/8 19:00:00> \r\n[" + G("一等奖") + "] 001  " + G("张三") + "  " +
                           G("销售部") + "  002  " + G("李四") + "  \r\n" +
                           "\r\n<2026/12/8 19:05:03> \r\n[" + G("一等奖") + "] =cmd  \r\n" +
                           "\r\n<2026/12/8 19:20:30> \r\n[" + G("二等奖") + "] Gone  0042 Wang Wu  \r\n");
}

// The cells of the first sheet of an .xlsx file, row by row.
std::vector<Lines> readXlsx(const std::filesystem::path &file)
{
    int err = 0;
    zip_t *zip = zip_open(file.c_str(), ZIP_RDONLY, &err);
    EXPECT_NE(zip, nullptr);
    if (!zip)
        return {};
    auto entry = [zip](const char *name) {
        std::string data;
        if (zip_file_t *f = zip_fopen(zip, name, 0)) {
            char buffer[4096];
            for (zip_int64_t n; (n = zip_fread(f, buffer, sizeof buffer)) > 0;)
                data.append(buffer, static_cast<size_t>(n));
            zip_fclose(f);
        }
        return data;
    };
    const std::string sharedXml = entry("xl/sharedStrings.xml");
    const std::string sheetXml = entry("xl/worksheets/sheet1.xml");
    zip_close(zip);

    pugi::xml_document shared, sheet;
    shared.load_string(sharedXml.c_str());
    sheet.load_string(sheetXml.c_str());
    Lines strings;
    for (auto si : shared.child("sst").children("si"))
        strings.push_back(si.child("t").text().get());
    std::vector<Lines> rows;
    for (auto row : sheet.child("worksheet").child("sheetData").children("row")) {
        Lines cells;
        for (auto c : row.children("c")) {
            const std::string v = c.child("v").text().get();
            cells.push_back(std::string(c.attribute("t").value()) == "s" ? strings.at(std::stoul(v)) : v);
        }
        rows.push_back(cells);
    }
    return rows;
}

TEST(ResultsExport, RowsCarryBatchEntryNameAndTheTimeOfTheirStop)
{
    TempProgramDir d;
    writeEvent(d);
    auto rows = readWinnerRows(d.path());
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 4u);
    struct Expect {
        std::string award;
        int batch;
        std::string name, time;
    };
    const Expect expected[] = {
        {"一等奖", 1, "张三", "2026/12/8 19:00:00"},  // the older draw's stop of 张三 is not taken
        {"一等奖", 1, "李四", "2026/12/8 19:00:00"},
        {"一等奖", 2, "=cmd", "2026/12/8 19:05:03"},
        {"二等奖", 1, "Wang Wu", "2026/12/8 19:20:30"},  // "Gone" was given up: the stop is still found
    };
    for (size_t i = 0; i < 4; ++i) {
        const WinnerRow &r = (*rows)[i];
        EXPECT_EQ(r.awardName, G(expected[i].award)) << i;
        EXPECT_EQ(r.batch, expected[i].batch) << i;
        EXPECT_EQ(r.name, G(expected[i].name)) << i;
        EXPECT_EQ(r.time, expected[i].time) << i;
    }
    EXPECT_EQ((*rows)[0].entry, "001  " + G("张三") + "  " + G("销售部"));
    EXPECT_EQ((*rows)[3].prize, G("\"音箱, 大\""));
}

TEST(ResultsExport, TextCsvAndSpreadsheetHoldTheSameWinners)
{
    TempProgramDir d;
    writeEvent(d);
    ASSERT_TRUE(exportResults(d.path(), ExportFormat::Text, d / "out.txt"));
    EXPECT_EQ(d.read("out.txt"), G("一等奖3名(电视)\r\n001  张三  销售部\r\n002  李四\r\n=cmd\r\n  \r\n") +
                                     G("二等奖1名(\"音箱, 大\")\r\n0042 Wang Wu\r\n  \r\n"));

    ASSERT_TRUE(exportResults(d.path(), ExportFormat::Csv, d / "out.csv"));
    const std::string csv = d.read("out.csv");
    EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(splitLines(csv.substr(3)),
              (Lines{"奖项,奖品,批次,抽奖条目,姓名,抽取时间", "一等奖,电视,1,001  张三  销售部,张三,2026/12/8 19:00:00",
                     "一等奖,电视,1,002  李四,李四,2026/12/8 19:00:00",
                     "一等奖,电视,2,'=cmd,'=cmd,2026/12/8 19:05:03",
                     "二等奖,\"\"\"音箱, 大\"\"\",1,0042 Wang Wu,Wang Wu,2026/12/8 19:20:30"}));
    EXPECT_NE(csv.find("\r\n"), std::string::npos);

    ASSERT_TRUE(exportResults(d.path(), ExportFormat::Xlsx, d / "out.xlsx"));
    const auto sheet = readXlsx(d / "out.xlsx");
    ASSERT_EQ(sheet.size(), 5u);
    EXPECT_EQ(sheet[0], (Lines{"奖项", "奖品", "批次", "抽奖条目", "姓名", "抽取时间"}));
    EXPECT_EQ(sheet[1], (Lines{"一等奖", "电视", "1", "001  张三  销售部", "张三", "2026/12/8 19:00:00"}));
    EXPECT_EQ(sheet[3], (Lines{"一等奖", "电视", "2", "=cmd", "=cmd", "2026/12/8 19:05:03"}));  // a string, no formula
    EXPECT_EQ(sheet[4][1], "\"音箱, 大\"");
}

TEST(ResultsExport, AWholeDrawExportsWhatItRecorded)
{
    DrawFolder d(10, {{"一等奖", 2, 1, "2"}, {"二等奖", 3, 1, "3"}});
    test::Program p(d);
    p.batch();
    p.batch();
    ASSERT_TRUE(exportResults(d.path(), ExportFormat::Csv, d / "r.csv"));
    const Lines lines = splitLines(d.read("r.csv").substr(3));
    ASSERT_EQ(lines.size(), 1u + 5u);
    for (size_t i = 1; i < lines.size(); ++i)
        EXPECT_NE(lines[i].find(",2026/12/8 19:05:03"), std::string::npos) << lines[i];
    // With nothing drawn the files still open: a heading row, an empty list.
    TempProgramDir empty;
    empty.write("set.dat", "");
    ASSERT_TRUE(exportResults(empty.path(), ExportFormat::Xlsx, empty / "e.xlsx"));
    EXPECT_EQ(readXlsx(empty / "e.xlsx").size(), 1u);
    ASSERT_TRUE(exportResults(empty.path(), ExportFormat::Text, empty / "e.txt"));
    EXPECT_EQ(empty.read("e.txt"), "");
    // A folder that cannot be written is reported, not taken for success.
    EXPECT_FALSE(exportResults(d.path(), ExportFormat::Csv, d / "missing" / "r.csv"));
    EXPECT_FALSE(exportResults(d.path(), ExportFormat::Xlsx, d / "missing" / "r.xlsx"));
}

TEST(ResultsExport, FormatsComeFromTheirNames)
{
    EXPECT_EQ(exportFormatFromName("XLSX"), ExportFormat::Xlsx);
    EXPECT_EQ(exportFormatFromName("csv"), ExportFormat::Csv);
    EXPECT_EQ(exportFormatFromName("txt"), ExportFormat::Text);
    EXPECT_FALSE(exportFormatFromName("xls"));
    EXPECT_EQ(exportFormatForPath("a/b.CSV"), ExportFormat::Csv);
    EXPECT_EQ(exportFormatForPath("a/b"), ExportFormat::Text);
}

TEST(ResultsExport, NamesAreTakenFromEntryLines)
{
    const std::pair<std::string, std::string> cases[] = {
        {"张三", "张三"},
        {"  张三  ", "张三"},
        {"001  张三  销售部", "张三"},
        {"0012 张三", "张三"},
        {"张三\t销售部", "张三"},
        {"John Smith,Sales", "John Smith"},
        {"0042", "0042"},
        {"", ""},
    };
    for (const auto &[line, name] : cases)
        EXPECT_EQ(winnerNameOf(G(line)), G(name)) << line;
}

TEST(ResultsExport, UnsafeAwardNamesStayInsideTheChosenFolder)
{
    struct Case {
        std::string name, folder;
        bool changed;
    };
    const Case cases[] = {
        {"一等奖", "一等奖", false},     {"a/b", "a_b", true},      {"a\\b", "a_b", true},
        {"C:奖", "C_奖", true},           {"..", "_", true},          {"../../x", "____x", true},
        {"   ", "奖项1", true},            {"", "奖项1", true},        {"a*?<>|\"", "a______", true},
        {"  特等奖 ", "特等奖", false},
    };
    for (const auto &c : cases) {
        bool changed = false;
        EXPECT_EQ(safeFolderName(G(c.name), G("奖项1"), &changed), G(c.folder)) << c.name;
        EXPECT_EQ(changed, c.changed) << c.name;
    }
    // A stray lead byte does not carry the separator after it into the name.
    EXPECT_EQ(safeFolderName("\x81/x", "f"), "\x81_x");
    // A real GBK pair whose trail byte is a backslash stays one character.
    EXPECT_EQ(safeFolderName(G("癨"), "f"), G("癨"));
}

TEST(ResultsExport, PicturesAreCopiedPerAwardAndMissingOnesNamed)
{
    TempProgramDir d;
    d.write("photo/" + gbkToUtf8(G("张三")) + ".jpg", "jpeg-1");
    d.write("photo/Li.JPG", "jpeg-2");
    d.write("secret.jpg", "not a photo");
    AwardTable awards;
    awards[0].name = G("一等奖");
    awards[1].name = "../..";
    awards[2].name = G("空");
    awards.AwardCount = 3;
    std::vector<Lines> names(50);
    names[0] = {G("张三"), "li", G("王五")};
    names[1] = {"../secret"};
    const std::filesystem::path out = d / "out";
    std::filesystem::create_directories(out);
    auto report = exportWinnerPictures(d.path(), awards, names, out);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->copied, 2);
    EXPECT_EQ(report->missing, (Lines{G("photo\\王五.jpg"), "photo\\../secret.jpg"}));
    EXPECT_EQ(report->renamed, (Lines{"../.."}));
    EXPECT_EQ(d.read("out/" + gbkToUtf8(G("一等奖(3)")) + "/" + gbkToUtf8(G("张三")) + ".jpg"), "jpeg-1");
    EXPECT_EQ(d.read("out/" + gbkToUtf8(G("一等奖(3)")) + "/li.jpg"), "jpeg-2");
    EXPECT_TRUE(std::filesystem::is_directory(out / "___(1)"));
    EXPECT_FALSE(std::filesystem::exists(out / gbkToUtf8(G("空(0)"))));  // no winners, no folder
    // Nothing was written beside or above the chosen folder.
    size_t entries = 0;
    for ([[maybe_unused]] const auto &e : std::filesystem::directory_iterator(d.path()))
        ++entries;
    EXPECT_EQ(entries, 3u);  // photo, secret.jpg, out
}

}  // namespace
}  // namespace tessaly
