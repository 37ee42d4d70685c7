#include "participants/ListImport.h"

#include "files/FileIo.h"
#include "files/Paths.h"
#include "participants/ListTools.h"
#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace fs = std::filesystem;

namespace tessaly {
namespace {

bool allAscii(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view s)
{
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int len;
        unsigned cp;
        if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<size_t>(len) > n)
            return false;
        for (int k = 1; k < len; ++k) {
            unsigned char t = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            if ((t & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += static_cast<size_t>(len);
    }
    return true;
}

// UTF-16 after its byte-order mark; a lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](size_t i) {
        unsigned a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        unsigned u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            unsigned low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        appendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? 0xFFFD : u);
    }
    return out;
}

// The text of a file as UTF-8, and whether it came in as Unicode.
std::string textAsUtf8(std::string_view bytes, bool &wasUnicode)
{
    wasUnicode = true;
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return std::string(bytes.substr(3));
    if (bytes.starts_with("\xFF\xFE"))
        return utf16ToUtf8(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF"))
        return utf16ToUtf8(bytes.substr(2), true);
    if (!allAscii(bytes) && isValidUtf8(bytes))
        return std::string(bytes);
    wasUnicode = false;
    return gbkToUtf8(bytes);
}

Error readError(const fs::path &path, const char *what)
{
    return makeError(ErrorCode::FileRead, utf8ToGbk(std::string(what)) + fileNameToGbk(path));
}

bool looksBinary(std::string_view bytes)
{
    // UTF-16 text holds NUL bytes too, but it starts with its byte-order mark.
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return false;
    return bytes.substr(0, 8192).find('\0') != std::string_view::npos;
}

// How often a long import reports where it is and looks for a cancel.
constexpr size_t kProgressRows = 256;

int toInt(const std::string &text)
{
    std::string t = trimBlanks(text);
    int v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size())
        return -1;
    return v;
}

}  // namespace

Error importCancelled()
{
    return makeError(ErrorCode::Cancelled, TSL_GBK("已取消导入，名单没有改动。"));
}

bool utf8ToGbkChecked(std::string_view utf8, std::string &gbk)
{
    if (allAscii(utf8)) {
        gbk.assign(utf8);
        return true;
    }
    // A character GBK cannot hold comes back as '?': more of them than went in
    // means something was replaced.
    gbk = utf8ToGbk(utf8);
    return std::count(gbk.begin(), gbk.end(), '?') == std::count(utf8.begin(), utf8.end(), '?');
}

DecodedText decodeListText(std::string_view bytes)
{
    DecodedText d;
    bool unicode = false;
    bool plainGbk = !(bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
                      bytes.starts_with("\xFE\xFF")) &&
                    (allAscii(bytes) || !isValidUtf8(bytes));
    if (plainGbk) {
        // Taken byte for byte, so bytes that are not valid GBK still round-trip.
        d.lines = splitLines(bytes);
        return d;
    }
    std::string utf8 = textAsUtf8(bytes, unicode);
    d.wasUnicode = unicode;
    std::vector<std::string> lines = splitLines(utf8);
    d.lines.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string gbk;
        if (!utf8ToGbkChecked(lines[i], gbk)) {
            d.unencodable.push_back(static_cast<int>(i) + 1);
            d.unencodableText.push_back(lines[i]);
        }
        d.lines.push_back(std::move(gbk));
    }
    return d;
}

Sheet parseCsv(std::string_view s)
{
    Sheet sheet;
    // A first line holding tabs but no commas is a tab-separated export.
    std::string_view firstLine = s.substr(0, s.find_first_of("\r\n"));
    const char sep = (firstLine.find(',') == std::string_view::npos && firstLine.find('\t') != std::string_view::npos)
                         ? '\t'
                         : ',';
    std::vector<std::string> row;
    std::string cell;
    bool quoted = false, any = false;
    auto endRow = [&] {
        row.push_back(std::move(cell));
        cell.clear();
        sheet.rows.push_back(std::move(row));
        row.clear();
        any = false;
    };
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < s.size() && s[i + 1] == '"') {
                    cell += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                cell += c;
            }
            continue;
        }
        if (c == '"' && cell.empty()) {
            quoted = true;
            any = true;
        } else if (c == sep) {
            row.push_back(std::move(cell));
            cell.clear();
            any = true;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
            endRow();
        } else if (c == '\0') {
            break;
        } else {
            cell += c;
            any = true;
        }
    }
    if (any || !cell.empty())
        endRow();
    return sheet;
}

