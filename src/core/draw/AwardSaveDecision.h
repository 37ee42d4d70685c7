// Which changes of the award settings window decide the draw. Saving the
// window returns every participant and award to the pool only when one of
// them changed: the award table (names, winners, batches, prizes, pictures,
// their order), the draw order, repeated winning and the privacy mask.
// Titles, window mode, hide boxes, speed and the start key are saved with the
// draw left exactly where it is.
#pragma once

#include "draw/DrawRecord.h"
#include "settings/IniStore.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tessaly {

struct AwardSaveDecision {
    bool resetsDraw = false;
    std::vector<std::string> changed;  // "Section/key" of every deciding value that changes
};

// Compares the deciding values of set.dat as stored with the same values after
// `writes` (the whole save, in order; the last write of a key wins).
AwardSaveDecision decideAwardSave(const IniStore &stored, const std::vector<SettingWrite> &writes);

// The participant check of the save: refused (GBK message) only when the new
// table and repeat-win setting leave more winners undrawn than the stored ones
// (a title or a prize name changes nothing); empty when the save may go on.
std::string shortageRefusal(const std::filesystem::path &programDir, const IniStore &stored,
                            const std::vector<SettingWrite> &writes);

// The confirmation asked before such a save (GBK); with recorded winners it
// says how many records the reset clears and that log.txt keeps them.
std::string awardResetQuestion(int recordedWinners);

// The second question of restoring the factory settings while winners are
// recorded (GBK).
std::string factoryResetQuestion(int recordedWinners);

}  // namespace tessaly
