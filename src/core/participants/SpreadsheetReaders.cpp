// The two spreadsheet file formats read without any office suite: .xlsx as a
// zip of XML parts (libzip, pugixml), .xls through freexl.
#include "participants/ListImport.h"

#include "files/Paths.h"
#include "participants/BiffRecords.h"
#include "participants/NumberFormat.h"
#include "files/FileIo.h"
#include "text/Gbk.h"

#include <freexl.h>
#include <pugixml.hpp>
#include <zip.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <memory>
#include <string_view>
#include <unordered_map>

namespace fs = std::filesystem;

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

// Elements and attributes by their local names: several export libraries
// write every element with a namespace prefix (<x:worksheet>, <x:c>), which
// names the same part as the plain form.
std::string_view localName(const char *qualified)
{
    std::string_view name(qualified);
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node child(const pugi::xml_node &parent, std::string_view local)
{
    for (pugi::xml_node c : parent.children())
        if (c.type() == pugi::node_element && localName(c.name()) == local)
            return c;
    return {};
}

template <typename F>
void eachChild(const pugi::xml_node &parent, std::string_view local, F &&f)
{
    for (pugi::xml_node c : parent.children())
        if (c.type() == pugi::node_element && localName(c.name()) == local)
            f(c);
}

// An unprefixed attribute has no namespace; a prefixed one ("r:id") is found
// by its local name whatever prefix the file chose.
pugi::xml_attribute attribute(const pugi::xml_node &node, std::string_view local, bool prefixed = false)
{
    for (pugi::xml_attribute a : node.attributes()) {
        std::string_view name = a.name();
        if (prefixed ? (name.find(':') != std::string_view::npos && localName(a.name()) == local) : name == local)
            return a;
    }
    return {};
}

// The text of a shared or inline string: its runs, without phonetic guides.
std::string stringItem(const pugi::xml_node &si)
{
    std::string s;
    for (pugi::xml_node c : si.children()) {
        std::string_view name = localName(c.name());
        if (name == "t")
            s += c.child_value();
        else if (name == "r")
            s += child(c, "t").child_value();
    }
    return s;
}

// What the workbook says about showing its numbers: the format code of every
// cell style, and whether dates count from 1904.
struct NumberStyles {
    std::vector<std::string> codes;
    bool date1904 = false;
};

NumberStyles numberStyles(zip_t *zip, const pugi::xml_node &workbook)
{
    NumberStyles styles;
    const std::string_view date1904 = attribute(child(workbook, "workbookPr"), "date1904").as_string();
    styles.date1904 = date1904 == "1" || date1904 == "true";
    std::string text;
    if (!readPart(zip, "xl/styles.xml", text))
        return styles;
    pugi::xml_document doc;
    if (!parseXml(doc, text))
        return styles;
    pugi::xml_node root = child(doc, "styleSheet");
    std::unordered_map<int, std::string> custom;
    eachChild(child(root, "numFmts"), "numFmt", [&](pugi::xml_node f) {
        custom[attribute(f, "numFmtId").as_int()] = attribute(f, "formatCode").as_string();
    });
    eachChild(child(root, "cellXfs"), "xf", [&](pugi::xml_node xf) {
        const int id = attribute(xf, "numFmtId").as_int();
        const auto it = custom.find(id);
        styles.codes.push_back(it != custom.end() ? it->second : std::string(builtInFormatCode(id)));
    });
    return styles;
}

// The worksheet part of the first sheet, and its name.
std::string firstSheetPart(zip_t *zip, const pugi::xml_node &workbook, std::string *sheetName)
{
    std::string fallback = "xl/worksheets/sheet1.xml";
    std::string rels;
    pugi::xml_node sheet = child(child(workbook, "sheets"), "sheet");
    if (sheetName)
        *sheetName = attribute(sheet, "name").as_string();
    std::string id = attribute(sheet, "id", true).as_string();
    if (id.empty() || !readPart(zip, "xl/_rels/workbook.xml.rels", rels))
        return fallback;
    pugi::xml_document rd;
    if (!parseXml(rd, rels))
        return fallback;
    std::string part;
    eachChild(child(rd, "Relationships"), "Relationship", [&](pugi::xml_node r) {
        if (!part.empty() || id != attribute(r, "Id").as_string())
            return;
        std::string target = attribute(r, "Target").as_string();
        part = target.starts_with("/") ? target.substr(1) : "xl/" + target;
    });
    return part.empty() ? fallback : part;
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

std::string cellText(const pugi::xml_node &c, const std::vector<std::string> &shared, const NumberStyles &styles)
{
    std::string_view type = attribute(c, "t").as_string();
    const char *v = child(c, "v").child_value();
    const size_t style = attribute(c, "s").as_uint();
    const std::string_view code = style < styles.codes.size() ? std::string_view(styles.codes[style]) : "";
    if (type == "s") {
        size_t k = static_cast<size_t>(std::strtoul(v, nullptr, 10));
        return k < shared.size() ? formatCellText(shared[k], code) : std::string();
    }
    if (type == "inlineStr")
        return formatCellText(stringItem(child(c, "is")), code);
    if (type == "str")
        return formatCellText(v, code);
    if (type == "e")
        return v;
    if (type == "b")
        return std::string_view(v) == "1" ? "TRUE" : "FALSE";
    if (*v == '\0')
        return {};
    if (type == "d") {
        // An ISO date cell shows through its style like a date serial; one
        // without a date format as the plain date (and time) it holds.
        double serial = 0;
        if (!isoDateToSerial(v, serial))
            return v;
        if (isDateFormat(code))
            return formatCellNumber(serial, code, false);
        const bool hasTime = serial != std::floor(serial);
        return formatDateSerial(serial, serial < 1 ? "h:mm:ss" : hasTime ? "yyyy/m/d h:mm" : "yyyy/m/d");
    }
    char *end = nullptr;
    double number = std::strtod(v, &end);
    if (end == v)
        return v;
    return formatCellNumber(number, code, styles.date1904);
}

// ---- .xls ----

struct XlsCloser {
    void operator()(const void *h) const { freexl_close(h); }
};

}  // namespace

Result<Sheet> readXlsx(const fs::path &path, std::string *sheetName, const ImportControl &control)
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
        eachChild(child(doc, "sst"), "si", [&](pugi::xml_node si) { shared.push_back(stringItem(si)); });
    }
    std::string workbookText;
    pugi::xml_document workbookDoc;
    if (readPart(zip.get(), "xl/workbook.xml", workbookText))
        parseXml(workbookDoc, workbookText);
    const pugi::xml_node workbook = child(workbookDoc, "workbook");
    const NumberStyles styles = numberStyles(zip.get(), workbook);

    std::string part = firstSheetPart(zip.get(), workbook, sheetName);
    std::string text;
    if (!readPart(zip.get(), part, text))
        return damaged(path, "找不到工作表");
    pugi::xml_document doc;
    if (!parseXml(doc, text))
        return damaged(path, "工作表损坏");

    Sheet sheet;
    size_t nextRow = 0;
    bool cancelled = false;
    size_t scanned = 0;
    eachChild(child(child(doc, "worksheet"), "sheetData"), "row", [&](pugi::xml_node row) {
        if (cancelled || (++scanned % 256 == 0 && (cancelled = control.cancelled())))
            return;
        size_t r = nextRow;
        if (unsigned n = attribute(row, "r").as_uint(); n > 0)
            r = n - 1;
        nextRow = r + 1;
        size_t nextColumn = 0;
        eachChild(row, "c", [&](pugi::xml_node c) {
            size_t cr = r, cc = nextColumn;
            if (pugi::xml_attribute ref = attribute(c, "r"))
                if (!parseCellRef(ref.as_string(), cr, cc))
                    cr = r, cc = nextColumn;
            nextColumn = cc + 1;
            std::string value = cellText(c, shared, styles);
            if (!value.empty())
                putCell(sheet, r, cc, std::move(value));
        });
        if (sheet.rows.size() <= r && r < kMaxSheetRows)
            sheet.rows.resize(r + 1);
        if (scanned % 256 == 0)
            control.report(ImportControl::Stage::Scanning, static_cast<int>(r + 1));
    });
    if (cancelled)
        return importCancelled();
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

    // The library gives values but no number formats: those come from the
    // workbook's own records, so a cell shows as it does in an .xlsx file.
    std::optional<BiffWorkbook> biff;
    if (auto bytes = readFile(path))
        biff = readBiffWorkbook(*bytes);
    std::unordered_map<std::uint32_t, const BiffCell *> formatted;
    if (biff)
        for (const BiffCell &cell : biff->cells)
            formatted[std::uint32_t{cell.row} << 16 | cell.column] = &cell;

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
            const auto found = r <= 0xFFFF ? formatted.find(r << 16 | c) : formatted.end();
            const BiffCell *cell = found != formatted.end() ? found->second : nullptr;
            if (cell && v.type != FREEXL_CELL_NULL) {
                switch (cell->kind) {
                case BiffCell::Kind::Number: text = formatCellNumber(cell->value, biff->codeOf(*cell), biff->date1904); break;
                case BiffCell::Kind::Boolean: text = cell->value != 0 ? "TRUE" : "FALSE"; break;
                case BiffCell::Kind::Text:
                    if ((v.type == FREEXL_CELL_TEXT || v.type == FREEXL_CELL_SST_TEXT) && v.value.text_value)
                        text = formatCellText(v.value.text_value, biff->codeOf(*cell));
                    break;
                }
                if (!text.empty())
                    putCell(sheet, r, c, std::move(text));
                continue;
            }
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
        if (!in.number(code) || !in.text(message) || code > static_cast<std::uint64_t>(ErrorCode::Cancelled))
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

