// Keeping the stage readable: where the rolling slots may stand, slot grids and
// text blocks shrunk or re-flowed until they fit there, captions kept clear of
// the prize picture, and a window kept on its screen.
#pragma once

#include "settings/IniStore.h"
#include "stage/SlotLayout.h"
#include "stage/TextMeasurer.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessaly {

struct StageRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int right() const { return left + width; }    // one past the last column
    int bottom() const { return top + height; }   // one past the last row
    bool empty() const { return width <= 0 || height <= 0; }
    bool intersects(const StageRect &o) const
    {
        return !empty() && !o.empty() && left < o.right() && o.left < right() && top < o.bottom() && o.top < bottom();
    }
    bool inside(const StageRect &outer) const
    {
        return left >= outer.left && top >= outer.top && right() <= outer.right() && bottom() <= outer.bottom();
    }
    bool operator==(const StageRect &) const = default;
};

// Pairs (i, j), i < j, of rectangles that overlap.
std::vector<std::pair<size_t, size_t>> overlappingPairs(const std::vector<StageRect> &rects);

// The area the rolling slots may use, centred on the stage: below every element
// standing in the upper half, and above or beside those in the lower half
// (whichever leaves the larger area), with a margin. When they leave almost
// nothing, the middle half of the stage is used.
StageRect slotArea(int stageWidth, int stageHeight, const std::vector<StageRect> &elements);

// The areas worth trying for the slots, slotArea's first; then, for each
// element of the lower half the area may end above, the widest stretch free
// of the others, centred or not (beside a prize picture and its name, the
// left of the stage is often higher than the whole width is).
std::vector<StageRect> slotAreaCandidates(int stageWidth, int stageHeight, const std::vector<StageRect> &elements);

// The largest font size not above the font's own whose text is at most
// `maxWidth` wide; never below minSize.
int sizeToFitWidth(FontSpec font, std::string_view text, int maxWidth, int minSize, const TextMeasurer &measurer);

// A font with its size (and the stored height that goes with it) replaced.
FontSpec withSize(FontSpec font, int size);

// Where a caption `width` wide, standing in the rows [top, top + height),
// goes: centred on the stage when that keeps it clear of the obstacles,
// otherwise centred in the widest free stretch of its rows. `room` is the
// width that stretch offers (a wider caption must shrink to it).
struct CaptionPlace {
    int left = 0;
    int room = 0;
};
CaptionPlace placeCentredCaption(int stageWidth, const StageRect &caption, const std::vector<StageRect> &obstacles,
                                 int margin = 10);

// Slot grid of n (1 to 20) in the area: one column up to 10 slots, two above,
// as the automatic arrangement always did, but the font shrinks from its stored
// size until the grid fits the area, and the grid is centred in the area.
SlotGridLayout fitSlotGrid(int n, const StageRect &area, TextSize stage, const std::string &longestEntry,
                           SlotGridLayout base, const TextMeasurer &measurer);

// The text block of a batch over 20 in the area: tries the entries-per-line
// counts around the one that suits the area's shape (and the count the
// settings give) and keeps the one with the largest font that fits; the font
// starts from `style` (its size is the ceiling). Nothing when even size 1
// does not fit.
std::optional<SlotBlockLayout> fitSlotBlock(int n, const std::string &longestEntry, const SlotAutoSet &autoset,
                                            const StageRect &area, TextSize stage, const FontSpec &style,
                                            const TextMeasurer &measurer);

// The look of the stage's existing slot layouts (the nearest batch size that
// has a stored font), for a batch size that has none of its own yet.
struct SlotStyle {
    FontSpec font;
    bool transparent = true;
    TColor color = colors::clGreen;
};
std::optional<SlotStyle> existingSlotStyle(const IniStore &store, int n);
// The batch size has a slot font of its own in the settings.
bool hasOwnSlotStyle(const IniStore &store, int n);

// The lefts of the start and stop buttons: centred with `gap` between them,
// the gap narrowed (to 20 at least) and then the pair moved left when the stop
// button would reach `rightLimit` (the prize picture's left, less a margin).
std::pair<int, int> placeButtonPair(int stageWidth, int goWidth, int stopWidth, int gap, int rightLimit);

// Contrast of two colours as the accessibility guidelines define it: from 1
// (the same) to 21 (black on white); text reads well from 4.5 up.
double relativeLuminance(int red, int green, int blue);
double contrastRatio(double luminanceA, double luminanceB);

// A window of the wanted client size and position, kept with its frame on the
// available screen area: shrunk to fit, then moved inside.
struct FrameMargins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
StageRect fitWindowOnScreen(const StageRect &available, const StageRect &client, const FrameMargins &frame);

}  // namespace tessaly
