// The decisions of the award settings dialogs: splitting an award's winners
// into batches and the checks made before an award or the table is accepted.
#pragma once

#include "settings/AwardTable.h"

#include <optional>
#include <string>
#include <vector>

namespace tessaly {

// Pre-fills the batch counts: each batch gets winners / batches rounded up and
// the last one the rest (10 in 3 gives 4, 4, 2). Empty when batches < 1.
std::vector<int> splitBatches(int winners, int batches);

// Which field a refusal points the operator to.
enum class GradeField { None, Winners, Batches, BatchCounts, Name, PrizeName };

struct Refusal {
    std::string message;  // GBK
    std::string caption;  // "提示" or "错误"
    GradeField focus = GradeField::None;
};

// Checks of the single-award dialog, in order. On success `detail` receives the
// trimmed counts joined by "+". Counts below 1 are refused: a batch that draws
// nobody would stall the draw.
std::optional<Refusal> checkGrade(const std::string &winners, const std::string &batches,
                                  const std::vector<std::string> &counts, std::string &detail);

// An award or prize name may not hold "|", the separator of the stored award
// line: the award and every later one would drop out of the draw.
std::optional<Refusal> checkAwardNames(const std::string &name, const std::string &prizeName);

// Checks of the award table before it is saved: at least one award, no more
// than 50, numeric winners, no "|" in a name. Whether the list suffices is
// shortageRefusal's, with the draw's own rules.
std::optional<Refusal> checkAwardRows(const std::vector<std::vector<std::string>> &rows, int &totalWinners);

}  // namespace tessaly
