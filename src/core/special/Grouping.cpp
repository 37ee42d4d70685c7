#include "special/Grouping.h"

#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

#include <charconv>

namespace tessaly {
namespace {

// Digits only, as the fields accept; long enough numbers still compare sanely.
std::optional<long long> lineNumber(const std::string &text)
{
    const std::string t = trimBlanks(text);
    long long v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size())
        return std::nullopt;
    return v;
}

}  // namespace

std::string awardLabel(const LGrade &award)
{
    return award.name + "(" + std::to_string(award.winners) + TSL_GBK("名)");
}

// The range text never holds ":", while an award's name may: a stored value or
// an item splits at its last colon (a name without one reads as before).
std::optional<LineRange> parseGroupRange(const std::string &value)
{
    const size_t colon = value.rfind(':');
    const std::string lines = colon == std::string::npos ? std::string() : value.substr(colon + 1);
    int first = 0, last = 0;
    if (!parseInteger(trimBlanks(SplitField(lines, '-', 1)), first) ||
        !parseInteger(trimBlanks(SplitField(lines, '-', 2)), last))
        return std::nullopt;
    return LineRange{first, last};
}

std::vector<std::string> groupingProblems(const IniStore &settings, int lucks)
{
    std::vector<std::string> problems;
    for (int i = 0; i < lucks; ++i) {
        const std::string key = std::to_string(i);
        const std::string value = settings.readString("Grfz", key);
        if (!trimBlanks(value).empty() && !parseGroupRange(value))
            problems.push_back(key + "=" + value);
    }
    return problems;
}

std::vector<std::string> readGroupItems(const IniStore &settings, int lucks)
{
    std::vector<std::string> items;
    for (int i = 0; i < lucks; ++i) {
        const std::string value = settings.readString("Grfz", std::to_string(i));
        if (trimBlanks(value).empty())
            continue;
        const size_t bar = value.find('|');
        items.push_back(bar == std::string::npos ? value : value.substr(bar + 1));
    }
    return items;
}

std::string groupItem(const std::string &label, const std::string &first, const std::string &last)
{
    return label + ":" + trimBlanks(first) + "-" + trimBlanks(last);
}

GroupCheck checkGroupInput(bool awardSelected, const std::string &first, const std::string &last,
                           size_t participantCount)
{
    auto refuse = [](const char *utf8, GroupField focus) { return GroupCheck{false, utf8ToGbk(utf8), focus}; };
    if (!awardSelected)
        return refuse("请选择中奖分组分配的奖项", GroupField::Award);
    const long long count = static_cast<long long>(participantCount);
    if (trimBlanks(first).empty())
        return refuse("请输入起始行", GroupField::First);
    const auto a = lineNumber(first);
    if (!a || *a < 1 || *a > count)
        return refuse("起始行数据要在参选人行数范围内，请重新输入", GroupField::First);
    if (trimBlanks(last).empty())
        return refuse("请输入终止行", GroupField::Last);
    const auto b = lineNumber(last);
    if (!b || *b < 1 || *b > count)
        return refuse("终止行数据要在参选人行数范围内，请重新输入", GroupField::Last);
    if (*a > *b)
        return refuse("起始行不能大于终止行，请重新输入", GroupField::First);
    return {};
}

void writeGrouping(IniStore &settings, bool enabled, const std::vector<std::string> &items,
                   const std::vector<std::string> &labels, int lucks)
{
    settings.writeBool("Option", "canfz", enabled);
    for (int i = 0; i < lucks; ++i) {
        const std::string key = std::to_string(i);
        if (!trimBlanks(settings.readString("Grfz", key)).empty())
            settings.deleteKey("Grfz", key);
    }
    for (const auto &item : items) {
        const std::string label = item.substr(0, item.rfind(':'));
        int index = -1;
        for (size_t i = 0; i < labels.size() && index < 0; ++i)
            if (equalsIgnoreAsciiCase(labels[i], label))
                index = static_cast<int>(i);
        settings.writeString("Grfz", std::to_string(index), std::to_string(index) + "|" + item);
    }
}

}  // namespace tessaly
