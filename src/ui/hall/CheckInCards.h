// The printed check-in cards: each person's name and code, eight cards to an
// A4 page with cut lines, written with Qt's PDF writer.
#pragma once

#include "core/Result.h"
#include "core/checkin/CheckInExport.h"

#include <filesystem>
#include <vector>

namespace tessaly {

Status writeCheckInCards(const std::vector<CodeRow> &rows, const std::filesystem::path &output);

}  // namespace tessaly
