// The winners window's rules: the stored look of each award (text block,
// photo grid and caption fonts), the text block of one award's page, and
// paging through the awards.
#pragma once

#include "settings/AwardTable.h"
#include "settings/FontKeys.h"
#include "settings/IniStore.h"
#include "stage/ResultsText.h"
#include "stage/TextMeasurer.h"

#include <optional>
#include <string>

namespace tessaly {

// Most winners the winners window puts in one row, as the results window.
inline constexpr int kMaxWinnersPerRow = kMaxResultsPerRow;

// float2txt/<award>: winners per row, the block's font and its stored position.
// A stored count outside 1 to kMaxWinnersPerRow is read as the nearest bound
// (a count that is no number as 3), and the stored text is kept in badPerRow.
struct WinnersTextStyle {
    int perRow = 3;
    FontSpec font;
    int left = 50;
    int top = 20;
    std::optional<std::string> badPerRow;
};

// float2pho/<award>: the photo grid of the award.
struct WinnersPhotoStyle {
    int columns = 5;
    int captionTop = 50;  // top of the award caption
    int columnGap = 10;
    int rowGap = 10;
    int width = 160;
    int height = 120;
};

// The size each picture of the grid is shown at: the stored one (at least 1 by
// 1), made smaller with its proportions kept where it would not fit on the stage.
TextSize winnersTileSize(const WinnersPhotoStyle &style, TextSize stage);

enum class WinnersCaption { Names, Award };  // float2Labeltx, float2Labelli

WinnersTextStyle readWinnersTextStyle(const IniStore &settings, int award);
void writeWinnersTextStyle(IniStore &settings, int award, const WinnersTextStyle &style);
WinnersPhotoStyle readWinnersPhotoStyle(const IniStore &settings, int award);
void writeWinnersPhotoStyle(IniStore &settings, int award, const WinnersPhotoStyle &style);
FontSpec readWinnersCaptionFont(const IniStore &settings, WinnersCaption which, int award);
void writeWinnersCaptionFont(IniStore &settings, WinnersCaption which, int award, const FontSpec &font);

// The block centred on the window ("整体自动居中", one value for all awards).
bool readWinnersTextCentred(const IniStore &settings);
void writeWinnersTextCentred(IniStore &settings, bool on);

// Where a block of `block` size sits when centred: halves rounded to even, and
// top 20 when the block is higher than the window.
struct Point {
    int x = 0, y = 0;
    bool operator==(const Point &) const = default;
};
Point centredTextBlock(TextSize block, TextSize stage);

struct WinnersTextView {
    ResultsText text;        // the lines of the page shown: heading lines, then rows
    WinnersTextStyle style;  // as stored: the names are never set smaller than its font
    int perRow = 1;          // as shown
    FontSpec namesFont;
    FontSpec headingFont;
    int headingLines = 0;  // the first lines of `text`, set in headingFont
    int page = 0;
    int pages = 1;
    TextSize size;
    Point position;
    std::string notice;  // for the operator: the stored per-row count was out of range (GBK)
};

// The text view of one award's page (0 for the first; a page past the last
// shows the last): the names as large as the window takes, placed centred or
// at the stored position. The stored style is read, never rewritten.
WinnersTextView buildWinnersTextView(const IniStore &settings, const AwardTable &awards, WinnerLists winners,
                                     int award, bool showPrize, const TextMeasurer &measurer, TextSize stage,
                                     int page = 0);

// The lines of a block as one text for the measurer (a CR between lines).
std::string blockText(const std::vector<std::string> &lines);

enum class PageCommand { Previous, Next, First, Last };

// The award a paging command shows. With ScrollDown the awards run upwards
// from the first index; otherwise every command goes the other way.
int pageAward(int current, int awardCount, bool scrollDown, PageCommand command);

}  // namespace tessaly
