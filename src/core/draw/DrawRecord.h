// The formats of the draw's own files: the winner records of ARecord.dat, the
// draw order tmda.jpg and drawn marks colip.jpg, the saved position, the
// history blocks of log.txt, and the lists prize.txt and noaward.txt.
#pragma once

#include "Result.h"
#include "draw/DrawState.h"
#include "participants/ParticipantList.h"
#include "settings/AwardTable.h"
#include "settings/IniStore.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

struct DrawPosition {
    int CurrentAward = 0;
    int CurrentBatch = 1;
    int OrderCursor = 0;
    int DrawnInAward = 0;
    int OrderFloor = 0;
    // The participant list the position was saved with (listFingerprint);
    // empty in files saved before it was kept.
    std::string listSum;
    bool outOfRange = false;  // a stored number lay outside what it can mean and was brought inside
};

DrawPosition readDrawPosition(const IniStore &settings);

struct SettingWrite {
    std::string section, key, value;
};

// The keys of section Option that hold the position, the list's fingerprint
// (currentlistsum) with them when there is one.
std::vector<SettingWrite> drawPositionWrites(const DrawPosition &position);

// Entry count and a hash of every name of the list: tmda.jpg and colip.jpg
// speak of entries by index, so they fit only the list they were saved with.
std::string listFingerprint(const std::vector<std::string> &names);

// One winner's line of ARecord.dat: award|display|name, CR LF.
std::string recordLine(int award, std::string_view display, std::string_view name);

struct RecordFields {
    int award = -1;
    std::string display;
    std::string name;
};

// A record line: the award before the first "|", the name after the last one
// (names never hold one), the display text between them, which may hold a "|"
// the privacy mask left. False when the award is not a number from 0 to 49.
bool parseRecordLine(std::string_view line, RecordFields &fields);

// The lines of ARecord.dat. A NUL byte ends a line here rather than the text,
// so records written after a damaged stretch still count.
std::vector<std::string> recordFileLines(std::string_view text);

struct RecordReadout {
    WinnerArray winners;  // display texts per award, in drawing order
    WinnerArray names;    // unmasked names per award
    std::vector<int> badLines;  // line numbers (from 1) whose award is not a number from 0 to 49
    std::vector<int> nulLines;  // line numbers (from 1) that hold NUL bytes: damage, their records still count
    std::string cutLine;        // a last line without its line end: cut off by a failed write, not read
};

// Rebuilds the winner lists from the record file. Empty lines end batches and
// are skipped; a line whose award field is not usable is left out and named.
RecordReadout readRecordLines(std::string_view text);

// The part of a record file after its last line end ("" when it ends with one).
std::string_view cutRecordLine(std::string_view text);

struct MarkRepair {
    std::vector<std::string> marked;   // recorded winners that were not marked drawn, now marked
    std::vector<std::string> missing;  // recorded winners whose name is in no entry of the list
};

// Makes every recorded winner drawn: a name that no drawn entry carries marks
// its first undrawn entry. A drawn entry without a record stays drawn (a
// winner who gave up the prize without returning to the pool).
MarkRepair markRecordedWinners(ParticipantLists &lists, const WinnerArray &names);

// tmda.jpg: one entry index per line.
std::string orderFileText(const std::vector<int> &order);

// The lines of tmda.jpg as entry indices; the line number (from 1) of the first
// line that is not an entry of a list of `count` entries, or 0 when all are.
int parseOrderFile(std::string_view text, size_t count, std::vector<int> &order);

// Whether the saved draw fits a list of `entries` lines: no drawn mark
// (colip.jpg) and no draw position may refer past the end of the list. Marks
// saved with a longer list (the list was replaced while a stage kept drawing)
// would give their places to other people, so such a draw is not restored. A
// damaged line of the draw order (tmda.jpg) with marks that fit is repaired by
// the restore: the rest of the award is ordered again. The restore at start-up
// and the check before an event both ask this.
struct SavedStateFit {
    std::vector<std::string> problems;  // GBK, one sentence each: the draw is not restored
    int orderBadLine = 0;               // the first tmda.jpg line that is no entry of the list, from 1
    bool fits() const { return problems.empty(); }
};
SavedStateFit savedStateFits(size_t entries, std::string_view marksText, std::string_view orderText,
                             const DrawPosition &position);

// colip.jpg against a list of `count` entries: line i (from 0) is "|ISOK|" once
// entry i is drawn, else i. The line number (from 1) of the first line that is
// neither, count + 1 when the file holds another number of lines, or 0 when it
// fits. An empty file (nothing saved yet) fits.
int checkMarksFile(std::string_view text, size_t count);

inline constexpr int kHistoryRuleLength = 65;

// The block a stop appends to log.txt: the time, then the award's name in
// brackets and the batch line (every name followed by two blanks).
std::string batchLogBlock(std::string_view timestamp, std::string_view awardName, std::string_view batchLine);

// The block written before the draw restarts: every winner's name, award 0 first.
std::string restartLogBlock(std::string_view timestamp, const WinnerArray &names);

// The block written when the program closes: the winners summary between rules.
std::string closingLogBlock(std::string_view timestamp, const AwardTable &awards, const WinnerArray &names);

// Every award with winners, in table order: "name + count + 名(prize)", the
// names, and a line of two blanks.
std::string winnersSummary(const AwardTable &awards, const WinnerArray &names);

// The names of every entry not drawn yet, in list order.
std::string nonWinnersText(const ParticipantLists &lists);

// prize.txt and noaward.txt, replaced whole; the path written comes back.
Result<std::filesystem::path> WriteWinnersFile(const std::filesystem::path &programDir, const AwardTable &awards,
                                               const WinnerArray &names);
Result<std::filesystem::path> WriteNonWinnersFile(const std::filesystem::path &programDir,
                                                  const ParticipantLists &lists);

}  // namespace tessaly
