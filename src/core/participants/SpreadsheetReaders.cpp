// The two spreadsheet file formats read without any office suite: .xlsx as a
// zip of XML parts (libzip, pugixml), .xls through freexl.
#include "participants/ListImport.h"

#include "files/Paths.h"
#include "text/Gbk.h"

#include <freexl.h>
#include <pugixml.hpp>
#include <zip.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <memory>
#include <string_view>
#include <unordered_map>

namespace fs = std::filesystem;

// Present only in sanitizer builds, where a fuzzing run hooks its report.
extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

namespace tessaly {
namespace {

// Cells further right than this are never imported; a damaged sheet naming
// column XFD must not make every row that wide.
constexpr size_t kMaxSheetColumns = 256;
constexpr size_t kMaxSheetRows = 1048576;

Error damaged(const fs::path &path, const char *why)
{
    return makeError(ErrorCode::FileRead,
                     utf8ToGbk(std::string("无法读取EXCEL文件(") + why + ")：") + fileNameToGbk(path));
}

void putCell(Sheet &sheet, size_t row, size_t column, std::string text)
{
    if (row >= kMaxSheetRows || column >= kMaxSheetColumns)
        return;
    if (sheet.rows.size() <= row)
        sheet.rows.resize(row + 1);
    auto &cells = sheet.rows[row];
    if (cells.size() <= column)
        cells.resize(column + 1);
    cells[column] = std::move(text);
}

// ---- .xlsx ----

struct ZipCloser {
    void operator()(zip_t *z) const { zip_discard(z); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipCloser>;

// One part of the package; nothing when it is missing or unreadable.
bool readPart(zip_t *zip, const std::string &name, std::string &out)
{
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(zip, name.c_str(), ZIP_FL_NOCASE, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        return false;
    if (st.size > (1u << 30))
        return false;
    zip_file_t *f = zip_fopen(zip, name.c_str(), ZIP_FL_NOCASE);
    if (!f)
        return false;
    out.resize(static_cast<size_t>(st.size));
    zip_int64_t n = zip_fread(f, out.data(), st.size);
    zip_fclose(f);
    return n == static_cast<zip_int64_t>(st.size);
}

bool parseXml(pugi::xml_document &doc, std::string &text)
{
    return doc.load_buffer_inplace(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
}

// The text of a shared or inline string: its runs, without phonetic guides.
std::string stringItem(const pugi::xml_node &si)
{
    std::string s;
    for (pugi::xml_node child : si.children()) {
        std::string_view name = child.name();
        if (name == "t")
            s += child.child_value();
        else if (name == "r")
            s += child.child("t").child_value();
    }
    return s;
}

bool isDateCode(std::string_view code)
{
    bool quoted = false, bracket = false;
    for (size_t i = 0; i < code.size(); ++i) {
        char c = code[i];
        if (quoted) {
            quoted = c != '"';
        } else if (bracket) {
            bracket = c != ']';
            if (bracket && (c == 'h' || c == 'H' || c == 's' || c == 'S' || c == 'm' || c == 'M') && code[i - 1] == '[')
                return true;  // [h]:mm elapsed time
        } else if (c == '"') {
            quoted = true;
        } else if (c == '[') {
            bracket = true;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (std::string_view("yYmMdDhHsS").find(c) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

// The date codes of the built-in formats, as a Chinese spreadsheet shows them.
const char *builtInDateCode(int id)
{
    switch (id) {
    case 14: return "yyyy/m/d";
    case 15: return "d-mmm-yy";
    case 16: return "d-mmm";
    case 17: return "mmm-yy";
    case 18: return "h:mm AM/PM";
    case 19: return "h:mm:ss AM/PM";
    case 20: return "h:mm";
    case 21: return "h:mm:ss";
    case 22: return "yyyy/m/d h:mm";
    case 45: return "mm:ss";
    case 46: return "[h]:mm:ss";
    case 47: return "mm:ss";
    case 27: case 36: case 50: case 52: case 57: return "yyyy\"年\"m\"月\"";
    case 28: case 29: case 51: case 53: case 54: case 58: return "m\"月\"d\"日\"";
    case 30: return "m-d-yy";
    case 31: return "yyyy\"年\"m\"月\"d\"日\"";
    case 32: return "h\"时\"mm\"分\"";
    case 33: return "h\"时\"mm\"分\"ss\"秒\"";
    case 34: case 55: return "上午/下午h\"时\"mm\"分\"";
    case 35: case 56: return "上午/下午h\"时\"mm\"分\"ss\"秒\"";
    default: return nullptr;
    }
}

// For every cell style: the date code when its number format shows a date.
std::vector<std::string> dateStyles(zip_t *zip)
{
    std::vector<std::string> styles;
    std::string text;
    if (!readPart(zip, "xl/styles.xml", text))
        return styles;
    pugi::xml_document doc;
    if (!parseXml(doc, text))
        return styles;
    pugi::xml_node root = doc.child("styleSheet");
    std::unordered_map<int, std::string> custom;
    for (pugi::xml_node f : root.child("numFmts").children("numFmt"))
        custom[f.attribute("numFmtId").as_int()] = f.attribute("formatCode").as_string();
    for (pugi::xml_node xf : root.child("cellXfs").children("xf")) {
        int id = xf.attribute("numFmtId").as_int();
        std::string code;
        if (auto it = custom.find(id); it != custom.end()) {
            if (isDateCode(it->second))
                code = it->second;
        } else if (const char *builtIn = builtInDateCode(id)) {
            code = builtIn;
        }
        styles.push_back(std::move(code));
    }
    return styles;
}

// The worksheet part of the first sheet, and its name.
std::string firstSheetPart(zip_t *zip, std::string *sheetName)
{
    std::string fallback = "xl/worksheets/sheet1.xml";
    std::string workbook, rels;
    if (!readPart(zip, "xl/workbook.xml", workbook))
        return fallback;
    pugi::xml_document wb;
    if (!parseXml(wb, workbook))
        return fallback;
    pugi::xml_node sheet = wb.child("workbook").child("sheets").child("sheet");
    if (sheetName)
        *sheetName = sheet.attribute("name").as_string();
    std::string id = sheet.attribute("r:id").as_string();
    if (id.empty() || !readPart(zip, "xl/_rels/workbook.xml.rels", rels))
        return fallback;
    pugi::xml_document rd;
    if (!parseXml(rd, rels))
        return fallback;
    for (pugi::xml_node r : rd.child("Relationships").children("Relationship")) {
        if (id != r.attribute("Id").as_string())
            continue;
        std::string target = r.attribute("Target").as_string();
        if (target.starts_with("/"))
            return target.substr(1);
        return "xl/" + target;
    }
    return fallback;
}

// "BC12" as column 54 and row 11, both from 0.
bool parseCellRef(std::string_view ref, size_t &row, size_t &column)
{
    size_t i = 0, col = 0;
    while (i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && i < 4)
        col = col * 26 + static_cast<size_t>(ref[i++] - 'A' + 1);
    size_t r = 0;
    auto [end, ec] = std::from_chars(ref.data() + i, ref.data() + ref.size(), r);
    if (col == 0 || ec != std::errc() || end != ref.data() + ref.size() || r == 0)
        return false;
    row = r - 1;
    column = col - 1;
    return true;
}

std::string cellText(const pugi::xml_node &c, const std::vector<std::string> &shared,
                     const std::vector<std::string> &dates)
{
    std::string_view type = c.attribute("t").as_string();
    const char *v = c.child("v").child_value();
    if (type == "s") {
        size_t k = static_cast<size_t>(std::strtoul(v, nullptr, 10));
        return k < shared.size() ? shared[k] : std::string();
    }
    if (type == "inlineStr")
        return stringItem(c.child("is"));
    if (type == "str" || type == "e")
        return v;
    if (type == "b")
        return std::string_view(v) == "1" ? "TRUE" : "FALSE";
    if (*v == '\0')
        return {};
    char *end = nullptr;
    double number = std::strtod(v, &end);
    if (end == v)
        return v;
    size_t style = c.attribute("s").as_uint();
    if (style < dates.size() && !dates[style].empty())
        return formatDateSerial(number, dates[style]);
    return formatGeneralNumber(number);
}

// ---- .xls ----

struct XlsCloser {
    void operator()(const void *h) const { freexl_close(h); }
};

}  // namespace

Result<Sheet> readXlsx(const fs::path &path, std::string *sheetName)
{
    int err = 0;
    ZipHandle zip(zip_open(path.c_str(), ZIP_RDONLY, &err));
    if (!zip)
        return damaged(path, "不是有效的EXCEL2007文件");

    std::vector<std::string> shared;
    if (std::string text; readPart(zip.get(), "xl/sharedStrings.xml", text)) {
        pugi::xml_document doc;
        if (!parseXml(doc, text))
            return damaged(path, "共享字符串损坏");
        for (pugi::xml_node si : doc.child("sst").children("si"))
            shared.push_back(stringItem(si));
    }
    std::vector<std::string> dates = dateStyles(zip.get());

    std::string part = firstSheetPart(zip.get(), sheetName);
    std::string text;
    if (!readPart(zip.get(), part, text))
        return damaged(path, "找不到工作表");
    pugi::xml_document doc;
    if (!parseXml(doc, text))
        return damaged(path, "工作表损坏");

    Sheet sheet;
    size_t nextRow = 0;
    for (pugi::xml_node row : doc.child("worksheet").child("sheetData").children("row")) {
        size_t r = nextRow;
        if (unsigned n = row.attribute("r").as_uint(); n > 0)
            r = n - 1;
        nextRow = r + 1;
        size_t nextColumn = 0;
        for (pugi::xml_node c : row.children("c")) {
            size_t cr = r, cc = nextColumn;
            if (pugi::xml_attribute ref = c.attribute("r"))
                if (!parseCellRef(ref.as_string(), cr, cc))
                    cr = r, cc = nextColumn;
            nextColumn = cc + 1;
            std::string value = cellText(c, shared, dates);
            if (!value.empty())
                putCell(sheet, r, cc, std::move(value));
        }
        if (sheet.rows.size() <= r && r < kMaxSheetRows)
            sheet.rows.resize(r + 1);
    }
    return sheet;
}

namespace {

Result<Sheet> readXlsHere(const fs::path &path, std::string *sheetName)
{
    const void *raw = nullptr;
    int rc = freexl_open(path.c_str(), &raw);
    std::unique_ptr<const void, XlsCloser> handle(raw);
    if (rc != FREEXL_OK || !raw)
        return damaged(path, "不是有效的EXCEL97-2003文件");
    const char *name = nullptr;
    if (freexl_get_worksheet_name(raw, 0, &name) == FREEXL_OK && name && sheetName)
        *sheetName = name;
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(raw, 0) != FREEXL_OK ||
        freexl_worksheet_dimensions(raw, &rows, &columns) != FREEXL_OK)
        return damaged(path, "找不到工作表");

    Sheet sheet;
    rows = std::min<unsigned>(rows, kMaxSheetRows);
    const unsigned short usedColumns = std::min<unsigned short>(columns, kMaxSheetColumns);
    sheet.rows.resize(rows);
    for (unsigned r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < usedColumns; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(raw, r, c, &v) != FREEXL_OK)
                continue;
            std::string text;
            switch (v.type) {
            case FREEXL_CELL_INT: text = std::to_string(v.value.int_value); break;
            case FREEXL_CELL_DOUBLE: text = formatGeneralNumber(v.value.double_value); break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                if (v.value.text_value)
                    text = v.value.text_value;
                break;
            default: break;
            }
            if (!text.empty())
                putCell(sheet, r, c, std::move(text));
        }
    }
    return sheet;
}

// What the reading process hands back through its pipe: a flag, then either
// the error (code, message) or the sheet name and the rows, each text with its
// length before it.
void putNumber(std::string &out, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

void putText(std::string &out, std::string_view text)
{
    putNumber(out, text.size());
    out.append(text);
}

class Reader {
public:
    explicit Reader(std::string_view data) : m_data(data) {}
    bool number(std::uint64_t &v)
    {
        if (m_data.size() - m_at < 8)
            return false;
        v = 0;
        for (int i = 0; i < 8; ++i)
            v |= static_cast<std::uint64_t>(static_cast<unsigned char>(m_data[m_at + static_cast<size_t>(i)])) << (8 * i);
        m_at += 8;
        return true;
    }
    bool text(std::string &t)
    {
        std::uint64_t n = 0;
        if (!number(n) || n > m_data.size() - m_at)
            return false;
        t.assign(m_data.substr(m_at, static_cast<size_t>(n)));
        m_at += static_cast<size_t>(n);
        return true;
    }

private:
    std::string_view m_data;
    size_t m_at = 0;
};

std::string packXls(const Result<Sheet> &read, const std::string &sheetName)
{
    std::string out;
    if (!read) {
        out.push_back('E');
        putNumber(out, static_cast<std::uint64_t>(read.error().code));
        putText(out, read.error().message);
        return out;
    }
    out.push_back('S');
    putText(out, sheetName);
    putNumber(out, read->rows.size());
    for (const auto &row : read->rows) {
        putNumber(out, row.size());
        for (const auto &cell : row)
            putText(out, cell);
    }
    return out;
}

std::optional<Result<Sheet>> unpackXls(std::string_view data, std::string *sheetName)
{
    if (data.empty())
        return std::nullopt;
    Reader in(data.substr(1));
    if (data[0] == 'E') {
        std::uint64_t code = 0;
        std::string message;
        if (!in.number(code) || !in.text(message) || code > static_cast<std::uint64_t>(ErrorCode::Inconsistent))
            return std::nullopt;
        return Result<Sheet>(makeError(static_cast<ErrorCode>(code), std::move(message)));
    }
    if (data[0] != 'S')
        return std::nullopt;
    std::string name;
    std::uint64_t rows = 0;
    if (!in.text(name) || !in.number(rows) || rows > kMaxSheetRows)
        return std::nullopt;
    Sheet sheet;
    sheet.rows.resize(static_cast<size_t>(rows));
    for (auto &row : sheet.rows) {
        std::uint64_t cells = 0;
        if (!in.number(cells) || cells > kMaxSheetColumns)
            return std::nullopt;
        row.resize(static_cast<size_t>(cells));
        for (auto &cell : row)
            if (!in.text(cell))
                return std::nullopt;
    }
    if (sheetName)
        *sheetName = std::move(name);
    return Result<Sheet>(std::move(sheet));
}

// How long a damaged file may keep the reader busy before it is given up.
constexpr int kXlsReadSeconds = 60;

}  // namespace

Result<Sheet> readXls(const fs::path &path, std::string *sheetName)
{
    // The .xls reader library can write outside its buffers on some damaged
    // files (found by fuzzing). It reads in a process of its own, so such a
    // file costs that process and not the program with the draw in it.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return damaged(path, "无法读取文件");
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return damaged(path, "无法读取文件");
    }
    if (child == 0) {
        // The reading process dies quietly: the program's handlers of fatal
        // signals and of sanitizer reports are the program's, not its.
        for (int sig : {SIGABRT, SIGSEGV, SIGBUS, SIGILL, SIGFPE})
            ::signal(sig, SIG_DFL);
        if (__sanitizer_set_death_callback)
            __sanitizer_set_death_callback(nullptr);
        ::close(fds[0]);
        std::string name;
        const std::string packed = packXls(readXlsHere(path, &name), name);
        size_t at = 0;
        while (at < packed.size()) {
            const ssize_t n = ::write(fds[1], packed.data() + at, packed.size() - at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                ::_exit(1);
            at += static_cast<size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string data;
    char buffer[65536];
    bool timedOut = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kXlsReadSeconds);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd wait{fds[0], POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            timedOut = ready == 0;
            break;
        }
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        data.append(buffer, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    if (timedOut)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (timedOut)
        return damaged(path, "文件读取超时，可能已损坏");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return damaged(path, "文件已损坏，无法读取");
    if (auto unpacked = unpackXls(data, sheetName))
        return std::move(*unpacked);
    return damaged(path, "文件已损坏，无法读取");
}

}  // namespace tessaly
