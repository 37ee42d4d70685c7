// The .xls record reader: any file the operator picks for "导入Excel" that
// starts like a compound file. It never reads past the file, keeps every cell
// in the sheet's bounds, names a format for every style, and every number it
// finds shows through its format in a text of bounded size. The first bytes
// also serve as a format code, so the number formatting meets any code.
#include "FuzzSupport.h"

#include "participants/BiffRecords.h"
#include "participants/NumberFormat.h"

#include <cmath>

using namespace tessaly;

namespace {

void checkShown(double value, std::string_view code, bool date1904)
{
    const std::string shown = formatCellNumber(value, code, date1904);
    FUZZ_CHECK(shown.size() <= 3 * code.size() + 640);
    const std::string text = formatCellText("ab", code);
    FUZZ_CHECK(text.size() <= 2 * code.size() + 2 * 64);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input = fuzz::asText(data, size);
    const std::string_view code = input.substr(0, std::min<size_t>(input.size(), 64));
    for (double v : {0.0, -1.5, 43895.25, 1e300, 123456789012345.0, 0.000012})
        checkShown(v, code, false);

    const auto book = readBiffWorkbook(input);
    if (!book)
        return 0;
    FUZZ_CHECK(book->cells.size() <= 65536u * 256u);
    size_t checked = 0;
    for (const BiffCell &cell : book->cells) {
        FUZZ_CHECK(cell.column < 256);
        const std::string_view cellCode = book->codeOf(cell);
        FUZZ_CHECK(cell.style < book->styleCodes.size() || cellCode.empty());
        if (cell.kind == BiffCell::Kind::Boolean)
            FUZZ_CHECK(cell.value == 0 || cell.value == 1);
        if (cell.kind == BiffCell::Kind::Number && checked++ < 2000)
            checkShown(cell.value, cellCode, book->date1904);
    }
    return 0;
}
