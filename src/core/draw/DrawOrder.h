// Deciding an award's winners in advance: the pool of entries still in play,
// the predetermined and excluded people, and the draw order that every stop
// of the award then takes its winners from, last item first.
#pragma once

#include "draw/Random.h"
#include "participants/ParticipantList.h"

#include <optional>
#include <string>
#include <vector>

namespace tessaly {

// Entry indices first to last, both inclusive; empty when last < first.
struct EntryRange {
    int first = 0;
    int last = -1;
};

// The entries of lines first to last (counted from 1) that exist in a list of
// `count` entries.
EntryRange entryRangeOfLines(long long firstLine, long long lastLine, size_t count);

struct DrawOrderRequest {
    int award = 0;            // the award whose winners are decided
    int count = 0;            // winners to choose
    bool keep = false;        // predetermined people stay in the pool (a supplement)
    bool useLists = false;    // apply the predetermined and exclusion lists
    bool canreAward = false;  // a chosen entry stays in the pool
    bool ntcanrandom = true;  // mix the chosen winners
    EntryRange range;
    // With useLists: the predetermined names of every award by index, and the
    // names that may not win this award, each in list order.
    std::vector<std::vector<std::string>> predetermined;
    std::vector<std::string> excluded;
    // When set, only the entries marked here (by index) enter the pool: the
    // people checked in when the award took its pool.
    std::optional<std::vector<char>> eligible;
};

enum class PoolShortage {
    None,
    Empty,  // nobody eligible: the award draws no one
    Short,  // fewer eligible entries than winners: the count was cut
};

struct DrawOrder {
    // Set-aside part (excluded, then predetermined for other awards), the
    // remaining pool, then the chosen winners in the order they are taken from
    // the end. Empty when the pool was empty.
    std::vector<int> PoolList;
    PoolShortage shortage = PoolShortage::None;
    int chosen = 0;    // winners at the end of PoolList
    int setAside = 0;  // entries at the start of PoolList that roll but may not win this award

    bool built() const { return shortage != PoolShortage::Empty; }
};

// Takes entries already drawn out of the part of an order still in play
// (positions 0 to cursor), moving the cursor and the floor with them; an entry
// written twice stays only at the higher place. Returns how many went.
int removeDrawnFromPlay(std::vector<int> &order, int &cursor, int &floor, const std::vector<std::string> &state);

DrawOrder buildDrawOrder(const ParticipantLists &lists, const DrawOrderRequest &request, RandomSource &random);

}  // namespace tessaly
