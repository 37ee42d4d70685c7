// Stored layouts of the rolling slots, one per batch size: up to 20 separate
// slots (sections "<n>all" and "<n>label"), or one text block for larger
// batches (section "<n>"), and the automatic arrangement of both.
#pragma once

#include "Result.h"
#include "settings/FontKeys.h"
#include "settings/IniStore.h"
#include "stage/TextMeasurer.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

inline constexpr int kMaxSlots = 20;
// Blanks between two entries of the text block.
inline constexpr int kMaxBlockSpacing = 28;

struct SlotPosition {
    int left = 0;
    int top = 0;
    bool operator==(const SlotPosition &) const = default;
};

struct SlotGridLayout {
    int width = 10;
    int height = 10;
    FontSpec font = defaultSlotFont();
    bool transparent = true;
    TColor color = colors::clGreen;
    std::string screen;
    std::array<SlotPosition, kMaxSlots> positions{};  // slot k at index k - 1
    // The size the font was chosen at, kept ("chosensize") while a smaller stage
    // shows the slots smaller, so that a larger one grows them back; 0 when the
    // font shows at its chosen size.
    int chosenSize = 0;

    int chosenFontSize() const { return std::max(font.size, chosenSize); }

    // A slot is shown exactly when its stored top is not 0.
    bool slotVisible(int k) const { return positions[static_cast<size_t>(k - 1)].top != 0; }
};

struct SlotBlockLayout {
    int left = 100;
    int top = 100;
    int width = 0;
    int height = 0;
    FontSpec font = defaultSlotFont();
    bool transparent = true;
    TColor color = colors::clGreen;
    int maxwidth = 0;
    std::string screen;
    int row = 9;       // entries per line
    int space = 2;     // blanks between entries
    bool blankLine = true;  // an empty line between lines
    int chosenSize = 0;     // as for the slot grid

    int chosenFontSize() const { return std::max(font.size, chosenSize); }
};

// Arrangement parameters of section 0autoset.
struct SlotAutoSet {
    int latop = 120;
    int space = 2;
    int azgeshu = 10;  // byte length that separates short from long entries
    std::array<int, 11> sizeShort{9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};  // index k: "<k>a"
    std::array<int, 11> sizeLong{7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7};   // index k: "<k>b"
    int size100 = 7;
    int ls100 = 10;
};

std::string gridSectionAll(int n);
std::string gridSectionLabel(int n);
std::string blockSection(int n);

SlotGridLayout readSlotGridLayout(const IniStore &store, int n);
// Writes the positions of the listed slots (k from 1) and the shared keys.
void writeSlotGridLayout(IniStore &store, int n, const SlotGridLayout &layout, const std::vector<int> &visibleSlots);
SlotBlockLayout readSlotBlockLayout(const IniStore &store, int n);
void writeSlotBlockLayout(IniStore &store, int n, const SlotBlockLayout &layout);
SlotAutoSet readSlotAutoSet(const IniStore &store);

// The grid of n slots of the given size, `columns` per row, between top and
// bottom; a left of -1 centres the grid on the stage. Refuses a column count
// below 1 and a slot count outside 1 to 20.
Result<std::array<SlotPosition, kMaxSlots>> placeSlotGrid(int stageWidth, int top, int bottom, int n, int gap,
                                                          int columns, int left, TextSize slot);

// Stores a placed grid as the layout of n: positions of slots 1 to n into
// "<n>Label", the slot size and the screen into "<n>all".
void writePlacedSlotGrid(IniStore &store, int n, const std::array<SlotPosition, kMaxSlots> &positions, TextSize slot,
                         const std::string &screen);

// Margins the arrangement dialog suggests for n slots in `columns` columns:
// `base` is 50 pixels below the lower title (100 without titles).
struct GridMargins {
    int top = 0;
    int bottom = 0;
};
GridMargins suggestGridMargins(int n, int columns, int base, int stageHeight, int slotHeight);

// The automatic arrangement of n slots (1 to 20) on the stage: one column up to
// 10, two columns above. Keeps the font; fills size, positions and screen.
SlotGridLayout arrangeSlotGrid(int n, TextSize stage, TextSize slot, SlotGridLayout base);

// The text block a batch of entries shows. After entry i comes `spacing`
// blanks (at most 28), or at the end of a line one CR (two with blankLine).
std::string composeSlotBlockText(const std::vector<std::string> &entries, int rowLength, int spacing, bool blankLine,
                                 bool breakAfterLast);

// An entry brought to exactly `length` bytes: padded with at most 28 blanks, or cut.
std::string padEntry(const std::string &entry, size_t length);

// The automatic text block of a batch over 20: font size from the entries per
// line and the longest entry, shrunk until the block fits the stage. Nothing
// when it cannot fit even at size 1.
std::optional<SlotBlockLayout> arrangeSlotBlock(int n, const std::string &longestEntry, const SlotAutoSet &autoset,
                                                TextSize stage, const TextMeasurer &measurer);

// The stored layout of n still fits the longest entry in its font.
bool slotLayoutValid(const IniStore &store, int n, const std::string &longestEntry, const TextMeasurer &measurer);

}  // namespace tessaly
