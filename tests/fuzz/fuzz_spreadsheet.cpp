// The spreadsheet import: any file the operator picks for "导入Excel" (.xlsx,
// .xls, .csv or anything else). A block of it becomes lines that hold no line
// break, one per sheet row of the block, and its columns line up: every cell of
// a column is padded to the same width unless the 35-blank cap stopped it.
#include "FuzzSupport.h"

#include "participants/ListImport.h"
#include "participants/ListTools.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fuzz::ScratchFolder folder;
    folder.clear();
    folder.write("list.xlsx", std::string(fuzz::asText(data, size)));

    ImportControl control;
    control.xlsReader = TESSALY_XLS_READER;
    auto read = readSpreadsheet(folder.path() / "list.xlsx", control);
    if (!read) {
        FUZZ_CHECK(!read.error().message.empty());
        return 0;
    }
    const Sheet &sheet = read->sheet;
    CellBlock block{2, 1, 60, 3, ""};
    std::vector<int> unencodable;
    std::vector<OriginalLine> original;
    const auto lines = composeCellBlock(sheet, block, &unencodable, {}, &original);
    // Every line that lost a character comes with its text as read, at its own place.
    FUZZ_CHECK(original.size() == unencodable.size());
    for (size_t i = 0; i < original.size(); ++i) {
        FUZZ_CHECK(original[i].line < lines.size());
        FUZZ_CHECK(static_cast<int>(original[i].line) + 2 == unencodable[i]);
        FUZZ_CHECK(original[i].text.find_first_of(std::string_view("\r\n", 2)) == std::string::npos);
    }
    const size_t expected = sheet.rows.size() >= 2 ? std::min<size_t>(sheet.rows.size(), 60) - 1 : 0;
    FUZZ_CHECK(lines.size() == expected);
    for (const auto &line : lines)
        FUZZ_CHECK(line.find_first_of(std::string_view("\r\n", 2)) == std::string::npos);
    // Column by column: a cell shorter than the widest of its column is short
    // only because it got the full 35 blanks.
    for (int c = 1; c <= 3; ++c) {
        const auto column = composeCellBlock(sheet, {2, c, 60, c, ""});
        size_t widest = 0;
        for (const auto &cell : column)
            widest = std::max(widest, cell.size());
        for (const auto &cell : column)
            FUZZ_CHECK(cell.size() == widest ||
                       (cell.size() >= 35 && cell.compare(cell.size() - 35, 35, std::string(35, ' ')) == 0));
    }
    for (size_t i = 1; i < unencodable.size(); ++i)
        FUZZ_CHECK(unencodable[i - 1] < unencodable[i]);
    return 0;
}
