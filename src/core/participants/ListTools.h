// The list editor's clean-up tools, the ticket-number generator and the
// equal-length padding: plain functions on GBK lines, so the editor only shows
// progress and puts the result back.
#pragma once

#include "Result.h"

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tessaly {

class RandomSource;

// Called with the index of the line a tool is at, so the window can show it
// and stay alive during a long run.
using LineProgress = std::function<void(size_t index)>;

struct ToolResult {
    std::vector<std::string> lines;
    int removed = 0;          // lines deleted by the tool
    bool changed = false;     // some line differs from the input
    std::string removedText;  // duplicates: a blank and the line for every deleted line
};

// Deletes every line made only of bytes 0 to 32; a full-width blank is not blank.
ToolResult removeBlankLines(const std::vector<std::string> &lines, const LineProgress &progress = {});

// Keeps the first occurrence of every line in order; lines are equal only when
// byte for byte equal (case and blanks count).
ToolResult removeDuplicateLines(const std::vector<std::string> &lines, const LineProgress &progress = {});

// Removes every tab and every blank (code 32) wherever it stands.
ToolResult removeAllSpaces(const std::vector<std::string> &lines, const LineProgress &progress = {});

// Every 4-byte line becomes its first 2 bytes, two blanks and its last 2 bytes.
ToolResult widenTwoCharNames(const std::vector<std::string> &lines, const LineProgress &progress = {});

// Lines a list cannot hold, by index: a "|" of their own (the records join
// names with "|"; the second byte of a character such as 東 is none) or a
// character cut in half at the end. The loader refuses such a list.
std::vector<size_t> unfitListLines(const std::vector<std::string> &lines);

// "第3、7行" for line indices from 0 (GBK); at most 20 numbers, then "等N行".
std::string lineNumbersText(const std::vector<size_t> &indices);

// The refusal of a list holding unfit lines, naming them (GBK).
std::string unfitLinesMessage(const std::vector<std::string> &lines, const std::vector<size_t> &unfit);

// The refusal of lines holding characters GBK cannot store (GBK); the window
// adds the lines as the operator sees them.
std::string unencodableLinesMessage(const std::vector<size_t> &indices);

// Writes the lines to data.txt of the program folder, each followed by CR LF,
// through an atomic replace. A list that is empty once trimmed, or that holds
// lines the loader would refuse, is refused before anything is written.
Status saveParticipantList(const std::filesystem::path &programDir, const std::vector<std::string> &lines);

// Moves a uniformly chosen remaining line to the end of the result until none is left.
std::vector<std::string> shuffleLines(std::vector<std::string> lines, RandomSource &random);

// The ticket-number generator's fields as the operator typed them.
struct NumberRun {
    std::string prefix;
    std::string suffix;
    std::string startText = "1";
    std::string endText = "99";
    bool padZeros = true;       // pad to the length of the end text (2 to 10 digits)
    bool skipFours = false;     // skip every number holding the digit 4
    std::array<bool, 10> skipLastDigit{};
};

// At most this many numbers in one run, so a mistyped end cannot exhaust memory.
inline constexpr long long kMaxGeneratedNumbers = 1000000;

// The lines of a run, ascending; none when the end is below the start. An
// empty or unreadable start or end, or a run too long, is refused.
Result<std::vector<std::string>> generateNumbers(const NumberRun &run,
                                                 const std::function<void(long long)> &progress = {});

enum class PadWay {
    Front = 1,       // blanks before the line
    Middle,          // the first blank widened
    End,             // blanks after the line
    BeforeText,      // blanks before the first occurrence of a text
    Centre,          // half before, the rest after
    FromPosition,    // a fixed number of blanks at a byte position
};

struct PadOptions {
    PadWay way = PadWay::End;
    std::string text;  // BeforeText
    int position = 0;  // FromPosition: first byte of the rest, from 1
    int count = 0;     // FromPosition: blanks to put in
};

// No line gets more than this many blanks from one padding step.
inline constexpr int kMaxPadBlanks = 35;

struct PadResult {
    std::vector<std::string> lines;
    bool padded = false;  // some line got blanks
};

// Tabs become blanks and every line is trimmed, then each line shorter than
// the longest is padded the chosen way.
PadResult padLines(std::vector<std::string> lines, const PadOptions &options, const LineProgress &progress = {});

}  // namespace tessaly
