#include "stage/ResultsText.h"

#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

#include <algorithm>

namespace tessaly {
namespace {

bool isBlank(const std::string &s)
{
    return trimBlanks(s).empty();
}

std::string padded(const std::string &text, size_t length, size_t maxBlanks)
{
    if (text.size() >= length)
        return text;
    return text + std::string(std::min(length - text.size(), maxBlanks), ' ');
}

struct Widths {
    size_t entry = 0;   // L: the longest winner text
    size_t row = 0;     // L2: a full line of winners
    std::string sample;
};

Widths widthsOf(WinnerLists winners, int first, int last, int perRow)
{
    Widths w;
    w.sample = TSL_GBK("取最长的抽奖人员名取最长");
    const std::string *longest = nullptr;
    for (int i = first; i <= last && i < static_cast<int>(winners.size()); ++i)
        for (const auto &t : winners[static_cast<size_t>(i)])
            if (!longest || t.size() > longest->size())
                longest = &t;
    if (!longest)
        return w;
    w.entry = longest->size();
    w.sample = *longest;
    for (int k = 1; k < perRow; ++k)
        w.sample += "  " + *longest;
    w.row = w.sample.size();
    return w;
}

// Appends one award's heading, prize line and winner lines; returns the longer
// of heading and prize line for the sample.
void appendAward(std::vector<std::string> &lines, const LGrade &grade, const std::vector<std::string> &winners,
                 const Widths &widths, int perRow, bool showPrize, std::string &sample)
{
    const std::string heading = grade.name + "(" + std::to_string(winners.size()) + TSL_GBK("名)");
    lines.push_back(heading);
    const bool prizeShown = showPrize && !isBlank(grade.prizeName);
    const std::string prizeLine = "(" + grade.prizeName + ")";
    if (prizeShown)
        lines.push_back(prizeLine);

    std::string line;
    int inLine = 0;
    bool fullLineAppended = false;
    for (const auto &w : winners) {
        if (inLine > 0)
            line += "  ";
        line += padded(w, widths.entry, 70);
        if (++inLine == perRow) {
            lines.push_back(line);
            line.clear();
            inLine = 0;
            fullLineAppended = true;
        }
    }
    if (inLine > 0)
        lines.push_back(fullLineAppended ? padded(line, widths.row, 176) : line);
    lines.push_back("  ");

    if (heading.size() > sample.size())
        sample = heading;
    if (prizeShown && prizeLine.size() > sample.size())
        sample = prizeLine;
}

}  // namespace

ResultsText composeResultsText(const AwardTable &awards, WinnerLists winners, int perRow, bool showPrize,
                               const FontSpec &font, const TextMeasurer &measurer)
{
    perRow = std::clamp(perRow, 1, kMaxResultsPerRow);  // a stored count past it would ask for gigabytes
    ResultsText r;
    const int count = std::min<int>(awards.AwardCount, static_cast<int>(winners.size()));
    Widths widths = widthsOf(winners, 0, count - 1, perRow);
    r.sample = widths.sample;
    for (int i = 0; i < count; ++i) {
        const auto &list = winners[static_cast<size_t>(i)];
        if (!list.empty())
            appendAward(r.lines, awards[i], list, widths, perRow, showPrize, r.sample);
    }
    r.blockWidth = measurer.measure(font, r.sample).width;
    return r;
}

ResultsText composeAwardResultsText(const AwardTable &awards, WinnerLists winners, int award, int perRow,
                                    bool showPrize)
{
    perRow = std::clamp(perRow, 1, kMaxResultsPerRow);  // a row is built as text: a huge count asks for gigabytes
    ResultsText r;
    if (award < 0 || award >= kMaxAwards)
        return r;
    static const std::vector<std::string> none;
    const auto &list = award < static_cast<int>(winners.size()) ? winners[static_cast<size_t>(award)] : none;
    Widths widths = widthsOf(winners, award, award, perRow);
    r.sample = widths.sample;
    appendAward(r.lines, awards[award], list, widths, perRow, showPrize, r.sample);
    return r;
}

std::optional<std::string> composeMarquee(const AwardTable &awards, WinnerLists winners, std::optional<int> onlyAward)
{
    std::string whole;
    const int count = std::min<int>(awards.AwardCount, static_cast<int>(winners.size()));
    for (int i = 0; i < count; ++i) {
        if (onlyAward && *onlyAward != i)
            continue;
        std::string text;
        for (const auto &w : winners[static_cast<size_t>(i)])
            if (!isBlank(w))
                text += w + "  ";
        if (!isBlank(text))
            whole = awards[i].name + ":" + text + std::string(6, ' ') + whole;
    }
    if (isBlank(whole))
        return std::nullopt;
    return TSL_GBK("恭喜!   ") + whole;
}

StoredPerRow parsePerRow(const std::string &stored, int def)
{
    const std::string text = trimBlanks(stored);
    int n = def;
    const bool number = parseInteger(text, n);
    const bool digits = !text.empty() && text.find_first_not_of("+-0123456789") == std::string::npos;
    if (!number)
        n = digits ? (text.front() == '-' ? 1 : kMaxResultsPerRow) : def;  // past 32 bits, or no number
    StoredPerRow r;
    r.perRow = std::clamp(n, 1, kMaxResultsPerRow);
    if (!text.empty() && (!number || r.perRow != n))
        r.bad = text;
    return r;
}

std::string perRowNotice(const std::string &where, const StoredPerRow &count)
{
    if (!count.bad)
        return {};
    return where + TSL_GBK("保存的每行显示个数“") + *count.bad + TSL_GBK("”超出范围（1到") +
           std::to_string(kMaxResultsPerRow) + TSL_GBK("），按") + std::to_string(count.perRow) + TSL_GBK("个显示。");
}

StoredPerRow resultsWindowPerRow(const IniStore &settings)
{
    return parsePerRow(settings.readString("Option", "Floatrownum"), 1);
}

int winnersWindowPerRow(const IniStore &settings, int award)
{
    const std::string value = settings.readString("float2txt", std::to_string(award));
    return parsePerRow(SplitField(value, '|', 1), 3).perRow;
}

}  // namespace tessaly
