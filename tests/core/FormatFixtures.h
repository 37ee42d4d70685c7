// Spreadsheets whose cells carry number formats, written as .xlsx (plain and
// with prefixed XML elements), .xls and .csv, each with the text a spreadsheet
// program shows for every cell: the fixtures of the import tests.
#pragma once

#include <xlsxwriter.h>

#include <pugixml.hpp>
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <fstream>
#include <map>
#include <vector>

namespace tessaly::test {

// One cell of the number-format fixtures: its value as the spreadsheet stores
// it, the cell's format code and the text the spreadsheet shows (UTF-8).
// kind: 'n' a number, 's' a text, 'd' an ISO date cell (a serial in .xls).
// The code "#14" is the built-in date format 14, written by its number.
struct FormatCell {
    char kind;
    std::string value;
    std::string code;
    std::string shown;
    std::string iso;  // 'd': the ISO text of the .xlsx cell
};

inline const std::vector<FormatCell> &formatCells()
{
    static const std::vector<FormatCell> cells = {
        {'n', "123", "000000", "000123", {}},
        {'n', "1234567", "#,##0", "1,234,567", {}},
        {'n', "1234567.891", "#,##0.00", "1,234,567.89", {}},
        {'n', "2.675", "0.00", "2.68", {}},
        {'n', "0.15", "0%", "15%", {}},
        {'n', "0.1234", "0.00%", "12.34%", {}},
        {'n', "12345", "@", "12345", {}},
        {'n', "42", "\"No.\"0000", "No.0042", {}},
        {'n', "8", "0\"人\"", "8人", {}},
        {'n', "-5", "0.0;(0.0)", "(5.0)", {}},
        {'n', "0", "0;-0;\"无\"", "无", {}},
        {'n', "1500000", "#,##0,\"千\"", "1,500千", {}},
        {'n', "1234.5678", "0.0E+00", "1.2E+03", {}},
        {'n', "43895", "yyyy\"年\"m\"月\"d\"日\"", "2020年3月5日", {}},
        {'n', "43895", "aaaa", "星期四", {}},
        {'n', "43895", "yyyy/m/d aaa", "2020/3/5 四", {}},
        {'n', "43895", "#14", "2020/3/5", {}},
        {'n', "43895.5", "yyyy-mm-dd hh:mm", "2020-03-05 12:00", {}},
        {'d', "45721", "yyyy-mm-dd", "2025-03-05", "2025-03-05T00:00:00"},
        {'n', "123456789012345", "", "123456789012345", {}},
        {'n', "0.000012", "", "0.000012", {}},
        {'n', "1234.5", "", "1234.5", {}},
        {'s', "ABC", "\"部门:\"@", "部门:ABC", {}},
        {'s', "00123", "@", "00123", {}},
    };
    return cells;
}

// Every part of an .xlsx rewritten: ISO date cells put in (sheet cell "A<row>"
// to t="d"), and with `prefixed` every element written with the prefix "x:"
// and the relationship attributes with "rel:", as some export libraries do.
inline bool rewriteXlsx(const std::filesystem::path &path, bool prefixed, const std::map<std::string, std::string> &isoCells)
{
    int err = 0;
    zip_t *zip = zip_open(path.c_str(), 0, &err);
    if (!zip)
        return false;
    std::vector<std::pair<std::string, std::string>> parts;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        const char *name = zip_get_name(zip, static_cast<zip_uint64_t>(i), 0);
        zip_stat_t st;
        if (!name || zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &st) != 0)
            return false;
        std::string data(static_cast<size_t>(st.size), '\0');
        zip_file_t *f = zip_fopen_index(zip, static_cast<zip_uint64_t>(i), 0);
        zip_fread(f, data.data(), st.size);
        zip_fclose(f);
        parts.emplace_back(name, std::move(data));
    }
    std::vector<std::string> keep;  // zip_source_buffer reads them at zip_close: never moved
    keep.reserve(parts.size());
    for (auto &[name, data] : parts) {
        if (!name.ends_with(".xml") && !name.ends_with(".rels"))
            continue;
        pugi::xml_document doc;
        if (!doc.load_buffer(data.data(), data.size()))
            return false;
        if (name.find("worksheets/") != std::string::npos)
            for (auto &[ref, iso] : isoCells)
                if (pugi::xml_node c = doc.find_node([&](pugi::xml_node n) {
                        return std::string_view(n.name()) == "c" && ref == n.attribute("r").as_string();
                    })) {
                    (c.attribute("t") ? c.attribute("t") : c.append_attribute("t")).set_value("d");
                    c.child("v").text().set(iso.c_str());
                }
        if (prefixed) {
            std::vector<pugi::xml_node> stack{doc.document_element()};
            while (!stack.empty()) {
                pugi::xml_node n = stack.back();
                stack.pop_back();
                n.set_name(("x:" + std::string(n.name())).c_str());
                for (pugi::xml_attribute a : n.attributes()) {
                    std::string an = a.name();
                    if (an == "xmlns")
                        a.set_name("xmlns:x");
                    else if (an == "xmlns:r")
                        a.set_name("xmlns:rel");
                    else if (an.starts_with("r:"))
                        a.set_name(("rel:" + an.substr(2)).c_str());
                }
                for (pugi::xml_node c : n.children())
                    if (c.type() == pugi::node_element)
                        stack.push_back(c);
            }
        }
        std::ostringstream out;
        doc.save(out, "", pugi::format_raw);
        keep.push_back(out.str());
        zip_source_t *src = zip_source_buffer(zip, keep.back().data(), keep.back().size(), 0);
        if (zip_file_add(zip, name.c_str(), src, ZIP_FL_OVERWRITE) < 0)
            return false;
    }
    return zip_close(zip) == 0;
}

