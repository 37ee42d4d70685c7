#include "draw/DrawRecord.h"

#include "files/FileIo.h"
#include "files/Paths.h"
#include "settings/ProgramFiles.h"
#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

namespace tessaly {
namespace {

const std::string kRule(kHistoryRuleLength, '-');

std::string headLine(std::string_view timestamp, const std::string &suffix)
{
    std::string line = "\r\n<";
    line += timestamp;
    line += ">";
    line += suffix;
    line += "\r\n";
    return line;
}

}  // namespace

DrawPosition readDrawPosition(const IniStore &settings)
{
    DrawPosition p;
    bool &out = p.outOfRange;
    p.CurrentAward = settings.readInteger("Option", "currentLucki", 0, 0, kMaxAwards - 1, &out);
    p.CurrentBatch = settings.readInteger("Option", "currentSxtimes", 1, 1, kMaxStoredCount, &out);
    p.OrderCursor = settings.readInteger("Option", "currentnowgotodata", 0, -1, kMaxStoredCount, &out);
    p.DrawnInAward = settings.readInteger("Option", "currentovernum", 0, 0, kMaxStoredCount, &out);
    p.OrderFloor = settings.readInteger("Option", "currentorderfloor", 0, 0, kMaxStoredCount, &out);
    p.listSum = settings.readString("Option", "currentlistsum");
    return p;
}

std::vector<SettingWrite> drawPositionWrites(const DrawPosition &p)
{
    std::vector<SettingWrite> writes{{"Option", "currentLucki", std::to_string(p.CurrentAward)},
                                     {"Option", "currentSxtimes", std::to_string(p.CurrentBatch)},
                                     {"Option", "currentnowgotodata", std::to_string(p.OrderCursor)},
                                     {"Option", "currentovernum", std::to_string(p.DrawnInAward)},
                                     {"Option", "currentorderfloor", std::to_string(p.OrderFloor)}};
    if (!p.listSum.empty())
        writes.push_back({"Option", "currentlistsum", p.listSum});
    return writes;
}

std::string listFingerprint(const std::vector<std::string> &names)
{
    // FNV-1a over the names, each ended by a byte no name holds.
    std::uint64_t hash = 14695981039346656037ull;
    auto add = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 1099511628211ull;
    };
    for (const auto &name : names) {
        for (char c : name)
            add(static_cast<unsigned char>(c));
        add('\n');
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return std::to_string(names.size()) + "-" + hex;
}

std::string recordLine(int award, std::string_view display, std::string_view name)
{
    std::string line = std::to_string(award);
    line += '|';
    line += display;
    line += '|';
    line += name;
    line += "\r\n";
    return line;
}

bool parseRecordLine(std::string_view line, RecordFields &fields)
{
    const auto bars = separatorPositions(line, '|');
    const size_t first = bars.empty() ? line.size() : bars.front();
    if (!parseInteger(line.substr(0, first), fields.award) || fields.award < 0 || fields.award >= kMaxAwards)
        return false;
    if (bars.size() == 1) {
        // A display text the mask left ending in half a character swallows the
        // "|" after it: the name is then what follows the last "|" byte.
        const std::string_view rest = line.substr(first + 1);
        for (size_t at = rest.rfind('|'); at != std::string_view::npos && at > 0; at = rest.rfind('|', at - 1)) {
            if (!rest.substr(at + 1).empty() && fitsAsLastField(rest.substr(at + 1))) {
                fields.display = rest.substr(0, at);
                fields.name = rest.substr(at + 1);
                return true;
            }
        }
    }
    if (bars.size() < 2) {
        // Written by hand without a name: the rest is the display text.
        fields.display = bars.empty() ? std::string() : std::string(line.substr(first + 1));
        fields.name.clear();
        return true;
    }
    fields.display = line.substr(first + 1, bars.back() - first - 1);
    fields.name = line.substr(bars.back() + 1);
    return true;
}

std::vector<std::string> recordFileLines(std::string_view text)
{
    std::string lines(text);
    for (char &c : lines)
        if (c == '\0')
            c = '\n';
    return splitLines(lines);
}

std::string_view cutRecordLine(std::string_view text)
{
    const size_t end = text.find_last_of("\r\n");
    return end == std::string_view::npos ? text : text.substr(end + 1);
}

RecordReadout readRecordLines(std::string_view text)
{
    RecordReadout out;
    out.cutLine = cutRecordLine(text);
    std::string_view whole = text.substr(0, text.size() - out.cutLine.size());
    size_t lineNumber = 0;
    size_t start = 0;
    while (start < whole.size()) {
        size_t end = whole.find_first_of("\r\n", start);
        std::string_view line = whole.substr(start, end - start);
        start = end + 1;
        if (whole[end] == '\r' && start < whole.size() && whole[start] == '\n')
            ++start;
        ++lineNumber;
        if (line.find('\0') != std::string_view::npos)
            out.nulLines.push_back(static_cast<int>(lineNumber));
        // A NUL stretch holds no record, but what stands beside it may.
        for (const auto &part : recordFileLines(line)) {
            if (part.empty())
                continue;  // the line after every batch; a line of blanks is a record gone wrong
            RecordFields fields;
            if (!parseRecordLine(part, fields)) {
                out.badLines.push_back(static_cast<int>(lineNumber));
                continue;
            }
            out.winners[static_cast<size_t>(fields.award)].push_back(std::move(fields.display));
            out.names[static_cast<size_t>(fields.award)].push_back(std::move(fields.name));
        }
    }
    if (out.cutLine.find('\0') != std::string::npos)
        out.nulLines.push_back(static_cast<int>(lineNumber + 1));
    return out;
}

MarkRepair markRecordedWinners(ParticipantLists &lists, const WinnerArray &names)
{
    MarkRepair repair;
    std::unordered_set<std::string> recorded;
    std::vector<std::string> inOrder;
    for (const auto &award : names)
        for (const auto &name : award)
            if (recorded.insert(name).second)
                inOrder.push_back(name);
    if (recorded.empty())
        return repair;
    std::unordered_set<std::string> drawn;
    std::unordered_map<std::string, size_t> firstUndrawn;
    for (size_t i = 0; i < lists.size(); ++i) {
        const std::string &name = lists.NameList[i];
        if (!recorded.count(name))
            continue;
        if (lists.StateList[i] == kDrawnMark)
            drawn.insert(name);
        else
            firstUndrawn.emplace(name, i);
    }
    for (const auto &name : inOrder) {
        if (drawn.count(name))
            continue;
        auto it = firstUndrawn.find(name);
        if (it == firstUndrawn.end()) {
            repair.missing.push_back(name);
            continue;
        }
        lists.StateList[it->second] = kDrawnMark;
        repair.marked.push_back(name);
    }
    return repair;
}

std::string orderFileText(const std::vector<int> &order)
{
    std::string text;
    text.reserve(order.size() * 9);
    char buffer[16];
    for (int v : order) {
        auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
        text.append(buffer, end);
        text += "\r\n";
    }
    return text;
}

int parseOrderFile(std::string_view text, size_t count, std::vector<int> &order)
{
    order.clear();
    const auto lines = splitLines(text);
    order.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        int v = -1;
        if (!parseInteger(lines[i], v) || v < 0 || static_cast<size_t>(v) >= count)
            return static_cast<int>(i + 1);
        order.push_back(v);
    }
    return 0;
}

