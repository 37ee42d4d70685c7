#include "winners/WinnersView.h"

#include "winners/WinnersFit.h"

#include "settings/Encodings.h"
#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

#include <algorithm>

namespace tessaly {
namespace {

constexpr const char *kTextSection = "float2txt";
constexpr const char *kPhotoSection = "float2pho";

const std::string &defaultTextValue()
{
    return TSL_GBK("3|clYellow|20|黑体|[fsBold]|134|50|20");
}

int intField(const std::string &value, int n, int def)
{
    int v = def;
    return parseInteger(trimBlanks(SplitField(value, '|', n)), v) ? v : def;
}

// Fields colour, size, face, style and charset starting at field `first`.
FontSpec fontFields(const std::string &value, int first, FontSpec font)
{
    if (auto c = colorFromString(trimBlanks(SplitField(value, '|', first))))
        font.color = *c;
    const int size = intField(value, first + 1, font.size);
    if (size > 0) {
        font.size = size;
        font.height = fontHeightForSize(size);
    }
    std::string face = trimBlanks(SplitField(value, '|', first + 2));
    if (!face.empty())
        font.name = face;
    if (fieldCount(value, '|') >= first + 3)
        font.style = fontStyleFromString(SplitField(value, '|', first + 3));
    font.charset = intField(value, first + 4, font.charset);
    return font;
}

std::string fontValue(const FontSpec &f)
{
    return colorToString(f.color) + "|" + std::to_string(f.size) + "|" + f.name + "|" + fontStyleToString(f.style) +
           "|" + std::to_string(f.charset);
}

WinnersTextStyle parseTextStyle(const std::string &value)
{
    FontSpec base = defaultSlotFont();
    base.color = colors::clYellow;
    base.size = 20;
    base.height = fontHeightForSize(20);
    WinnersTextStyle s;
    const StoredPerRow count = parsePerRow(SplitField(value, '|', 1), 3);
    s.perRow = count.perRow;
    s.badPerRow = count.bad;
    s.font = fontFields(value, 2, base);
    s.left = intField(value, 7, 50);
    s.top = intField(value, 8, 20);
    return s;
}

const char *captionSection(WinnersCaption which)
{
    return which == WinnersCaption::Names ? "float2Labeltx" : "float2Labelli";
}

}  // namespace

WinnersTextStyle readWinnersTextStyle(const IniStore &settings, int award)
{
    return parseTextStyle(settings.readString(kTextSection, std::to_string(award), defaultTextValue()));
}

void writeWinnersTextStyle(IniStore &settings, int award, const WinnersTextStyle &style)
{
    settings.writeString(kTextSection, std::to_string(award),
                         std::to_string(style.perRow) + "|" + fontValue(style.font) + "|" + std::to_string(style.left) +
                             "|" + std::to_string(style.top));
}

WinnersPhotoStyle readWinnersPhotoStyle(const IniStore &settings, int award)
{
    const std::string value = settings.readString(kPhotoSection, std::to_string(award), "5|50|10|10|160|120");
    WinnersPhotoStyle s;
    s.columns = intField(value, 1, s.columns);
    s.captionTop = intField(value, 2, s.captionTop);
    s.columnGap = intField(value, 3, s.columnGap);
    s.rowGap = intField(value, 4, s.rowGap);
    s.width = intField(value, 5, s.width);
    s.height = intField(value, 6, s.height);
    return s;
}

void writeWinnersPhotoStyle(IniStore &settings, int award, const WinnersPhotoStyle &s)
{
    settings.writeString(kPhotoSection, std::to_string(award),
                         joinCompound({std::to_string(s.columns), std::to_string(s.captionTop),
                                       std::to_string(s.columnGap), std::to_string(s.rowGap), std::to_string(s.width),
                                       std::to_string(s.height)}));
}

TextSize winnersTileSize(const WinnersPhotoStyle &style, TextSize stage)
{
    const double w = std::max(1, style.width), h = std::max(1, style.height);
    const double scale = std::min({1.0, std::max(1, stage.width) / w, std::max(1, stage.height) / h});
    return {std::max(1, static_cast<int>(w * scale)), std::max(1, static_cast<int>(h * scale))};
}

FontSpec readWinnersCaptionFont(const IniStore &settings, WinnersCaption which, int award)
{
    const bool names = which == WinnersCaption::Names;
    const std::string def = names ? TSL_GBK("5|clYellow|16|黑体|[fsBold]|134") : TSL_GBK("5|clWhite|20|黑体|[fsBold]|134");
    FontSpec base = defaultSlotFont();
    base = fontFields(def, 2, base);
    return fontFields(settings.readString(captionSection(which), std::to_string(award), def), 2, base);
}

void writeWinnersCaptionFont(IniStore &settings, WinnersCaption which, int award, const FontSpec &font)
{
    settings.writeString(captionSection(which), std::to_string(award), "5|" + fontValue(font));
}

bool readWinnersTextCentred(const IniStore &settings)
{
    return settings.readBool(kTextSection, "Textcenter", true);
}

void writeWinnersTextCentred(IniStore &settings, bool on)
{
    settings.writeBool(kTextSection, "Textcenter", on);
}

Point centredTextBlock(TextSize block, TextSize stage)
{
    const int left = roundHalfEven((stage.width - block.width) / 2.0);
    const int top = block.height > stage.height ? 20 : roundHalfEven((stage.height - block.height) / 2.0);
    return {left, top};
}

std::string blockText(const std::vector<std::string> &lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += '\r';
        text += lines[i];
    }
    return text;
}

