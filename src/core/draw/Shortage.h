// Whether the participants suffice for the awards still to be drawn. One
// answer for the photo load, the pre-event check, the stage and the award
// settings: the awards are played through in drawing order on a copy of the
// drawn marks, each by the draw's own rules (repeat wins, grouping range,
// special lists), and whoever comes up short is named.
#pragma once

#include "Result.h"
#include "draw/DrawOrder.h"
#include "settings/AwardTable.h"
#include "settings/IniStore.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tessaly {

struct AwardShortfall {
    int award = 0;    // index in the table
    int winners = 0;  // winners it still needs
    int drawn = 0;    // winners it can get
};

struct Shortage {
    std::vector<AwardShortfall> awards;  // the awards that cannot get every winner, in drawing order
    long long missing = 0;               // winners that cannot be drawn, all awards together

    bool any() const { return missing > 0; }
};

// What an award's order is built from: repeat wins and mixing from set.dat, its
// grouping range (when grouping is on) and, with useLists, the special lists.
// An error when a file that holds them exists but cannot be read; a missing
// file means no rule.
Result<DrawOrderRequest> readAwardRules(const std::filesystem::path &programDir, const IniStore &settings, int award,
                                        int count, bool keep, bool useLists, bool grouping, size_t entries);

// Plays `plan` through in order on a copy of the marks: each award takes its
// winners by its rules, and (without repeat wins) they are drawn for the next.
Shortage assessShortage(const ParticipantLists &lists, const std::vector<DrawOrderRequest> &plan);

// The awards in drawing order from `first` (down the table with scrollDown).
std::vector<int> drawingOrder(int first, int awardCount, bool scrollDown);

// The whole event as it stands in the folder, before anyone is drawn: the
// list, the award table as `settings` holds it, and the rules (the special
// lists when they are always on or on for the next start).
Result<Shortage> eventShortage(const std::filesystem::path &programDir, const IniStore &settings);

// "一等奖、二等奖将抽不满，共少抽 5 人" (GBK): up to five names, then "等".
std::string shortfallText(const Shortage &shortage, const AwardTable &awards);

}  // namespace tessaly
