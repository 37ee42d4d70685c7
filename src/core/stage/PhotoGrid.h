// The grid of picture slots in photo mode and its stored layout: one section
// pair per batch size ("<n>pho" for the positions, "<n>phoall" for size, screen
// and caption font), filled from the defaults of "0phoautoset" whenever the
// stored layout was made for another screen. The winners window lays out its
// pictures by the same grid rules.
#pragma once

#include "Result.h"
#include "settings/FontKeys.h"
#include "settings/IniStore.h"
#include "stage/SlotLayout.h"
#include "stage/StageFit.h"
#include "stage/TextMeasurer.h"

#include <optional>
#include <string>
#include <vector>

namespace tessaly {

inline constexpr int kMaxPhotoSlots = 2001;
// Largest side and farthest place of a stored photo slot, in pixels: beyond any screen.
inline constexpr int kMaxPhotoSlotSide = 10000;

// Columns, gaps, top margin and slot size of a picture grid, in pixels.
struct PhotoGridSpec {
    int columns = 5;
    int columnGap = 10;
    int top = 100;
    int rowGap = 10;
    int width = 400;
    int height = 300;
    bool operator==(const PhotoGridSpec &) const = default;
};

struct PhotoRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PhotoRect &) const = default;
};

std::string photoSectionPositions(int n);  // "<n>pho"
std::string photoSectionAll(int n);        // "<n>phoall"

// Slot i (from 1) at index i - 1: the rows are filled left to right, the grid
// centred on the stage width (halves to even). The row gap is left out when
// there is one row or fewer than three slots. Refuses a column count below 1
// and a slot count outside 1 to 2001.
Result<std::vector<SlotPosition>> placePhotoGrid(const PhotoGridSpec &spec, int n, int stageWidth);

// The winners window's grid: never more columns than pictures.
Result<std::vector<SlotPosition>> placeWinnerPhotoGrid(const PhotoGridSpec &spec, int n, int stageWidth);

// A grid as typed in a layout dialog, checked against what a stage of that
// size can show: the first field outside its range, with the message that
// names it (GBK); nothing when every field fits. Columns 1 to 2001, pictures
// at least 1 and at most the stage, gaps and top margin within the stage.
enum class PhotoGridField { Columns, ColumnGap, Top, RowGap, Width, Height };
struct PhotoGridRefusal {
    PhotoGridField field;
    std::string message;
};
std::optional<PhotoGridRefusal> refuseTypedPhotoGrid(const PhotoGridSpec &spec, int stageWidth, int stageHeight);

// Places the grid of n slots and stores it as the layout of n, with the screen
// it was made for.
Status LayoutPhotoGrid(IniStore &store, const PhotoGridSpec &spec, int n, int stageWidth, const std::string &screen);

// The caption font of "<n>phoall"/txt: colour|size|face|style.
FontSpec parsePhotoCaptionFont(std::string_view text);
std::string formatPhotoCaptionFont(const FontSpec &font);
inline constexpr const char *kDefaultPhotoCaption = "clWhite|10|宋体|[]";  // UTF-8; stored as GBK

// The default arrangement of "0phoautoset": key n, or "100" above 30 slots.
struct PhotoAutoSet {
    PhotoGridSpec grid;
    std::string captionFont;  // GBK "colour|size|face|style"
};
std::string photoAutoSetKey(int n);
PhotoAutoSet readPhotoAutoSet(const IniStore &store, int n);

// The stored layout of n.
struct PhotoSlotLayout {
    int width = 400;
    int height = 300;
    std::string screen;
    FontSpec captionFont;
    std::vector<SlotPosition> positions;  // slot i at index i - 1, 100/100 when not stored
    bool outOfRange = false;              // a stored size or place was read as the nearest that can be shown

    PhotoRect rect(int i) const;
};
// A stored size or place no screen can show (a picture of 2000000000 pixels
// would be allocated for every slot) is read as the nearest that can be.
PhotoSlotLayout readPhotoSlotLayout(const IniStore &store, int n);
// What the operator is told when a layout of n had to be brought into range (GBK); empty otherwise.
std::string photoSlotLayoutNotice(const PhotoSlotLayout &layout, int n);

// A default arrangement that would put slots off the stage (into the tenth of
// its width kept free at the sides, or below the lowest 1/7 where the buttons
// and captions stand) is
// shrunk to the column count that lets the slots be largest, keeping the
// slots' proportions. One that fits comes back unchanged.
PhotoGridSpec fitPhotoGrid(const PhotoGridSpec &spec, int n, int stageWidth, int stageHeight);

// The default arrangement kept inside `area` (where the rolling slots may stand,
// clear of the titles, captions, buttons and prize picture; centred on the
// stage, as the grid is): one that fits comes back unchanged; otherwise the
// column count that lets the slots be largest, the slots and gaps shrunk with
// their proportions kept (never enlarged), the grid centred in the area's rows.
PhotoGridSpec fitPhotoGridInArea(const PhotoGridSpec &spec, int n, int stageWidth, const StageRect &area);

// Replaces the layout of n by the default arrangement, fitted to the stage (or
// to `area`, when given and not empty), when it was stored for another screen
// (or never). Returns whether it did.
Result<bool> ensurePhotoSlotLayout(IniStore &store, int n, int stageWidth, int stageHeight, const std::string &screen,
                                   const StageRect &area = {});

// Stores slots moved by hand: each listed slot's position, the common size (the
// last slot listed sets it) and the screen.
struct PlacedPhotoSlot {
    int index = 0;  // from 1
    PhotoRect rect;
};
void writePhotoSlotPositions(IniStore &store, int n, const std::vector<PlacedPhotoSlot> &slots,
                             const std::string &screen);

// Where a caption of the given size stands on its picture: centred across it
// (halves to even), its bottom 10 pixels above the picture's bottom edge.
SlotPosition photoCaptionPosition(const PhotoRect &picture, TextSize caption);

}  // namespace tessaly
