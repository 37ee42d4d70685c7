// Handing the show over to a spare laptop: a start on a mirror folder (or on
// a folder whose mirror is further on) continues from the copy that holds the
// most saves, copied to a local folder first, so the stick never becomes the
// working copy.
#pragma once

#include "Result.h"
#include "files/EventMirror.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

struct TakeoverOffer {
    std::filesystem::path further;  // the copy to continue from
    long long startedCount = 0;     // saves of the folder the program was started on
    long long furtherCount = 0;
    std::string question;           // GBK, asked before anything is copied
};

// What a start on `folder` offers: nothing for an event folder whose mirror is
// not further on, a takeover for a mirror folder or a further mirror. A mirror
// of another event is never offered: its ID is named in the error.
Result<std::optional<TakeoverOffer>> offerTakeover(const std::filesystem::path &folder,
                                                   const std::optional<std::filesystem::path> &mirror);

// Copies the further copy into `local` (a new folder), leaving the marker and
// the files of the run behind.
Status copyForTakeover(const std::filesystem::path &further, const std::filesystem::path &local);

// A new local folder for a takeover of the event: beside `base`, named by the
// event ID and a running number.
std::filesystem::path takeoverFolder(const std::filesystem::path &base, const std::string &eventId);

// The names of the last batch ARecord.dat holds, in drawing order.
std::vector<std::string> lastRecordedBatch(const std::filesystem::path &folder);

}  // namespace tessaly
