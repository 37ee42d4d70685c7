#include "draw/Replacement.h"

namespace tessaly {

int chooseReplacement(RandomSource &random, int inPlay)
{
    return inPlay < 1 ? -1 : random.below(inPlay);
}

}  // namespace tessaly
