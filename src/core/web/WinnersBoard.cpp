#include "web/WinnersBoard.h"

#include "draw/DrawSession.h"
#include "text/Gbk.h"

#include <algorithm>

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

WinnersBoard boardOf(const DrawSession &session, const WinnersBoard &previous)
{
    WinnersBoard board;
    board.version = previous.version + 1;
    board.auditHash = previous.auditHash;
    const AwardTable &table = session.awards();
    const int count = std::clamp(table.AwardCount, 0, kMaxAwards);
    // A draw returned to the pool starts a clean board; otherwise a name gone is a give-up.
    const bool reset = std::all_of(session.AwardWinners().begin(), session.AwardWinners().end(),
                                   [](const auto &list) { return list.empty(); });
    for (int i = 0; i < count; ++i) {
        BoardAward award;
        award.awardName = table[i].name;
        award.prizeName = table[i].prizeName;
        award.winners = table[i].winners;
        const auto &texts = session.AwardWinners()[static_cast<size_t>(i)];
        const auto &names = session.AwardWinnerNames()[static_cast<size_t>(i)];
        for (size_t k = 0; k < texts.size(); ++k)
            award.list.push_back({texts[k], k < names.size() ? names[k] : texts[k], false});
        // Keep who was on the board before and is no longer drawn here: a give-up.
        if (!reset && static_cast<size_t>(i) < previous.awards.size()) {
            std::vector<BoardWinner> still = award.list;
            for (const BoardWinner &was : previous.awards[static_cast<size_t>(i)].list) {
                auto it = std::find_if(still.begin(), still.end(),
                                       [&](const BoardWinner &w) { return w.name == was.name && !was.withdrawn; });
                if (it != still.end())
                    still.erase(it);
                else
                    award.list.push_back({was.text, was.name, true});
            }
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
