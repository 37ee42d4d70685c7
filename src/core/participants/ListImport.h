// Bringing a participant list in from outside: a text file in GBK or UTF-8, or
// a block of cells from a spreadsheet (.xlsx, .xls, .csv), turned into the GBK
// lines of the list editor. The editor and the command line call the same
// function, so both give the same lines.
#pragma once

#include "Result.h"
#include "participants/NumberFormat.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// Text bytes of unknown origin as GBK lines. A byte-order mark (UTF-8 or
// UTF-16) or valid UTF-8 holding non-ASCII characters is read as Unicode and
// converted; anything else is taken byte for byte as GBK.
struct DecodedText {
    std::vector<std::string> lines;  // GBK
    bool wasUnicode = false;
    std::vector<int> unencodable;    // 1-based lines holding a character GBK cannot store ('?' in its place)
    std::vector<std::string> unencodableText;  // those lines as read (UTF-8), in the same order
};
DecodedText decodeListText(std::string_view bytes);

// One UTF-8 text as GBK; false when some character had to become '?'.
bool utf8ToGbkChecked(std::string_view utf8, std::string &gbk);

// A sheet's cells as the spreadsheet shows them, UTF-8. rows[0] is sheet row 1.
struct Sheet {
    std::vector<std::vector<std::string>> rows;
};

enum class SheetFormat { Xls, Xlsx, Csv };

struct ReadSheet {
    Sheet sheet;
    SheetFormat format = SheetFormat::Xlsx;
    std::string sheetName;  // UTF-8; empty for .csv
};

// The format a file's first bytes show; nothing when it cannot be read.
std::optional<SheetFormat> sniffSheetFormat(const std::filesystem::path &path);

// The program that reads .xls files in a process of its own, installed beside
// the program: the .xls reader library is not safe inside a process with threads
// and writes outside its buffers on some damaged files.
inline constexpr const char *kXlsReaderProgram = "tessaly-xlsread";

// What an import needs from its caller: where the .xls reader program is, and
// a way to follow a long import and to stop it. progress runs on the importing
// thread every few hundred rows (the row counted from 1); a set cancel flag
// ends the import with ErrorCode::Cancelled.
struct ImportControl {
    enum class Stage { Scanning, Padding };
    std::filesystem::path xlsReader;
    std::function<void(Stage stage, int row)> progress;
    const std::atomic<bool> *cancel = nullptr;

    bool cancelled() const { return cancel && cancel->load(); }
    void report(Stage stage, int row) const
    {
        if (progress)
            progress(stage, row);
    }
};

// The error of an import the operator stopped.
Error importCancelled();

// Reads the first worksheet, choosing the reader by the file's content.
Result<ReadSheet> readSpreadsheet(const std::filesystem::path &path, const ImportControl &control = {});

// The readers, for a file whose format is known.
Result<Sheet> readXlsx(const std::filesystem::path &path, std::string *sheetName = nullptr,
                       const ImportControl &control = {});
Result<Sheet> readXls(const std::filesystem::path &path, std::string *sheetName = nullptr,
                      const ImportControl &control = {});
Sheet parseCsv(std::string_view utf8);

// What the reader program writes for a .xls file: the sheet or the error, packed
// for readXls.
std::string readXlsPacked(const std::filesystem::path &path);

// The block of cells to import, from the import dialog's fields.
struct CellBlock {
    int startRow = 2;     // sheet rows from 1; row 1 is the header and never imported
    int startColumn = 1;  // columns from 1
    int endRow = 0;
    int endColumn = 0;
    std::string separator = "  ";  // GBK, used exactly as typed
};

// Which field the dialog puts the focus on after a refusal.
enum class BlockField { None, StartRow, StartColumn, EndRow, EndColumn };

struct BlockCheck {
    std::string message;  // GBK; empty when the fields are good
    BlockField focus = BlockField::None;
};

inline constexpr int kMaxImportColumns = 50;

// The separator becomes part of every line, so it may hold no "|" (which the
// records take for their own) and no character cut in half: the refusal
// (GBK), or empty when it is good. The second byte of 東 is no "|".
std::string checkSeparator(std::string_view separator);

// The dialog's checks in order: all four fields filled, a file chosen, the
// end column at most 50 and not before the start column, the start row after
// the header, the start column from 1. The end row is not compared.
BlockCheck checkCellBlock(const std::string &startRow, const std::string &startColumn, const std::string &endRow,
                          const std::string &endColumn, bool fileChosen, CellBlock *block);

// One line per sheet row of the block: every column's cells padded with
// blanks to the column's longest cell (at most 35 blanks), joined by the
// separator. unencodable gets the sheet rows holding a character GBK cannot
// store, original those lines as read (UTF-8, padded alike), by line index.
struct OriginalLine {
    size_t line = 0;   // index in the result
    std::string text;  // UTF-8
};
std::vector<std::string> composeCellBlock(const Sheet &sheet, const CellBlock &block, std::vector<int> *unencodable = nullptr,
                                          const ImportControl &control = {}, std::vector<OriginalLine> *original = nullptr);

struct ImportOptions {
    enum class Kind { Text, Spreadsheet } kind = Kind::Text;
    CellBlock block;  // Spreadsheet
};

struct ImportedList {
    std::vector<std::string> lines;  // GBK
    std::string note;                // GBK, for the operator: another format read, characters replaced
    SheetFormat format = SheetFormat::Csv;
    std::vector<int> unencodable;    // lines (text) or sheet rows (spreadsheet)
    // The lines holding a character GBK cannot store, as read (UTF-8): the
    // editor shows them so and never saves them until they are changed.
    std::vector<OriginalLine> original;
};

// A whole file to editor lines. Nothing is returned but the complete result or
// an error with the operator's message, so the editor is replaced only on success.
Result<ImportedList> importListFile(const std::filesystem::path &path, const ImportOptions &options,
                                    const ImportControl &control = {});

}  // namespace tessaly