WinnersTextView buildWinnersTextView(const IniStore &settings, const AwardTable &awards, WinnerLists winners,
                                     int award, bool showPrize, const TextMeasurer &measurer, TextSize stage, int page)
{
    WinnersTextView v;
    v.style = readWinnersTextStyle(settings, award);
    v.notice = perRowNotice(TSL_GBK("奖项“") + awards[std::clamp(award, 0, kMaxAwards - 1)].name + TSL_GBK("”"),
                            {v.style.perRow, v.style.badPerRow});
    static const std::vector<std::string> none;
    const auto &entries =
        award >= 0 && award < static_cast<int>(winners.size()) ? winners[static_cast<size_t>(award)] : none;
    auto rowsOf = [&](int perRow) { return entries.empty() ? 0 : (static_cast<int>(entries.size()) + perRow - 1) / perRow; };

    // The heading and prize lines come first, then the rows; the closing blank
    // line of the composed text is left out, so that the block centres on what shows.
    const ResultsText single = composeAwardResultsText(awards, winners, award, 1, showPrize);
    v.headingLines = std::max(0, static_cast<int>(single.lines.size()) - rowsOf(1) - 1);
    const std::vector<std::string> heading(single.lines.begin(), single.lines.begin() + v.headingLines);

    const bool centred = readWinnersTextCentred(settings);
    const TextSize area = winnersArea(stage, centred, {v.style.left, v.style.top});
    const WinnersTextFit fit = fitWinnersText(area, entries, heading, v.style.perRow, v.style.font,
                                              readableLineHeight(stage), measurer);
    v.perRow = fit.perRow;
    v.namesFont = fit.names;
    v.headingFont = fit.heading;
    v.pages = fit.pages;
    v.page = std::clamp(page, 0, fit.pages - 1);

    const ResultsText all = composeAwardResultsText(awards, winners, award, fit.perRow, showPrize);
    const int rows = rowsOf(fit.perRow);
    const int first = std::min(rows, v.page * fit.rowsPerPage);
    const int last = std::min(rows, first + fit.rowsPerPage);
    v.text.sample = all.sample;
    v.text.lines = heading;
    const auto rowsBegin = all.lines.begin() + v.headingLines;
    v.text.lines.insert(v.text.lines.end(), rowsBegin + first, rowsBegin + last);

    const std::vector<std::string> body(v.text.lines.begin() + v.headingLines, v.text.lines.end());
    const TextSize head = heading.empty() ? TextSize{} : measurer.measure(v.headingFont, blockText(heading));
    const TextSize names = measurer.measure(v.namesFont, blockText(body));
    v.size = {std::max(head.width, names.width), head.height + names.height};
    v.position = centred ? centredTextBlock(v.size, stage) : Point{v.style.left, v.style.top};
    return v;
}

int pageAward(int current, int awardCount, bool scrollDown, PageCommand command)
{
    const int last = std::max(awardCount - 1, 0);
    if (!scrollDown) {
        // The same keys walk the table the other way round.
        switch (command) {
        case PageCommand::Previous: command = PageCommand::Next; break;
        case PageCommand::Next: command = PageCommand::Previous; break;
        case PageCommand::First: command = PageCommand::Last; break;
        case PageCommand::Last: command = PageCommand::First; break;
        }
    }
    switch (command) {
    case PageCommand::Previous: return std::clamp(current - 1, 0, last);
    case PageCommand::Next: return std::clamp(current + 1, 0, last);
    case PageCommand::First: return 0;
    case PageCommand::Last: return last;
    }
    return current;
}

}  // namespace tessaly
