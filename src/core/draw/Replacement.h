// The choice of the one who replaces an absent winner: uniform among the
// entries still in play for the award, never simply the next one of the stored
// order (which would favour the end of the list).
#pragma once

#include "draw/Random.h"

namespace tessaly {

// A position in [0, inPlay), every one equally likely; -1 when none is in play.
int chooseReplacement(RandomSource &random, int inPlay);

}  // namespace tessaly
