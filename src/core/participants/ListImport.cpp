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

void appendUtf8(std::string &out, unsigned cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
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

std::string formatGeneralNumber(double v)
{
    if (!std::isfinite(v))
        return "#NUM!";
    if (v == 0)
        return "0";
    char buf[64];
    // Whole numbers below 10^15 hold every digit exactly: shown in full, as a
    // ticket number must be.
    if (std::fabs(v) < 1e15 && v == std::floor(v)) {
        std::snprintf(buf, sizeof buf, "%.0f", v);
        return buf;
    }
    std::snprintf(buf, sizeof buf, "%.15g", v);
    std::string s = buf;
    if (s.find('e') != std::string::npos && std::fabs(v) >= 1e15) {
        std::snprintf(buf, sizeof buf, "%.0f", v);
        s = buf;
    }
    return s;
}

namespace {

struct CivilTime {
    int year, month, day, hour, minute, second;
};

CivilTime civilFromSerial(double serial)
{
    // Serial 60 is the spreadsheet's 29 February 1900, which never was; days
    // before it are one off against the real calendar.
    long long whole = static_cast<long long>(std::floor(serial));
    long long seconds = std::llround((serial - static_cast<double>(whole)) * 86400.0);
    if (seconds >= 86400) {
        ++whole;
        seconds -= 86400;
    }
    if (whole == 60)
        return {1900, 2, 29, int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60)};
    if (whole < 60)
        ++whole;
    // Days since 1970-01-01, then the civil date (Howard Hinnant's algorithm).
    long long z = whole - 25569 + 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    int y = static_cast<int>(yoe + era * 400 + (m <= 2));
    return {y, m, d, int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60)};
}

}  // namespace

std::string formatDateSerial(double serial, std::string_view code)
{
    static constexpr std::string_view kChineseNoon = "上午/下午";
    static const char *const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (!std::isfinite(serial) || serial < 0 || serial > 2958465)
        return formatGeneralNumber(serial);
    CivilTime t = civilFromSerial(serial);
    if (size_t semi = code.find(';'); semi != std::string_view::npos)
        code = code.substr(0, semi);

    // Tokens first, so that "m" can be told apart: minutes after an hour or
    // before a second, months otherwise.
    struct Token {
        char kind;  // y m d h s a(m/pm) l(iteral)
        int count;
        std::string text;
    };
    std::vector<Token> tokens;
    bool twelveHour = false;
    for (size_t i = 0; i < code.size();) {
        char c = code[i];
        char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (c == '"') {
            size_t end = code.find('"', i + 1);
            if (end == std::string_view::npos)
                end = code.size();
            tokens.push_back({'l', 0, std::string(code.substr(i + 1, end - i - 1))});
            i = end + 1;
        } else if (c == '\\' && i + 1 < code.size()) {
            tokens.push_back({'l', 0, std::string(1, code[i + 1])});
            i += 2;
        } else if (c == '[') {
            size_t end = code.find(']', i);
            std::string_view inner = code.substr(i + 1, (end == std::string_view::npos ? code.size() : end) - i - 1);
            if (!inner.empty() && std::tolower(static_cast<unsigned char>(inner[0])) == 'h')
                tokens.push_back({'h', static_cast<int>(inner.size()), {}});
            i = end == std::string_view::npos ? code.size() : end + 1;
        } else if (code.substr(i, 5) == "AM/PM" || code.substr(i, 5) == "am/pm") {
            tokens.push_back({'a', 0, {}});
            twelveHour = true;
            i += 5;
        } else if (code.substr(i, kChineseNoon.size()) == kChineseNoon) {
            tokens.push_back({'c', 0, {}});
            twelveHour = true;
            i += kChineseNoon.size();
        } else if (lower == 'y' || lower == 'm' || lower == 'd' || lower == 'h' || lower == 's') {
            size_t j = i;
            while (j < code.size() && std::tolower(static_cast<unsigned char>(code[j])) == lower)
                ++j;
            tokens.push_back({lower, static_cast<int>(j - i), {}});
            i = j;
        } else if (c == '_' || c == '*') {
            i += 2;  // spacing and fill characters take the next one with them
        } else {
            tokens.push_back({'l', 0, std::string(1, c)});
            ++i;
        }
    }
    for (size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k].kind != 'm' || tokens[k].count > 2)
            continue;
        auto nearest = [&](int step) -> char {
            for (size_t j = k + step; j < tokens.size(); j += step)
                if (tokens[j].kind != 'l')
                    return tokens[j].kind;
            return 0;
        };
        if (nearest(-1) == 'h' || nearest(1) == 's')
            tokens[k].kind = 'n';
    }

    auto number = [](int value, int width) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%0*d", width, value);
        return std::string(buf);
    };
    int hour = t.hour;
    if (twelveHour) {
        hour = t.hour % 12;
        if (hour == 0)
            hour = 12;
    }
    std::string out;
    for (const Token &tk : tokens) {
        switch (tk.kind) {
        case 'y': out += tk.count <= 2 ? number(t.year % 100, 2) : number(t.year, 4); break;
        case 'm':
            if (tk.count >= 3)
                out += kMonths[t.month - 1];
            else
                out += number(t.month, tk.count);
            break;
        case 'd': out += number(t.day, std::min(tk.count, 2)); break;
        case 'h': out += number(hour, std::min(tk.count, 2)); break;
        case 'n': out += number(t.minute, tk.count); break;
        case 's': out += number(t.second, std::min(tk.count, 2)); break;
        case 'a': out += t.hour < 12 ? "AM" : "PM"; break;
        case 'c': out += t.hour < 12 ? "上午" : "下午"; break;
        default: out += tk.text; break;
        }
    }
    return out;
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

Result<ReadSheet> readSpreadsheet(const fs::path &path)
{
    Result<std::string> head = readFile(path);
    if (!head)
        return head.error();
    const std::string &bytes = *head;
    ReadSheet r;
    if (bytes.starts_with("PK\x03\x04")) {
        r.format = SheetFormat::Xlsx;
        auto sheet = readXlsx(path, &r.sheetName);
        if (!sheet)
            return sheet.error();
        r.sheet = std::move(*sheet);
    } else if (bytes.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        r.format = SheetFormat::Xls;
        auto sheet = readXls(path, &r.sheetName);
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
                                          std::vector<OriginalLine> *original)
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

}  // namespace

Result<ImportedList> importListFile(const fs::path &path, const ImportOptions &options)
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
        if (!out.unencodable.empty())
            out.note = utf8ToGbk(listOfLines(out.unencodable, "下面这些行含有GBK编码无法保存的字符，保存名单前请改正：第") +
                                 "行");
        return out;
    }
    Result<ReadSheet> read = readSpreadsheet(path);
    if (!read)
        return read.error();
    out.format = read->format;
    out.lines = composeCellBlock(read->sheet, options.block, &out.unencodable, &out.original);
    if (!out.unencodable.empty())
        out.note = utf8ToGbk(listOfLines(out.unencodable, "表格中下面这些行含有GBK编码无法保存的字符，保存名单前请改正：第") +
                             "行");
    return out;
}

}  // namespace tessaly
