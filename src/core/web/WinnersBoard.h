// What the hall's winners page shows: a snapshot of every award's winners that
// the draw publishes after each step, so the server's thread reads its own copy
// and never the draw itself.
#pragma once

#include <string>
#include <vector>

namespace tessaly {

class DrawSession;

struct BoardWinner {
    std::string text;        // as the stage shows it, masked when the privacy mask is on (GBK)
    std::string name;        // the unmasked name: only compared, never sent (GBK)
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

    // The page's data as UTF-8 JSON; unmasked names stay out of it.
    std::string json() const;
};

// The board of the session as it stands. Winners that were on `previous` and
// are gone from the session were given up: they stay on the board, marked
// withdrawn, so the hall sees the correction rather than a name vanishing.
WinnersBoard boardOf(const DrawSession &session, const WinnersBoard &previous);

// A JSON string literal of GBK text, with everything a page could take for
// markup escaped as \u sequences.
std::string jsonString(const std::string &gbk);

}  // namespace tessaly
