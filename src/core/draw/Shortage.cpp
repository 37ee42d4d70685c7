#include "draw/Shortage.h"

#include "draw/Random.h"
#include "participants/ParticipantList.h"
#include "settings/ProgramFiles.h"
#include "settings/Settings.h"
#include "special/Grouping.h"
#include "special/SpecialLists.h"
#include "text/Gbk.h"
#include "text/Lines.h"

#include <algorithm>

namespace tessaly {

Result<DrawOrderRequest> readAwardRules(const std::filesystem::path &programDir, const IniStore &settings, int award,
                                        int count, bool keep, bool useLists, bool grouping, size_t entries)
{
    DrawOrderRequest request;
    request.award = award;
    request.count = count;
    request.keep = keep;
    request.useLists = useLists;
    request.range = {0, static_cast<int>(entries) - 1};
    request.canreAward = settings.readBool("Option", "canreAward", false);
    request.ntcanrandom = settings.readBool("Option", "ntcanrandom", true);
    const std::string range = settings.readString("Grfz", std::to_string(award));
    if (grouping && !trimBlanks(range).empty()) {
        // A range that cannot be read holds nobody; the start named it already.
        if (auto lines = parseGroupRange(range))
            request.range = entryRangeOfLines(lines->first, lines->last, entries);
        else
            request.range = {};
    }
    if (useLists) {
        const int lucks = std::clamp(settings.readInteger("Option", "Lucks", 0), 0, kMaxAwards);
        auto predetermined = openIniFile(programDir, files::kPredetermined);
        if (!predetermined)
            return predetermined.error();
        for (int k = 0; k < lucks; ++k)
            request.predetermined.push_back(readListNames(*predetermined, std::to_string(k + 1)));
        auto excluded = openIniFile(programDir, files::kExclusions);
        if (!excluded)
            return excluded.error();
        request.excluded = readListNames(*excluded, std::to_string(award + 1));
    }
    return request;
}

Shortage assessShortage(const ParticipantLists &lists, const std::vector<DrawOrderRequest> &plan)
{
    Shortage shortage;
    ParticipantLists marks;  // only StateList and NameList are read by the order
    marks.NameList = lists.NameList;
    marks.StateList = lists.StateList;
    MtRandom random(1);
    for (const DrawOrderRequest &request : plan) {
        const DrawOrder order = buildDrawOrder(marks, request, random);
        const int drawn = order.built() ? std::min(order.chosen, std::max(request.count, 0)) : 0;
        if (drawn < request.count) {
            shortage.awards.push_back({request.award, request.count, drawn});
            shortage.missing += request.count - drawn;
        }
        if (!request.canreAward && order.built())
            for (size_t k = order.PoolList.size() - static_cast<size_t>(order.chosen); k < order.PoolList.size(); ++k)
                marks.StateList[static_cast<size_t>(order.PoolList[k])] = kDrawnMark;
    }
    return shortage;
}

std::vector<int> drawingOrder(int first, int awardCount, bool scrollDown)
{
    std::vector<int> order;
    for (int i = first; i >= 0 && i < awardCount; i += scrollDown ? -1 : 1)
        order.push_back(i);
    return order;
}

Result<Shortage> eventShortage(const std::filesystem::path &programDir, const IniStore &settings)
{
    ParticipantLists lists;
    if (Status loaded = LoadParticipants(programDir, lists); !loaded)
        return loaded.error();
    lists.StateList.clear();
    for (size_t i = 0; i < lists.size(); ++i)
        lists.StateList.push_back(std::to_string(i));
    const GradeConfig config = readConfigGrade(settings, programDir);
    const bool grouping = settings.readBool("Option", "canfz", false);
    const bool useLists = settings.readInteger("Option", "ntfs", 0) != 0;
    const int first = config.ScrollDown ? config.awards.AwardCount - 1 : 0;
    std::vector<DrawOrderRequest> plan;
    for (int award : drawingOrder(first, config.awards.AwardCount, config.ScrollDown)) {
        auto rules = readAwardRules(programDir, settings, award, config.awards[award].winners, false, useLists, grouping,
                                    lists.size());
        if (!rules)
            return rules.error();
        plan.push_back(std::move(*rules));
    }
    return assessShortage(lists, plan);
}

std::string shortfallText(const Shortage &shortage, const AwardTable &awards)
{
    std::string names;
    for (size_t i = 0; i < shortage.awards.size() && i < 5; ++i) {
        const int award = shortage.awards[i].award;
        if (i)
            names += TSL_GBK("、");
        names += award >= 0 && award < awards.AwardCount ? awards[award].name : std::to_string(award + 1);
    }
    if (shortage.awards.size() > 5)
        names += TSL_GBK("等");
    return names + TSL_GBK("将抽不满，共少抽 ") + std::to_string(shortage.missing) + TSL_GBK(" 人");
}

}  // namespace tessaly
