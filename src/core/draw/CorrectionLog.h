// The history blocks of the corrections made during a draw: a give-up, the
// setting up of a supplement and a prize rename. Each block reads like the
// other blocks of log.txt: an empty line, the time in angle brackets with a
// heading, then one line naming the award in square brackets.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// "<time>  弃奖" and "[award] name  " with, when the person may win again, a note saying so.
std::string giveUpLogBlock(std::string_view timestamp, std::string_view awardName, std::string_view name,
                           bool returnedToPool);

// "<time>  补奖" and the award with the number to draw; a new award says so and names its prize.
std::string supplementLogBlock(std::string_view timestamp, std::string_view awardName, int count, bool newAward,
                               std::string_view prizeName);

// "<time>  临时修改奖品" and the award with the old and the new prize name.
std::string prizeRenameLogBlock(std::string_view timestamp, std::string_view awardName, std::string_view oldPrize,
                                std::string_view newPrize);

}  // namespace tessaly
