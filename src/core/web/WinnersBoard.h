// What the hall's winners page shows: a snapshot of every award's winners that
// the draw publishes after each step, so the server's thread reads its own copy
// and never the draw itself.
#pragma once

#include "checkin/CheckInCodes.h"

#include <optional>
#include <string>
#include <vector>

namespace tessaly {

class DrawSession;
struct DrawEvent;

struct BoardWinner {
    std::string text;  // as the stage shows it, masked when the privacy mask is on (GBK)
    // The entry drawn: "我中奖了吗？" answers a code for its own entry, never
    // for a namesake; empty when the record names nobody of the list.
    std::optional<EntryKey> who;
    bool withdrawn = false;  // given up after the draw: shown struck through
};

struct BoardAward {
    std::string awardName;  // GBK
    std::string prizeName;  // GBK
    int winners = 0;        // the award's number of winners
    std::vector<BoardWinner> list;
};

struct WinnersBoard {
    long version = 0;
    std::vector<BoardAward> awards;
    int currentAward = -1;  // the award the next or rolling batch belongs to
    int currentBatch = 0;   // from 1
    int batches = 0;
    bool rolling = false;
    bool complete = false;
    std::string auditHash;  // the latest hash of the verifiable draw's log, when there is one

    // The page's data as UTF-8 JSON; unmasked names and entries stay out of it.
    std::string json() const;
};

// What the hall may be shown of the draw: the event stream says when a stop's
// records are on disk, and until then its winners stay off the board.
class BoardFeed {
public:
    void observe(const DrawEvent &event, const DrawSession &session);
    // The board of the session as it stands, without winners not yet on disk;
    // withdrawn winners stay on it, struck through.
    WinnersBoard board(const DrawSession &session) const;

private:
    int m_heldAward = -1;  // the award of a stop whose save failed
    size_t m_durable = 0;  // its winners that were on disk before that stop
};

// A JSON string literal of GBK text, with everything a page could take for
// markup escaped as \u sequences.
std::string jsonString(const std::string &gbk);

}  // namespace tessaly