std::string readXlsPacked(const fs::path &path)
{
    std::string name;
    return packXls(readXlsHere(path, &name), name);
}

Result<Sheet> readXls(const fs::path &path, std::string *sheetName, const ImportControl &control)
{
    // The reader program gets the file and hands back the packed sheet on its
    // standard output; a damaged file costs that process and not the program.
    std::error_code ec;
    if (control.xlsReader.empty() || !fs::is_regular_file(control.xlsReader, ec))
        return makeError(ErrorCode::FileMissing,
                         utf8ToGbk(std::string("找不到读取EXCEL97-2003文件的程序") + kXlsReaderProgram +
                                   "，请重新安装本软件：") + fileNameToGbk(control.xlsReader));
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return damaged(path, "无法读取文件");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const std::string program = control.xlsReader.string(), file = path.string();
    char *argv[] = {const_cast<char *>(program.c_str()), const_cast<char *>(file.c_str()), nullptr};
    pid_t child = -1;
    const int spawned = ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        return damaged(path, "无法启动读取程序");
    }
    std::string data;
    char buffer[65536];
    enum class End { Done, TimedOut, Cancelled } end = End::Done;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kXlsReadSeconds);
    for (;;) {
        if (control.cancelled()) {
            end = End::Cancelled;
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            end = End::TimedOut;
            break;
        }
        // Short waits, so that a cancel is seen at once.
        pollfd wait{fds[0], POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(std::min<long long>(left.count(), 100)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            break;
        if (ready == 0)
            continue;
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        data.append(buffer, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    if (end != End::Done)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (end == End::Cancelled)
        return importCancelled();
    if (end == End::TimedOut)
        return damaged(path, "文件读取超时，可能已损坏");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return damaged(path, "文件已损坏，无法读取");
    if (auto unpacked = unpackXls(data, sheetName))
        return std::move(*unpacked);
    return damaged(path, "文件已损坏，无法读取");
}

}  // namespace tessaly
