// Spreadsheets written the way an HR system exports them, for the import tests
// and the benchmark.
#pragma once

#include <xlsxwriter.h>

#include <filesystem>
#include <string>

namespace tessaly::test {

// A header row and `rows` rows of name, ticket number and department, with
// shared strings and numbers, on a sheet named `sheetName`.
inline bool writeNamesXlsx(const std::filesystem::path &path, int rows, const char *sheetName = "Sheet1")
{
    lxw_workbook *book = workbook_new(path.c_str());
    lxw_worksheet *sheet = workbook_add_worksheet(book, sheetName);
    worksheet_write_string(sheet, 0, 0, "姓名", nullptr);
    worksheet_write_string(sheet, 0, 1, "号码", nullptr);
    worksheet_write_string(sheet, 0, 2, "部门", nullptr);
    for (int r = 1; r <= rows; ++r) {
        std::string name = "员工" + std::to_string(r);
        std::string dept = "部门" + std::to_string(r % 37);
        worksheet_write_string(sheet, static_cast<lxw_row_t>(r), 0, name.c_str(), nullptr);
        worksheet_write_number(sheet, static_cast<lxw_row_t>(r), 1, 100000 + r, nullptr);
        worksheet_write_string(sheet, static_cast<lxw_row_t>(r), 2, dept.c_str(), nullptr);
    }
    return workbook_close(book) == LXW_NO_ERROR;
}

}  // namespace tessaly::test
