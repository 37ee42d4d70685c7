// "只抽已签到的人": who is checked in, as entries of the list, and the pools the
// awards took from them. Each award takes its pool once, at its first roll, and
// keeps it in checkin_pools.dat, so a restart, a supplement or a re-draw of that
// award draws from the same people, and later check-ins go to the next award.
#pragma once

#include "Result.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// One mark per entry of the list: 1 when the entry's code is checked in.
// Read from the files, so an answered check-in (already on disk) always counts.
Result<std::vector<char>> checkedInEntries(const std::filesystem::path &programDir,
                                           const std::vector<std::string> &names);

// Award index -> the entries (by index, ascending) checked in when it took its pool.
using HallPools = std::map<int, std::vector<int>>;

// "award|count|i,i,i" per line, CR LF.
std::string formatHallPools(const HallPools &pools);
// Lines that do not parse, or whose count does not match, are left out: such an
// award takes its pool again rather than draw from a wrong one. Indices at or
// past `entries` are dropped.
HallPools parseHallPools(std::string_view text, size_t entries);

// The pool as marks over a list of `entries`.
std::vector<char> poolMarks(const std::vector<int> &pool, size_t entries);

}  // namespace tessaly