SavedStateFit savedStateFits(size_t entries, std::string_view marksText, std::string_view orderText,
                             const DrawPosition &position)
{
    SavedStateFit fit;
    const std::string list = TSL_GBK("超出了名单：参选名单data.txt只有") + std::to_string(entries) + TSL_GBK("行。");
    const auto marks = splitLines(marksText);
    // A line beyond the list, or one naming an entry beyond it (an index, as
    // every line that is not the drawn mark holds).
    auto pastEnd = [entries](const std::string &line) {
        int v = -1;
        return parseInteger(line, v) && v >= 0 && static_cast<size_t>(v) >= entries;
    };
    if (marks.size() > entries)
        fit.problems.push_back(TSL_GBK("已抽标记文件colip.jpg有") + std::to_string(marks.size()) + TSL_GBK("行，") + list);
    else if (auto it = std::find_if(marks.begin(), marks.end(), pastEnd); it != marks.end())
        fit.problems.push_back(TSL_GBK("已抽标记文件colip.jpg第") + std::to_string(it - marks.begin() + 1) +
                               TSL_GBK("行的序号") + *it + list);
    if (position.OrderCursor >= 0 && static_cast<size_t>(position.OrderCursor) >= std::max<size_t>(entries, 1))
        fit.problems.push_back(TSL_GBK("set.dat中保存的抽取位置") + std::to_string(position.OrderCursor) + list);
    std::vector<int> order;
    fit.orderBadLine = parseOrderFile(orderText, entries, order);
    return fit;
}

