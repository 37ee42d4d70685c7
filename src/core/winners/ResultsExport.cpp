#include "winners/ResultsExport.h"

#include "draw/DrawRecord.h"
#include "files/FileIo.h"
#include "files/Paths.h"
#include "settings/ProgramFiles.h"
#include "settings/Settings.h"
#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdlib>
#include <random>

namespace tessaly {
namespace fs = std::filesystem;
namespace {

// One stop as the history tells it: the time, the award's name and the line
// of names (every name followed by two blanks).
struct LoggedBatch {
    std::string time;
    std::string awardName;
    std::string names;
};

std::vector<LoggedBatch> readLoggedBatches(std::string_view log)
{
    std::vector<LoggedBatch> batches;
    const auto lines = splitLines(log);
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::string &head = lines[i];
        // A batch head is "<time> " exactly; restart and closing heads carry a text.
        if (head.size() < 3 || head.front() != '<' || head.substr(head.size() - 2) != "> ")
            continue;
        const std::string &body = lines[i + 1];
        if (body.empty() || body.front() != '[')
            continue;
        const size_t close = body.find("] ");
        if (close == std::string::npos)
            continue;
        batches.push_back({head.substr(1, head.size() - 3), body.substr(1, close - 1), body.substr(close + 2)});
        ++i;
    }
    return batches;
}

// True when every name of the batch, followed by its two blanks, stands in the
// logged line in order (a winner given up later is in the log, not the record).
bool loggedLineHolds(const std::string &line, const std::vector<std::string> &names)
{
    size_t at = 0;
    for (const auto &name : names) {
        const size_t found = line.find(name + "  ", at);
        if (found == std::string::npos)
            return false;
        at = found + name.size() + 2;
    }
    return true;
}

struct RecordedBatch {
    int award = 0;
    std::vector<std::string> names;
};

std::vector<RecordedBatch> readRecordedBatches(std::string_view record)
{
    std::vector<RecordedBatch> batches;
    RecordedBatch current;
    bool open = false;
    for (const auto &line : splitLines(record)) {
        if (line.empty()) {
            if (open)
                batches.push_back(std::move(current));
            current = {};
            open = false;
            continue;
        }
        int award = -1;
        if (!parseInteger(SplitField(line, '|', 1), award) || award < 0 || award >= kMaxAwards)
            continue;  // restoring the draw names such a line; the export leaves it out
        if (open && award != current.award) {
            batches.push_back(std::move(current));
            current = {};
        }
        current.award = award;
        current.names.push_back(SplitField(line, '|', 3));
        open = true;
    }
    if (open)
        batches.push_back(std::move(current));
    return batches;
}

// A lead byte with a trail byte GBK accepts; anything else is taken byte by
// byte, so a stray lead byte can never hide a separator after it.
bool isGbkPair(std::string_view text, size_t i)
{
    if (i + 1 >= text.size())
        return false;
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const unsigned char trail = static_cast<unsigned char>(text[i + 1]);
    return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
}

bool isNumberPart(std::string_view part)
{
    return std::all_of(part.begin(), part.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '-' || c == '#' || c == '.' || c == '_' || c == ' ';
    });
}

std::string csvCell(const std::string &utf8)
{
    std::string cell = utf8;
    // A leading =, +, - or @ would make a spreadsheet run the cell as a formula.
    if (!cell.empty() && (cell[0] == '=' || cell[0] == '+' || cell[0] == '-' || cell[0] == '@'))
        cell.insert(cell.begin(), '\'');
    if (cell.find_first_of(",\"\r\n") == std::string::npos)
        return cell;
    std::string quoted = "\"";
    for (char c : cell) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

const char *const kColumns[] = {"奖项", "奖品", "批次", "抽奖条目", "姓名", "抽取时间"};

Error exportError(const std::string &utf8Reason)
{
    return makeError(ErrorCode::FileWrite, TSL_GBK("导出失败：") + utf8ToGbk(utf8Reason));
}

fs::path temporaryXlsx()
{
    std::random_device rd;
    return fs::temp_directory_path() / ("tessaly-export-" + std::to_string(rd()) + std::to_string(rd()) + ".xlsx");
}

}  // namespace

std::optional<ExportFormat> exportFormatFromName(std::string_view name)
{
    const std::string n = asciiLower(trimBlanks(name));
    if (n == "txt")
        return ExportFormat::Text;
    if (n == "csv")
        return ExportFormat::Csv;
    if (n == "xlsx")
        return ExportFormat::Xlsx;
    return std::nullopt;
}

ExportFormat exportFormatForPath(const fs::path &path)
{
    std::string ext = path.extension().string();
    if (!ext.empty())
        ext.erase(0, 1);
    return exportFormatFromName(ext).value_or(ExportFormat::Text);
}

