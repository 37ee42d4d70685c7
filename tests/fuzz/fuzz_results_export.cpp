// The results export over damaged files: set.dat, ARecord.dat and log.txt,
// separated by lines "~~~~". Every usable record line gives exactly one row in
// record order, batches count from 1, a stop time is one the history holds,
// the CSV has one line per row, names come from their own entry line, and a
// folder name made from an award name can never leave its folder.
#include "FuzzSupport.h"

#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"
#include "winners/ResultsExport.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fuzz::ScratchFolder folder;
    folder.clear();
    const auto parts = fuzz::splitParts(fuzz::asText(data, size), 3);
    folder.write("set.dat", parts[0]);
    folder.write("ARecord.dat", parts[1]);
    folder.write("log.txt", parts[2]);

    auto rows = readWinnerRows(folder.path());
    FUZZ_CHECK(rows.ok());
    std::vector<std::string> recorded;
    for (const auto &line : splitLines(parts[1])) {
        int award = -1;
        if (!line.empty() && parseInteger(SplitField(line, '|', 1), award) && award >= 0 && award < 50)
            recorded.push_back(SplitField(line, '|', 3));
    }
    FUZZ_CHECK(rows->size() == recorded.size());
    for (size_t i = 0; i < rows->size(); ++i) {
        const WinnerRow &r = (*rows)[i];
        FUZZ_CHECK(r.entry == recorded[i]);
        FUZZ_CHECK(r.batch >= 1);
        FUZZ_CHECK(r.time.empty() || parts[2].find("<" + r.time + "> ") != std::string::npos);
        FUZZ_CHECK(trimBlanks(r.entry).find(r.name) != std::string::npos);

        bool changed = false;
        const std::string folderName = safeFolderName(r.awardName, "x", &changed);
        const std::string native = gbkToUtf8(folderName);  // what reaches the disk
        FUZZ_CHECK(!trimBlanks(native).empty());
        FUZZ_CHECK(native.find("..") == std::string::npos);
        FUZZ_CHECK(native.find_first_of("/\\:") == std::string::npos);
    }
    const std::string csv = winnersCsv(*rows);
    FUZZ_CHECK(csv.rfind("\xEF\xBB\xBF", 0) == 0);
    FUZZ_CHECK(splitLines(csv.substr(3)).size() == rows->size() + 1);

    FUZZ_CHECK(exportResults(folder.path(), ExportFormat::Text, folder.path() / "out.txt").ok());
    return 0;
}
