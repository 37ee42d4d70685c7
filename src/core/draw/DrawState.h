// The run-time state of the draw that the main window owns through its
// session: the position, the flags, the captions the draw sets, and the
// options it reads from set.dat.
#pragma once

#include "settings/AwardTable.h"
#include "settings/IniStore.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

struct DrawState {
    int CurrentAward = 0;   // award being drawn (saved as currentLucki)
    int AwardCount = 0;     // awards in the table (Lucks)
    int CurrentBatch = 1;   // next batch of CurrentAward, from 1; batches + 1 after the last (currentSxtimes)
    int DrawnInAward = 0;   // winners drawn in CurrentAward (currentovernum)
    int OrderCursor = -1;   // PoolList index the next stop takes; -1 when none is left (currentnowgotodata)
    int RollCount = 0;      // PoolList entries still in play: positions 0 to RollCount - 1
    int OrderFloor = 0;     // PoolList positions below it roll but never win this award (currentorderfloor)
    int BatchSize = 0;      // winners of the prepared or rolling batch
    bool ScrollDown = true; // awards are drawn from the last one down to the first
    int BatchAward = 0;     // award the current batch is recorded under (a supplement's own award)
};

struct DrawFlags {
    bool BatchReady = false;
    bool Rolling = false;
    bool SupplementMode = false;
    bool RedrawMode = false;  // the batch rolling replaces one absent winner
    bool PredeterminedActive = false;
    bool PhotoMode = false;
    bool AdjustMode = false;
    bool StartingUp = false;
    bool TickBusy = false;
    bool GroupingEnabled = false;
    bool AudioReady = false;
};

// What the stage shows for the current batch.
enum class SlotMode { Slots, Grid, Photos };

inline constexpr int kSlotCount = 20;

// Captions of the main window that the draw sets (GBK). The window centres
// Status, Award and boss as the options say.
struct StageCaptions {
    std::string Status;
    std::string Award;          // prize name of the award of the prepared batch
    std::string AwardPicture;   // its prize picture as stored; an empty picture when the file is missing
    std::string boss;           // the draw guest of this award and batch
    bool readyLuckVisible = true;
    std::optional<std::string> readyLuck;  // replaces the banner's own text when set
    std::string GoButton;
    // The published commitment (8 groups of 4 hex digits, with its full hex for the
    // QR code) and the audit chain's latest hash after the last change.
    std::string proofCode;
    std::string proofHex;
    std::string chainHash;
    // The guests' numbers typed so far for the award about to begin, shown large.
    std::string guestNumbers;
};

// Options the draw reads with the appearance of the main window.
struct DrawOptions {
    bool canready = true;       // every batch is shown as ready before it starts
    bool canshowtxtpho = true;  // photo mode shows the winner's text under the photo
    bool Statuscenter = true;
    bool Gradecenter = true;
    bool bosscenter = true;
    bool readyLuckVisible = true;  // section readyLuck, key Visible
    int startkey = 32;
    int sndfo = 49237;
    int sndst = 49230;
    int addgradep = 0;  // first award a supplement appended; 0 while none
    bool canreAward = false;  // a winner may win again (the same entry may be taken twice)
    bool onlyCheckedIn = false;  // [Web] onlycheckedin: each award draws from the people checked in
};

DrawOptions readDrawOptions(const IniStore &settings);

using WinnerArray = std::array<std::vector<std::string>, kMaxAwards>;

}  // namespace tessaly