std::string winnerNameOf(std::string_view entry)
{
    const std::string line = trimBlanks(entry);
    std::vector<std::string> parts;
    std::string part;
    auto flush = [&] {
        std::string t = trimBlanks(part);
        if (!t.empty())
            parts.push_back(t);
        part.clear();
    };
    for (size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (isGbkPair(line, i)) {  // its trail byte is never a separator
            part += line.substr(i, 2);
            ++i;
        } else if (c == '\t' || c == ',' || (c == ' ' && i + 1 < line.size() && line[i + 1] == ' ')) {
            flush();
        } else {
            part += static_cast<char>(c);
        }
    }
    flush();
    for (const auto &p : parts) {
        if (isNumberPart(p))
            continue;
        // "0012 张三": a ticket number before one blank is not part of the name.
        size_t digits = 0;
        while (digits < p.size() && p[digits] >= '0' && p[digits] <= '9')
            ++digits;
        if (digits > 0 && digits < p.size() && p[digits] == ' ')
            return trimBlanks(p.substr(digits + 1));
        return p;
    }
    return line;
}

Result<std::vector<WinnerRow>> readWinnerRows(const fs::path &programDir)
{
    auto record = readFile(programFile(programDir, files::kRecord));
    if (!record && record.code() != ErrorCode::FileMissing)
        return record.error();
    auto settings = openSettings(programDir);
    if (!settings)
        return settings.error();
    std::vector<std::string> problems;
    const AwardTable awards = loadAwardTable(*settings, problems);
    auto log = readFile(programFile(programDir, files::kLog));
    const auto logged = readLoggedBatches(log ? *log : std::string());
    const auto batches = readRecordedBatches(record ? *record : std::string());

    // The record holds the current draw; its batches are the last matching
    // ones of the history, searched from the end.
    std::vector<std::string> times(batches.size());
    size_t next = logged.size();
    for (size_t b = batches.size(); b-- > 0;) {
        const auto &batch = batches[b];
        const std::string &awardName = awards.grades[static_cast<size_t>(batch.award)].name;
        for (size_t k = next; k-- > 0;) {
            if (logged[k].awardName == awardName && loggedLineHolds(logged[k].names, batch.names)) {
                times[b] = logged[k].time;
                next = k;
                break;
            }
        }
    }

    std::vector<WinnerRow> rows;
    std::array<int, kMaxAwards> batchOfAward{};
    for (size_t b = 0; b < batches.size(); ++b) {
        const auto &batch = batches[b];
        const LGrade &grade = awards.grades[static_cast<size_t>(batch.award)];
        const int number = ++batchOfAward[static_cast<size_t>(batch.award)];
        for (const auto &name : batch.names)
            rows.push_back({batch.award, grade.name, grade.prizeName, number, name, winnerNameOf(name), times[b]});
    }
    return rows;
}

std::string sheetCsv(const std::vector<std::vector<std::string>> &rows, const std::vector<int> &numberColumns)
{
    std::string csv = "\xEF\xBB\xBF";
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            const bool number = r > 0 && std::find(numberColumns.begin(), numberColumns.end(), int(c)) != numberColumns.end();
            csv += std::string(c ? "," : "") + (number ? rows[r][c] : csvCell(rows[r][c]));
        }
        csv += "\r\n";
    }
    return csv;
}

Status writeSheetXlsx(const char *sheetName, const std::vector<std::vector<std::string>> &rows,
                      const std::vector<double> &widths, const std::vector<int> &numberColumns, const fs::path &output)
{
    // The library writes a file by name; it goes to a temporary file first so
    // the output is replaced whole or not at all.
    const fs::path temporary = temporaryXlsx();
    lxw_workbook *book = workbook_new(temporary.c_str());
    if (!book)
        return exportError("无法创建表格文件");
    lxw_worksheet *sheet = workbook_add_worksheet(book, sheetName);
    lxw_format *bold = workbook_add_format(book);
    format_set_bold(bold);
    for (size_t c = 0; c < widths.size(); ++c)
        worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), widths[c], nullptr);
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            const auto row = static_cast<lxw_row_t>(r);
            const auto col = static_cast<lxw_col_t>(c);
            const bool number = r > 0 && std::find(numberColumns.begin(), numberColumns.end(), int(c)) != numberColumns.end();
            if (number)
                worksheet_write_number(sheet, row, col, std::atof(rows[r][c].c_str()), nullptr);
            else
                worksheet_write_string(sheet, row, col, rows[r][c].c_str(), r == 0 ? bold : nullptr);
        }
    }
    const lxw_error closed = workbook_close(book);
    std::error_code ec;
    if (closed != LXW_NO_ERROR) {
        fs::remove(temporary, ec);
        return exportError(std::string("表格文件写入出错（") + lxw_strerror(closed) + "）");
    }
    auto bytes = readFile(temporary);
    fs::remove(temporary, ec);
    if (!bytes)
        return bytes.error();
    return writeFileAtomic(output, *bytes);
}

