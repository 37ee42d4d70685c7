#include "web/WinnersBoard.h"

#include "draw/DrawEvents.h"
#include "draw/DrawSession.h"
#include "text/Gbk.h"

#include <algorithm>
#include <unordered_map>

namespace tessaly {

std::string jsonString(const std::string &gbk)
{
    const std::string utf8 = gbkToUtf8(gbk);
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c < 0x20 || c == '"' || c == '\\' || c == '<' || c == '>' || c == '&' || c == '\'' || c == 0x7F) {
            static constexpr char digits[] = "0123456789abcdef";
            out += "\\u00";
            out += digits[c >> 4];
            out += digits[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string WinnersBoard::json() const
{
    std::string out = "{\"version\":" + std::to_string(version) + ",\"current\":" + std::to_string(currentAward) +
                      ",\"batch\":" + std::to_string(currentBatch) + ",\"batches\":" + std::to_string(batches) +
                      ",\"rolling\":" + (rolling ? "true" : "false") + ",\"complete\":" + (complete ? "true" : "false") +
                      ",\"hash\":" + jsonString(auditHash) + ",\"awards\":[";
    for (size_t i = 0; i < awards.size(); ++i) {
        const BoardAward &a = awards[i];
        out += (i ? ",{" : "{");
        out += "\"award\":" + jsonString(a.awardName) + ",\"prize\":" + jsonString(a.prizeName) +
               ",\"count\":" + std::to_string(a.winners) + ",\"winners\":[";
        for (size_t k = 0; k < a.list.size(); ++k) {
            out += (k ? ",[" : "[");
            out += jsonString(a.list[k].text) + (a.list[k].withdrawn ? ",1]" : ",0]");
        }
        out += "]}";
    }
    return out + "]}";
}

void BoardFeed::observe(const DrawEvent &event, const DrawSession &session)
{
    switch (event.kind) {
    case DrawEventKind::Stopped:
        if (!event.saved && event.award >= 0 && event.award < kMaxAwards) {
            const size_t recorded = session.AwardWinners()[static_cast<size_t>(event.award)].size();
            m_heldAward = event.award;
            m_durable = recorded - std::min(recorded, session.lastBatch().size());
        }
        break;
    case DrawEventKind::RecordsWritten:
    case DrawEventKind::Reset:
        m_heldAward = -1;
        break;
    default:
        break;
    }
}

WinnersBoard BoardFeed::board(const DrawSession &session) const
{
    WinnersBoard board;
    const AwardTable &table = session.awards();
    const auto &lists = session.lists();
    const int count = std::clamp(table.AwardCount, 0, kMaxAwards);

    // A winner's entry: the entries drawn under that name, in list order, one
    // for each time the name won (the same entry again when it may win twice).
    const std::vector<EntryKey> keys = entryKeysOf(lists.NameList);
    std::unordered_map<std::string, std::vector<size_t>> drawnByName;
    for (size_t i = 0; i < lists.size(); ++i)
        if (lists.StateList[i] == kDrawnMark)
            drawnByName[lists.NameList[i]].push_back(i);
    std::unordered_map<std::string, size_t> used;
    auto entryOf = [&](const std::string &name) -> std::optional<EntryKey> {
        const auto it = drawnByName.find(name);
        if (it == drawnByName.end())
            return std::nullopt;
        const size_t k = std::min(used[name]++, it->second.size() - 1);
        return keys[it->second[k]];
    };

    for (int i = 0; i < count; ++i) {
        BoardAward award;
        award.awardName = table[i].name;
        award.prizeName = table[i].prizeName;
        award.winners = table[i].winners;
        const auto &texts = session.AwardWinners()[static_cast<size_t>(i)];
        const auto &names = session.AwardWinnerNames()[static_cast<size_t>(i)];
        const size_t shown = i == m_heldAward ? std::min(m_durable, texts.size()) : texts.size();
        for (size_t k = 0; k < shown; ++k)
            award.list.push_back({texts[k], k < names.size() ? entryOf(names[k]) : std::nullopt, false});
        for (const auto &w : session.withdrawn()[static_cast<size_t>(i)]) {
            std::optional<EntryKey> who;
            if (w.entry >= 0 && static_cast<size_t>(w.entry) < keys.size())
                who = keys[static_cast<size_t>(w.entry)];
            award.list.push_back({w.display, who, true});
        }
        board.awards.push_back(std::move(award));
    }
    const DrawState &state = session.state();
    board.currentAward = state.BatchAward;
    board.currentBatch = state.CurrentBatch;
    board.batches = state.BatchAward >= 0 && state.BatchAward < count ? table[state.BatchAward].batchCount : 0;
    board.rolling = session.flags().Rolling;
    board.complete = session.IsDrawComplete();
    return board;
}

}  // namespace tessaly
