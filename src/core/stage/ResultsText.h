// The texts that show who has won: the results block of the results window
// (every award, or one award for the winners window) and the marquee line.
#pragma once

#include "settings/AwardTable.h"
#include "stage/TextMeasurer.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tessaly {

// Most winners the results window puts in one row (Floatrownum).
inline constexpr int kMaxResultsPerRow = 100;

using WinnerLists = std::span<const std::vector<std::string>>;  // per award index, display texts in order

struct ResultsText {
    std::vector<std::string> lines;
    std::string sample;  // the widest line to measure the block by
    int blockWidth = 0;  // the sample measured in the block's font
};

// Every award in table order that has winners: heading "name(w名)", the prize
// line "(prize)" when prizes are shown, the winners `perRow` to a line, and a
// line of two blanks. Winner texts are padded to the longest one.
ResultsText composeResultsText(const AwardTable &awards, WinnerLists winners, int perRow, bool showPrize,
                               const FontSpec &font, const TextMeasurer &measurer);

// The same for one award (its heading even without winners); measures nothing.
ResultsText composeAwardResultsText(const AwardTable &awards, WinnerLists winners, int award, int perRow,
                                    bool showPrize);

// The marquee text: "恭喜!   " and each award's winners, the last award first;
// nothing when no award has a winner to show (the marquee keeps its text).
// With onlyAward set, only that award is shown.
std::optional<std::string> composeMarquee(const AwardTable &awards, WinnerLists winners,
                                          std::optional<int> onlyAward);

// A stored count of winners per line: one outside 1 to kMaxResultsPerRow is
// read as the nearest bound (one that is no number as `def`), and the stored
// text is kept in `bad` so the window can name it.
struct StoredPerRow {
    int perRow = 1;
    std::optional<std::string> bad;
};
StoredPerRow parsePerRow(const std::string &stored, int def);
// "<where>保存的每行显示个数“…”超出范围（1到100），按N个显示。" (GBK); empty for a good count.
std::string perRowNotice(const std::string &where, const StoredPerRow &count);

// Winners per line of the results window: Floatrownum.
StoredPerRow resultsWindowPerRow(const IniStore &settings);
// Winners per line of an award in the winners window: field 1 of float2txt/<award>.
int winnersWindowPerRow(const IniStore &settings, int award);

}  // namespace tessaly
