// The number formats of an .xls workbook (Excel 97-2003, BIFF8), which the
// .xls reader library does not give: the workbook's FORMAT and XF records and,
// for every cell of its first worksheet, the style and the raw number, read
// from the records of the compound file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

struct BiffCell {
    enum class Kind { Number, Boolean, Text } kind = Kind::Number;
    std::uint16_t row = 0;
    std::uint16_t column = 0;
    std::uint16_t style = 0;  // index of the cell's XF record
    double value = 0;         // Number: the value; Boolean: 0 or 1
};

struct BiffWorkbook {
    std::vector<std::string> styleCodes;  // per XF record: its number format code (UTF-8), empty for General
    std::vector<BiffCell> cells;          // the first worksheet's cells, in record order
    bool date1904 = false;

    // The format code of a cell's style; empty (General) for an unknown style.
    std::string_view codeOf(const BiffCell &cell) const;
};

// Reads a whole .xls file. Nothing when it is no compound file holding a BIFF8
// workbook stream (older workbooks keep their formats another way).
std::optional<BiffWorkbook> readBiffWorkbook(std::string_view file);

}  // namespace tessaly