int checkMarksFile(std::string_view text, size_t count)
{
    const auto lines = splitLines(text);
    if (lines.empty())
        return 0;
    for (size_t i = 0; i < lines.size() && i < count; ++i) {
        int v = -1;
        if (lines[i] != kDrawnMark && (!parseInteger(lines[i], v) || v != static_cast<int>(i)))
            return static_cast<int>(i + 1);
    }
    return lines.size() == count ? 0 : static_cast<int>(count + 1);
}

std::string batchLogBlock(std::string_view timestamp, std::string_view awardName, std::string_view batchLine)
{
    std::string block = headLine(timestamp, " ");
    block += '[';
    block += awardName;
    block += "] ";
    block += batchLine;
    block += "\r\n";
    return block;
}

std::string restartLogBlock(std::string_view timestamp, const WinnerArray &names)
{
    std::string block = headLine(timestamp, TSL_GBK("  重新开始抽奖前的抽奖结果"));
    block += kRule + "\r\n";
    for (const auto &award : names)
        for (const auto &name : award)
            block += name + "\r\n";
    block += kRule + "\r\n";
    return block;
}

std::string closingLogBlock(std::string_view timestamp, const AwardTable &awards, const WinnerArray &names)
{
    std::string block = headLine(timestamp, TSL_GBK("  关闭软件前的抽奖结果"));
    block += kRule + "\r\n";
    block += winnersSummary(awards, names);
    block += kRule + "\r\n";
    return block;
}

std::string winnersSummary(const AwardTable &awards, const WinnerArray &names)
{
    // Every award that has winners, also one a stale record names beyond the table.
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i].empty())
            continue;
        const LGrade &grade = awards.grades[i];
        text += grade.name + std::to_string(names[i].size()) + TSL_GBK("名(") + grade.prizeName + ")\r\n";
        for (const auto &name : names[i])
            text += name + "\r\n";
        text += "  \r\n";
    }
    return text;
}

std::string nonWinnersText(const ParticipantLists &lists)
{
    std::string text;
    for (size_t i = 0; i < lists.size(); ++i)
        if (lists.StateList[i] != kDrawnMark)
            text += lists.NameList[i] + "\r\n";
    return text;
}

Result<std::filesystem::path> WriteWinnersFile(const std::filesystem::path &programDir, const AwardTable &awards,
                                               const WinnerArray &names)
{
    auto path = programFile(programDir, files::kWinners);
    if (auto written = writeFileAtomic(path, winnersSummary(awards, names)); !written)
        return written.error();
    return path;
}

Result<std::filesystem::path> WriteNonWinnersFile(const std::filesystem::path &programDir,
                                                  const ParticipantLists &lists)
{
    auto path = programFile(programDir, files::kNonWinners);
    if (auto written = writeFileAtomic(path, nonWinnersText(lists)); !written)
        return written.error();
    return path;
}

}  // namespace tessaly
