// The stage shown on a screen of another size than the one its stored layout
// was arranged for: positions and font sizes in proportion, worked out in
// memory for the screen at hand and converted back when the layout is saved,
// so that what is stored always describes the stage at its own screen size.
#pragma once

#include "stage/PhotoGrid.h"
#include "stage/ResultsText.h"
#include "stage/SlotLayout.h"
#include "stage/StageFit.h"
#include "stage/TextMeasurer.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// Option key: the stored layout is shown in proportion to the screen (on unless "0").
inline constexpr const char *kFitToScreenKey = "fitscreen";

// What an element keeps its distance to along one axis when the stage changes
// size: the start edge, the centre, the end edge, or both edges (it spans the stage).
enum class Anchor { Start, Centre, End, Stretch };

// The anchor of [start, start + length) on a stage `extent` long: both edges
// when it runs from edge to edge, otherwise whichever of the start edge, the
// centre and the end edge it stands nearest to.
Anchor anchorOf(int start, int length, int extent);

// "1920*1080" as a size; nothing for a text that is not a screen size.
std::optional<TextSize> parseScreenKey(std::string_view key);

// The shapes (width to height) of two screens differ by more than 10 %: a
// layout made for one does not suit the other by scaling alone.
bool shapeDiffers(TextSize a, TextSize b);

// Whether the stored main layout must be arranged anew for the stage: a layout
// never arranged always; one made for another shape only when the stage is
// fitted to the screen; any other size when it is not.
bool layoutNeedsArranging(std::string_view storedScreenKey, TextSize stage, bool fitToScreen);

// Whether a section stored with `storedScreenKey` (a slot layout, the results
// window) is arranged anew before it is shown: the first time always; fitted to
// the screen, any later size shows it in proportion, otherwise another size
// arranges it anew.
bool sectionNeedsArranging(std::string_view storedScreenKey, TextSize stage, bool fitToScreen);

// How much larger than on a 1920x1080 stage the program's own marks on the
// stage (the commitment badge) are drawn: in proportion on a larger stage
// fitted to its screen, never smaller than that.
double overlayScale(TextSize stage, bool fitToScreen);

// The size a layout never arranged (the shipped one, whose fonts are drawn for
// a 1080-line stage) is arranged and stored for: on a larger stage fitted to
// its screen, a stage of the same shape brought down by the overlay scale, so
// that it shows in proportion; otherwise the stage itself.
TextSize firstArrangementSize(TextSize stage, bool fitToScreen);

class StageScale {
public:
    StageScale() = default;  // the identity
    StageScale(TextSize reference, TextSize stage);
    // For a layout stored with `storedScreenKey`: the identity when the stage is
    // not fitted to the screen; for a key that is not a screen size (a layout
    // never arranged), as made for firstArrangementSize.
    static StageScale forStored(std::string_view storedScreenKey, TextSize stage, bool fitToScreen);

    TextSize reference() const { return m_reference; }
    TextSize stage() const { return m_stage; }
    std::string referenceKey() const;
    bool identity() const { return m_reference == m_stage; }
    bool sameShape() const { return !shapeDiffers(m_reference, m_stage); }
    // Sizes grow by the smaller of the width and height factors, so that
    // nothing leaves the stage; the larger one is the room a wider (or
    // taller) stage offers besides.
    double factor() const;
    double largerFactor() const;

    StageRect toStage(const StageRect &stored) const;
    StageRect toStored(const StageRect &shown) const;
    int lengthToStage(int length) const;
    int lengthToStored(int length) const;
    FontSpec fontToStage(const FontSpec &font) const;
    FontSpec fontToStored(const FontSpec &font) const;

private:
    StageRect map(const StageRect &r, TextSize from, TextSize to, double factor) const;

    TextSize m_reference{1, 1};
    TextSize m_stage{1, 1};
};

// A stored slot grid on the stage, the slots moving as one block that keeps
// its anchor, and the grid as shown converted back to its stored form.
SlotGridLayout slotGridToStage(const SlotGridLayout &stored, const StageScale &scale);
SlotGridLayout slotGridToStored(const SlotGridLayout &shown, const StageScale &scale);
SlotBlockLayout slotBlockToStage(const SlotBlockLayout &stored, const StageScale &scale);
SlotBlockLayout slotBlockToStored(const SlotBlockLayout &shown, const StageScale &scale);

// The picture slots of photo mode the same way: the first n places as one
// block, and their caption font. Back, the places shown become the stored ones.
PhotoSlotLayout photoSlotsToStage(const PhotoSlotLayout &stored, int n, const StageScale &scale);
std::vector<StageRect> photoSlotsToStored(const std::vector<StageRect> &shown, const StageScale &scale);

// The slots of a batch of n (1 to 20) on a stage of another shape than the
// stored layout's: the grid takes the room the free areas offer, with as many
// columns as give the largest names, its font between the stored size grown by
// the smaller factor (never smaller) and by the larger. The stored grid scaled
// when even the smaller size does not fit.
SlotGridLayout fitScaledSlotGrid(int n, const std::vector<StageRect> &areas, const std::string &longestEntry,
                                 const SlotGridLayout &stored, const StageScale &scale, const TextMeasurer &measurer);
// The same for the text block of a batch over 20.
SlotBlockLayout fitScaledSlotBlock(int n, const std::vector<StageRect> &areas, const std::string &longestEntry,
                                   const SlotAutoSet &autoset, const SlotBlockLayout &stored, const StageScale &scale,
                                   const TextMeasurer &measurer);

// The results list of a window shown in proportion. Its names take the stored
// font grown by the smaller factor; on a stage of another shape they grow as far
// as a line stays within `roomWidth`, up to the growth of the stage's area in
// length (the square root of the two factors), so that a wide wall shows larger
// names without losing most of the lines in view. The winners per line are the
// stored count, fewer only when a line is too wide even at the smallest size.
struct ResultsFit {
    ResultsText text;
    FontSpec font;
    int perRow = 1;
};
ResultsFit fitScaledResults(const AwardTable &awards, WinnerLists winners, int perRow, bool showPrize,
                            const FontSpec &stored, const StageScale &scale, int roomWidth,
                            const TextMeasurer &measurer);

}  // namespace tessaly