// The fixtures as a spreadsheet program would save them: .xlsx (written by
// libxlsxwriter, then rewritten), .xls (tools/make_xls.py) and .csv (the shown
// texts). A header row, then one cell per row in column A.
inline bool writeFormatXlsx(const std::filesystem::path &path, bool prefixed)
{
    lxw_workbook *book = workbook_new(path.c_str());
    lxw_worksheet *sheet = workbook_add_worksheet(book, "Sheet1");
    worksheet_write_string(sheet, 0, 0, "单元格", nullptr);
    std::map<std::string, std::string> iso;
    lxw_row_t row = 1;
    for (const FormatCell &c : formatCells()) {
        lxw_format *format = nullptr;
        if (!c.code.empty()) {
            format = workbook_add_format(book);
            if (c.code == "#14")
                format_set_num_format_index(format, 14);
            else
                format_set_num_format(format, c.code.c_str());
        }
        if (c.kind == 's')
            worksheet_write_string(sheet, row, 0, c.value.c_str(), format);
        else
            worksheet_write_number(sheet, row, 0, std::strtod(c.value.c_str(), nullptr), format);
        if (c.kind == 'd')
            iso["A" + std::to_string(row + 1)] = c.iso;
        ++row;
    }
    return workbook_close(book) == LXW_NO_ERROR && rewriteXlsx(path, prefixed, iso);
}

inline bool writeFormatXls(const std::filesystem::path &path)
{
    std::string spec;
    for (const FormatCell &c : formatCells())
        spec += std::string(1, c.kind == 's' ? 's' : 'n') + "\t" + c.value + "\t" + (c.code == "#14" ? "M/D/YY" : c.code) +
                "\n";
    const std::filesystem::path specFile = path.string() + ".spec";
    std::ofstream(specFile, std::ios::binary) << spec;
    const std::string command = "/usr/bin/python3 " TESSALY_SOURCE_DIR "/tools/make_xls.py cells '" + specFile.string() +
                                "' '" + path.string() + "'";
    return std::system(command.c_str()) == 0;
}

inline void writeFormatCsv(const std::filesystem::path &path)
{
    std::string csv = "\xEF\xBB\xBF单元格\r\n";
    for (const FormatCell &c : formatCells())
        csv += (c.shown.find(',') != std::string::npos ? "\"" + c.shown + "\"" : c.shown) + "\r\n";
    std::ofstream(path, std::ios::binary) << csv;
}

// The four files of the fixtures, by a short name.
inline std::vector<std::pair<std::string, std::filesystem::path>> writeFormatFixtures(const std::filesystem::path &dir)
{
    std::vector<std::pair<std::string, std::filesystem::path>> files = {
        {"xlsx", dir / "formats.xlsx"}, {"xlsx prefixed", dir / "formats-prefixed.xlsx"},
        {"xls", dir / "formats.xls"}, {"csv", dir / "formats.csv"}};
    if (!writeFormatXlsx(files[0].second, false) || !writeFormatXlsx(files[1].second, true) ||
        !writeFormatXls(files[2].second))
        return {};
    writeFormatCsv(files[3].second);
    return files;
}

}  // namespace tessaly::test
