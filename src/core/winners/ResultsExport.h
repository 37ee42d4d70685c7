// The results handed to the office: every winner read back from the record
// files, written as the text list, as CSV or as a spreadsheet; and the
// winners' photos copied into one folder per award.
#pragma once

#include "Result.h"
#include "settings/AwardTable.h"
#include "stage/ResultsText.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

enum class ExportFormat { Text, Csv, Xlsx };

// "txt", "csv" or "xlsx" in any letter case.
std::optional<ExportFormat> exportFormatFromName(std::string_view name);
// The format an output file's extension asks for; text for anything else.
ExportFormat exportFormatForPath(const std::filesystem::path &path);

// One winner as the office lists it; texts are GBK.
struct WinnerRow {
    int award = 0;
    std::string awardName;
    std::string prize;
    int batch = 1;          // the award's batches in the record, counted from 1
    std::string entry;      // the entry's whole line of the list
    std::string name;       // the person's name taken from the line
    std::string time;       // the stop as the history stamped it; empty when the history lost it
};

// Every recorded winner in record order, with the award table of set.dat and
// the stop times of log.txt. Refuses a record file that cannot be read.
Result<std::vector<WinnerRow>> readWinnerRows(const std::filesystem::path &programDir);

// The person's name in an entry line: the first part (parts split at tabs,
// commas or two blanks) that is not only a number, without a leading number
// and blank; the whole trimmed line when nothing else fits.
std::string winnerNameOf(std::string_view entry);

// A table of UTF-8 cells, the header row first, as CSV (UTF-8 with a byte-order
// mark, cells that a spreadsheet would run as formulas quoted) or as a sheet
// replacing `output` whole; the cells of `numberColumns` below the header are numbers.
std::string sheetCsv(const std::vector<std::vector<std::string>> &rows, const std::vector<int> &numberColumns = {});
Status writeSheetXlsx(const char *sheetName, const std::vector<std::vector<std::string>> &rows,
                      const std::vector<double> &widths, const std::vector<int> &numberColumns,
                      const std::filesystem::path &output);

// The file contents of each format, for rows in record order.
std::string winnersCsv(const std::vector<WinnerRow> &rows);
Status writeWinnersXlsx(const std::vector<WinnerRow> &rows, const std::filesystem::path &output);

// The one export behind the window's "导出抽取结果..." and the command line:
// the results of the event folder in the format, replacing `output` whole.
// Text is the winners list of prize.txt (GBK, CR LF); CSV is UTF-8 with a
// byte-order mark; both spreadsheet forms hold one row per winner.
Status exportResults(const std::filesystem::path &programDir, ExportFormat format,
                     const std::filesystem::path &output);

// A folder name that stays inside the folder it is made in: separators,
// colons and the characters Windows refuses become "_", ".." becomes "_",
// and a name empty after trimming becomes `fallback`. `changed` tells
// whether anything was replaced.
std::string safeFolderName(std::string_view gbkName, std::string_view fallback, bool *changed = nullptr);

struct PictureExport {
    int copied = 0;
    std::vector<std::string> renamed;  // award names (GBK) whose folder name had to be changed
    std::vector<std::string> missing;  // photo files (GBK, "photo\name.jpg") that were not there
};

// Copies the photo of every winner into `target`\<award>(<count>)\, one folder
// per award with winners, in table order. Missing photos are skipped and
// listed; the first failure to create or write stops with its error.
// `progress` hears how many winners are done after each one.
Result<PictureExport> exportWinnerPictures(const std::filesystem::path &programDir, const AwardTable &awards,
                                           WinnerLists names, const std::filesystem::path &target,
                                           const std::function<void(int done)> &progress = {});

}  // namespace tessaly
