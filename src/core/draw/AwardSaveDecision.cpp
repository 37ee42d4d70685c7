#include "draw/AwardSaveDecision.h"

#include "draw/Shortage.h"
#include "settings/AwardTable.h"
#include "settings/Settings.h"
#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

#include <algorithm>

namespace tessaly {
namespace {

// A value of set.dat as it stands after the pending writes.
class AfterView {
public:
    AfterView(const IniStore &stored, const std::vector<SettingWrite> &writes) : m_stored(stored), m_writes(writes) {}

    std::string text(std::string_view section, std::string_view key, std::string_view def = {}) const
    {
        for (auto it = m_writes.rbegin(); it != m_writes.rend(); ++it)
            if (equalsIgnoreAsciiCase(it->section, section) && equalsIgnoreAsciiCase(it->key, key))
                return trimBlanks(it->value);
        return m_stored.readString(section, key, def);
    }
    int integer(std::string_view section, std::string_view key, int def) const
    {
        int v = def;
        return parseInteger(text(section, key), v) ? v : def;
    }
    bool boolean(std::string_view section, std::string_view key, bool def) const
    {
        int v = 0;
        return parseInteger(text(section, key), v) ? v != 0 : def;
    }

private:
    const IniStore &m_stored;
    const std::vector<SettingWrite> &m_writes;
};

// A Grade value with each field trimmed, so blanks around a field decide nothing.
std::string normalGrade(const std::string &value)
{
    std::string out;
    const int fields = std::max(6, fieldCount(value, '|'));
    for (int f = 1; f <= fields; ++f) {
        if (f > 1)
            out += '|';
        out += trimBlanks(SplitField(value, '|', f));
    }
    return out;
}

// The mask as the draw applies it: the range matters only while the mask is on.
std::string maskOf(const AfterView &v)
{
    if (!v.boolean("Option", "privacy", false))
        return "off";
    return v.text("Option", "privacystart", "1") + "-" + v.text("Option", "privacyend", "2");
}

}  // namespace

AwardSaveDecision decideAwardSave(const IniStore &stored, const std::vector<SettingWrite> &writes)
{
    const std::vector<SettingWrite> none;
    const AfterView before(stored, none), after(stored, writes);
    AwardSaveDecision d;
    auto compare = [&d](bool differs, std::string name) {
        if (differs)
            d.changed.push_back(std::move(name));
    };

    const int countBefore = std::clamp(before.integer("Option", "Lucks", 0), 0, kMaxAwards);
    const int countAfter = std::clamp(after.integer("Option", "Lucks", 0), 0, kMaxAwards);
    compare(countBefore != countAfter, "Option/Lucks");
    for (int i = 0; i < std::max(countBefore, countAfter); ++i) {
        const std::string key = std::to_string(i);
        compare(normalGrade(before.text("Grade", key)) != normalGrade(after.text("Grade", key)), "Grade/" + key);
    }
    compare(before.boolean("Option", "scrolldown", true) != after.boolean("Option", "scrolldown", true),
            "Option/scrolldown");
    compare(before.boolean("Option", "canreAward", false) != after.boolean("Option", "canreAward", false),
            "Option/canreAward");
    compare(maskOf(before) != maskOf(after), "Option/privacy");
    d.resetsDraw = !d.changed.empty();
    return d;
}

std::string shortageRefusal(const std::filesystem::path &programDir, const IniStore &stored,
                            const std::vector<SettingWrite> &writes)
{
    auto after = openSettings(programDir);
    if (!after)
        return {};  // the save itself reports a set.dat it cannot read
    for (const SettingWrite &w : writes)
        after->writeString(w.section, w.key, w.value);  // never committed: only looked at
    const auto before = eventShortage(programDir, stored);
    const auto now = eventShortage(programDir, *after);
    if (!now || !now->any() || (before && now->missing <= before->missing))
        return {};
    std::vector<std::string> problems;
    return TSL_GBK("中奖总名额不能大于参选人数！请重新设置奖项或检查参选人员（") +
           shortfallText(*now, loadAwardTable(*after, problems)) + TSL_GBK("）");
}

std::string awardResetQuestion(int recordedWinners)
{
    std::string text = TSL_GBK("所有参选名单(或图片)和所有奖项都将全部回归奖池！是否继续?（如已正式开始抽奖，请慎重选择）");
    if (recordedWinners > 0)
        text += TSL_GBK("\n\n注意：已抽出的") + std::to_string(recordedWinners) +
                TSL_GBK("名中奖人员的中奖记录将被清除（抽奖历史记录log.txt中仍保留）。");
    return text;
}

std::string factoryResetQuestion(int recordedWinners)
{
    return TSL_GBK("恢复默认设置将清除已抽出的") + std::to_string(recordedWinners) +
           TSL_GBK("名中奖人员的中奖记录，所有名单和奖项都将回到奖池（抽奖历史记录log.txt中仍保留）。是否继续？");
}

}  // namespace tessaly