std::optional<SheetFormat> sniffSheetFormat(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    char head[8] = {};
    if (!in.read(head, sizeof head) && in.gcount() == 0)
        return std::nullopt;
    std::string_view bytes(head, static_cast<size_t>(in.gcount()));
    if (bytes.starts_with("PK\x03\x04"))
        return SheetFormat::Xlsx;
    if (bytes == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return SheetFormat::Xls;
    return SheetFormat::Csv;
}

Result<ReadSheet> readSpreadsheet(const fs::path &path, const ImportControl &control)
{
    Result<std::string> head = readFile(path);
    if (!head)
        return head.error();
    const std::string &bytes = *head;
    ReadSheet r;
    if (bytes.starts_with("PK\x03\x04")) {
        r.format = SheetFormat::Xlsx;
        auto sheet = readXlsx(path, &r.sheetName, control);
        if (!sheet)
            return sheet.error();
        r.sheet = std::move(*sheet);
    } else if (bytes.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        r.format = SheetFormat::Xls;
        auto sheet = readXls(path, &r.sheetName, control);
        if (!sheet)
            return sheet.error();
        r.sheet = std::move(*sheet);
    } else {
        if (looksBinary(bytes))
            return readError(path, "文件不是EXCEL表格，也不是文本表格(CSV)：");
        r.format = SheetFormat::Csv;
        bool unicode = false;
        r.sheet = parseCsv(textAsUtf8(bytes, unicode));
    }
    return r;
}

BlockCheck checkCellBlock(const std::string &startRow, const std::string &startColumn, const std::string &endRow,
                          const std::string &endColumn, bool fileChosen, CellBlock *block)
{
    if (trimBlanks(startRow).empty() || trimBlanks(startColumn).empty() || trimBlanks(endRow).empty() ||
        trimBlanks(endColumn).empty())
        return {TSL_GBK("开始行列和结束行列不能为空。"), BlockField::None};
    if (!fileChosen)
        return {TSL_GBK("请先选择Excel文件。"), BlockField::None};
    const int s = toInt(startRow), a = toInt(startColumn), e = toInt(endRow), b = toInt(endColumn);
    if (b < 0 || b > kMaxImportColumns)
        return {TSL_GBK("列是竖的。结束列不能大于50，请重新输入。"), BlockField::EndColumn};
    if (a < 0 || b < a)
        return {TSL_GBK("开始列不能大于结束列，请重新输入。"), BlockField::StartColumn};
    if (s <= 1)
        return {TSL_GBK("开始行要大于1，请重新输入。"), BlockField::StartRow};
    if (a <= 0)
        return {TSL_GBK("开始列要大于0，请重新输入。"), BlockField::StartColumn};
    if (e < 0)
        return {TSL_GBK("结束行只能是数字，请重新输入。"), BlockField::EndRow};
    if (block) {
        block->startRow = s;
        block->startColumn = a;
        block->endRow = e;
        block->endColumn = b;
    }
    return {};
}

std::string checkSeparator(std::string_view separator)
{
    if (fitsAsLastField(separator))
        return {};
    return TSL_GBK("间隔符中不能含有竖线“|”（中奖记录用它分隔名字），请换一个间隔符。");
}

std::vector<std::string> composeCellBlock(const Sheet &sheet, const CellBlock &block, std::vector<int> *unencodable,
                                          const ImportControl &control, std::vector<OriginalLine> *original)
{
    std::vector<std::string> lines;
    const int first = std::max(block.startRow, 2);  // row 1 is the header
    const int last = std::min(block.endRow, static_cast<int>(sheet.rows.size()));
    if (last < first || block.endColumn < block.startColumn || block.startColumn < 1)
        return lines;
    const size_t columns = static_cast<size_t>(block.endColumn - block.startColumn + 1);
    const size_t rows = static_cast<size_t>(last - first + 1);

    // Column by column: every cell trimmed, then padded to the column's longest.
    std::vector<std::vector<std::string>> cells(columns, std::vector<std::string>(rows));
    std::vector<size_t> lostRows;
    for (size_t r = 0; r < rows; ++r) {
        if (r % kProgressRows == 0) {
            if (control.cancelled())
                return {};
            control.report(ImportControl::Stage::Scanning, first + static_cast<int>(r));
        }
        const auto &row = sheet.rows[static_cast<size_t>(first - 1) + r];
        bool lost = false;
        for (size_t c = 0; c < columns; ++c) {
            size_t col = static_cast<size_t>(block.startColumn - 1) + c;
            if (col >= row.size())
                continue;
            std::string gbk;
            lost = !utf8ToGbkChecked(row[col], gbk) || lost;
            cells[c][r] = trimBlanks(flattenLineBreaks(gbk));
        }
        if (lost) {
            lostRows.push_back(r);
            if (unencodable)
                unencodable->push_back(first + static_cast<int>(r));
        }
    }
    control.report(ImportControl::Stage::Padding, last);
    std::vector<std::vector<size_t>> padding(columns, std::vector<size_t>(rows));
    for (size_t c = 0; c < columns; ++c) {
        size_t width = 0;
        for (const auto &cell : cells[c])
            width = std::max(width, cell.size());
        for (size_t r = 0; r < rows; ++r) {
            padding[c][r] = std::min<size_t>(width - cells[c][r].size(), kMaxPadBlanks);
            cells[c][r].append(padding[c][r], ' ');
        }
    }
    lines.reserve(rows);
    for (size_t r = 0; r < rows; ++r) {
        std::string line;
        for (size_t c = 0; c < columns; ++c) {
            if (c > 0)
                line += block.separator;
            line += cells[c][r];
        }
        lines.push_back(std::move(line));
    }
    // A line that lost a character is composed again from the cells as read,
    // with the same blanks, so the editor shows what the sheet holds.
    if (original) {
        const std::string separator = gbkToUtf8(block.separator);
        for (size_t r : lostRows) {
            const auto &row = sheet.rows[static_cast<size_t>(first - 1) + r];
            std::string line;
            for (size_t c = 0; c < columns; ++c) {
                if (c > 0)
                    line += separator;
                size_t col = static_cast<size_t>(block.startColumn - 1) + c;
                if (col < row.size())
                    line += trimBlanks(flattenLineBreaks(row[col]));
                line.append(padding[c][r], ' ');
            }
            original->push_back({r, std::move(line)});
        }
    }
    return lines;
}

namespace {

std::string listOfLines(const std::vector<int> &numbers, const char *prefix)
{
    std::string text = prefix;
    const size_t shown = std::min<size_t>(numbers.size(), 20);
    for (size_t i = 0; i < shown; ++i)
        text += (i ? "、" : "") + std::to_string(numbers[i]);
    if (numbers.size() > shown)
        text += "等" + std::to_string(numbers.size()) + "处";
    return text;
}

// An import that read nothing must not replace a prepared list with an empty one.
bool holdsNothing(const std::vector<std::string> &lines)
{
    return std::all_of(lines.begin(), lines.end(), [](const std::string &line) { return trimBlanks(line).empty(); });
}

Error nothingRead(const fs::path &path, const ImportOptions &options)
{
    if (options.kind == ImportOptions::Kind::Text)
        return makeError(ErrorCode::BadInput, TSL_GBK("文件中没有任何名单：") + fileNameToGbk(path) +
                                                  TSL_GBK("\n名单没有改动。"));
    const CellBlock &b = options.block;
    return makeError(ErrorCode::BadInput,
                     TSL_GBK("表格中第") + std::to_string(b.startRow) + TSL_GBK("行到第") + std::to_string(b.endRow) +
                         TSL_GBK("行、第") + std::to_string(b.startColumn) + TSL_GBK("列到第") +
                         std::to_string(b.endColumn) + TSL_GBK("列没有读到任何内容：") + fileNameToGbk(path) +
                         TSL_GBK("\n名单没有改动。请检查开始行列和结束行列是否正确，以及名单是否在第一张工作表中。"));
}

}  // namespace

Result<ImportedList> importListFile(const fs::path &path, const ImportOptions &options, const ImportControl &control)
{
    ImportedList out;
    if (options.kind == ImportOptions::Kind::Text) {
        Result<std::string> bytes = readFile(path);
        if (!bytes)
            return bytes.error();
        if (looksBinary(*bytes))
            return readError(path, "文件不是文本文件：");
        DecodedText d = decodeListText(*bytes);
        out.lines = std::move(d.lines);
        out.unencodable = std::move(d.unencodable);
        for (size_t i = 0; i < out.unencodable.size(); ++i)
            out.original.push_back({static_cast<size_t>(out.unencodable[i] - 1), std::move(d.unencodableText[i])});
        if (holdsNothing(out.lines))
            return nothingRead(path, options);
        if (!out.unencodable.empty())
            out.note = utf8ToGbk(listOfLines(out.unencodable, "下面这些行含有GBK编码无法保存的字符，保存名单前请改正：第") +
                                 "行");
        return out;
    }
    Result<ReadSheet> read = readSpreadsheet(path, control);
    if (!read)
        return read.error();
    out.format = read->format;
    out.lines = composeCellBlock(read->sheet, options.block, &out.unencodable, control, &out.original);
    if (control.cancelled())
        return importCancelled();
    if (holdsNothing(out.lines))
        return nothingRead(path, options);
    if (!out.unencodable.empty())
        out.note = utf8ToGbk(listOfLines(out.unencodable, "表格中下面这些行含有GBK编码无法保存的字符，保存名单前请改正：第") +
                             "行");
    return out;
}

}  // namespace tessaly
