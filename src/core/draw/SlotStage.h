// What the stage does for the draw when a roll starts: place the slots or the
// text block of a batch size. The window implements it with its labels and
// font metrics; without one the draw only reads the stored text-block layout.
#pragma once

namespace tessaly {

class SlotStage {
public:
    virtual ~SlotStage() = default;
    // Lays out Label1 to Label20 for a batch of up to 20, captions cleared.
    virtual void layoutSlots(int batchSize) = 0;
    // Lays out Label21 for a larger batch, arranging it first when the stored
    // layout was made for another screen; its row length, spacing and blank
    // lines are stored when this returns.
    virtual void layoutTextBlock(int batchSize) = 0;
};

}  // namespace tessaly
