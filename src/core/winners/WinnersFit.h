// How large the winners window shows an award, so that it reads from the back
// of the hall: the names' size and the shape of their rows (or the pictures'
// size and the grid's columns) chosen to fill the window, and the order in
// which automatic paging walks through the awards' pages.
#pragma once

#include "settings/FontKeys.h"
#include "stage/StageFit.h"
#include "stage/TextMeasurer.h"
#include "winners/WinnersView.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tessaly {

// What fits at a column count and a size: the width, and the height.
struct GridProbe {
    bool width = false;
    bool height = false;
};
// Asked for columns 1 to the most and sizes in the range; wider with more
// columns and a larger size, taller with fewer columns and a larger size.
using GridFits = std::function<GridProbe(int columns, int size)>;

struct GridChoice {
    int columns = 1;
    int size = 0;
    bool onePage = true;  // everything fits the window at this size
};

// The arrangement of `count` items: the stored column count at the largest
// size where all fits, when all fits with it at `minSize`; otherwise the column
// count that lets all fit at the largest size (nearest to the stored one);
// when nothing fits at `minSize`, that size with as many columns as the width
// takes (pages follow). Below `minSize` only when one item alone is wider.
GridChoice chooseGrid(int storedColumns, int count, int mostColumns, int minSize, int maxSize, const GridFits &fits);

// The room a block may fill: the window less a margin on every side (twice
// that at the bottom, where the page number stands), from the stored position
// when the block is not centred.
TextSize winnersArea(TextSize window, bool centred, Point stored);
int winnersMargin(TextSize window);

// The smallest line of names a paged award is shown at: 32 pixels on a
// 1080-line window, in proportion on others.
int readableLineHeight(TextSize window);

struct WinnersTextFit {
    int perRow = 1;
    FontSpec names;    // the operator's font at the chosen size
    FontSpec heading;  // award and prize lines: the same, smaller only where too wide
    int rowsPerPage = 1;
    int pages = 1;
};

// The text view's fit for an award's entries under its heading lines, in
// `area`: never smaller than the stored font (unless one name alone would not
// fit), and where the award is paged, never smaller than `readableLine`.
WinnersTextFit fitWinnersText(TextSize area, const std::vector<std::string> &entries,
                              const std::vector<std::string> &headingLines, int storedPerRow, const FontSpec &stored,
                              int readableLine, const TextMeasurer &measurer);

struct WinnersPhotoFit {
    int columns = 1;
    TextSize tile;
    int columnGap = 0;
    int rowGap = 0;
    double scale = 1.0;  // of the tile against the stored (on-screen) size
    bool onePage = true;
};

// The photo view's fit: the stored picture size grown, proportions and gaps
// kept in scale, to the largest at which all pictures fit below the award's
// caption (whose height grows with them); never past `largestPhoto` (the
// largest decoded photo; nothing when none decodes: the size stays), never
// past the window.
WinnersPhotoFit fitWinnersPhotos(TextSize window, int count, const WinnersPhotoStyle &stored, int captionHeight,
                                 TextSize largestPhoto);

// One screen of an award in the winners window.
struct WinnersPage {
    int award = 0;
    int page = 0;
    bool operator==(const WinnersPage &) const = default;
};

// The page automatic paging shows next: the award's next page, else the first
// page of the next award in the window's order that has winners, back to the
// first after the last. `winnerCounts` per award index.
WinnersPage nextAutoPage(WinnersPage current, int pages, std::span<const int> winnerCounts, int awardCount,
                         bool scrollDown);

// "第 2/17 页"
std::string pageCaption(int page, int pages);

// The automatic paging period in seconds, float2txt/AutoPage; a stored value
// out of bounds reads as the nearest bound.
inline constexpr int kAutoPageDefault = 8;
inline constexpr int kAutoPageMin = 2;
inline constexpr int kAutoPageMax = 600;
int readAutoPagePeriod(const IniStore &settings);
void writeAutoPagePeriod(IniStore &settings, int seconds);

}  // namespace tessaly