namespace {

// The winners as sheet rows (UTF-8), the header first; the batch (column 2) is a number.
std::vector<std::vector<std::string>> winnerSheet(const std::vector<WinnerRow> &rows)
{
    std::vector<std::vector<std::string>> sheet{{std::begin(kColumns), std::end(kColumns)}};
    for (const auto &r : rows)
        sheet.push_back({gbkToUtf8(r.awardName), gbkToUtf8(r.prize), std::to_string(r.batch), gbkToUtf8(r.entry),
                         gbkToUtf8(r.name), gbkToUtf8(r.time)});
    return sheet;
}

}  // namespace

std::string winnersCsv(const std::vector<WinnerRow> &rows)
{
    return sheetCsv(winnerSheet(rows), {2});
}

Status writeWinnersXlsx(const std::vector<WinnerRow> &rows, const fs::path &output)
{
    return writeSheetXlsx("中奖名单", winnerSheet(rows), {14, 18, 6, 30, 14, 20}, {2}, output);
}

Status exportResults(const fs::path &programDir, ExportFormat format, const fs::path &output)
{
    if (format == ExportFormat::Text) {
        auto record = readFile(programFile(programDir, files::kRecord));
        if (!record && record.code() != ErrorCode::FileMissing)
            return record.error();
        auto settings = openSettings(programDir);
        if (!settings)
            return settings.error();
        std::vector<std::string> problems;
        const AwardTable awards = loadAwardTable(*settings, problems);
        const RecordReadout readout = readRecordLines(record ? *record : std::string());
        return writeFileAtomic(output, winnersSummary(awards, readout.names));
    }
    auto rows = readWinnerRows(programDir);
    if (!rows)
        return rows.error();
    if (format == ExportFormat::Csv)
        return writeFileAtomic(output, winnersCsv(*rows));
    return writeWinnersXlsx(*rows, output);
}

std::string safeFolderName(std::string_view gbkName, std::string_view fallback, bool *changed)
{
    std::string name;
    bool replaced = false;
    const std::string trimmed = trimBlanks(gbkName);
    for (size_t i = 0; i < trimmed.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(trimmed[i]);
        if (isGbkPair(trimmed, i)) {
            name += trimmed.substr(i, 2);
            ++i;
            continue;
        }
        if (c < 0x20 || std::string_view("/\\:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos) {
            name += '_';
            replaced = true;
        } else {
            name += static_cast<char>(c);
        }
    }
    for (size_t at; (at = name.find("..")) != std::string::npos;) {
        name.replace(at, 2, "_");
        replaced = true;
    }
    if (trimBlanks(name).empty() || name == ".") {
        name = std::string(fallback);
        replaced = true;
    }
    if (changed)
        *changed = replaced;
    return name;
}

Result<PictureExport> exportWinnerPictures(const fs::path &programDir, const AwardTable &awards, WinnerLists names,
                                           const fs::path &target, const std::function<void(int done)> &progress)
{
    PictureExport report;
    int done = 0;
    std::error_code ec;
    const fs::path base = fs::weakly_canonical(target, ec);
    const int count = std::min<int>(kMaxAwards, static_cast<int>(names.size()));
    for (int a = 0; a < count; ++a) {
        const auto &list = names[static_cast<size_t>(a)];
        if (list.empty())
            continue;
        bool changed = false;
        const std::string awardName = safeFolderName(awards[a].name, TSL_GBK("奖项") + std::to_string(a + 1), &changed);
        if (changed)
            report.renamed.push_back(awards[a].name);
        const fs::path folder = base / gbkToUtf8(awardName + "(" + std::to_string(list.size()) + ")");
        if (Status made = makeFolderDurable(folder); !made)
            return makeError(ErrorCode::FileWrite, TSL_GBK("导出中奖图片失败") + "\n" + made.error().message);
        for (const auto &name : list) {
            if (progress)
                progress(done++);
            const std::string stored = std::string(files::kPhotoFolder) + "\\" + name + ".jpg";
            bool unsafe = false;
            const std::string fileName = safeFolderName(name, "_", &unsafe) + ".jpg";
            if (unsafe || !storedFileExists(programDir, stored)) {
                // A name that would reach outside photo\ has no photo there either.
                report.missing.push_back(stored);
                continue;
            }
            Status copied = copyFileAtomic(resolveStoredPath(programDir, stored), folder / gbkToUtf8(fileName));
            if (!copied)
                return makeError(ErrorCode::FileWrite, TSL_GBK("导出中奖图片失败") + "\n" + copied.error().message);
            ++report.copied;
        }
    }
    return report;
}

}  // namespace tessaly
