#include "draw/DrawRecord.h"

#include "files/FileIo.h"
#include "files/Paths.h"
#include "settings/ProgramFiles.h"
#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

#include <charconv>
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
    p.CurrentAward = settings.readInteger("Option", "currentLucki", 0);
    p.CurrentBatch = settings.readInteger("Option", "currentSxtimes", 1);
    p.OrderCursor = settings.readInteger("Option", "currentnowgotodata", 0);
    p.DrawnInAward = settings.readInteger("Option", "currentovernum", 0);
    p.OrderFloor = settings.readInteger("Option", "currentorderfloor", 0);
    return p;
}

std::vector<SettingWrite> drawPositionWrites(const DrawPosition &p)
{
    return {{"Option", "currentLucki", std::to_string(p.CurrentAward)},
            {"Option", "currentSxtimes", std::to_string(p.CurrentBatch)},
            {"Option", "currentnowgotodata", std::to_string(p.OrderCursor)},
            {"Option", "currentovernum", std::to_string(p.DrawnInAward)},
            {"Option", "currentorderfloor", std::to_string(p.OrderFloor)}};
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

RecordReadout readRecordLines(std::string_view text)
{
    RecordReadout out;
    const auto lines = splitLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        if (line.empty())
            continue;  // the line after every batch; a line of blanks is a record gone wrong
        int award = -1;
        if (!parseInteger(SplitField(line, '|', 1), award) || award < 0 || award >= kMaxAwards) {
            out.badLines.push_back(static_cast<int>(i + 1));
            continue;
        }
        out.winners[static_cast<size_t>(award)].push_back(SplitField(line, '|', 2));
        out.names[static_cast<size_t>(award)].push_back(SplitField(line, '|', 3));
    }
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
