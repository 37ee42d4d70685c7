#include "stage/SlotLayout.h"

#include "settings/Encodings.h"
#include "text/Gbk.h"

#include <algorithm>
#include <cmath>

namespace tessaly {

int roundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));  // the default rounding mode is to nearest, ties to even
}

std::string gridSectionAll(int n) { return std::to_string(n) + "all"; }
std::string gridSectionLabel(int n) { return std::to_string(n) + "label"; }
std::string blockSection(int n) { return std::to_string(n); }

namespace {

void readLook(const IniStore &store, const std::string &section, FontSpec &font, bool &transparent, TColor &color)
{
    font = readFontKeys(store, section, defaultSlotFont());
    transparent = store.readBool(section, "Transparent", true);
    color = store.readInteger(section, "Color", colors::clGreen);
}

void writeLook(IniStore &store, const std::string &section, const FontSpec &font, bool transparent, TColor color)
{
    writeFontKeys(store, section, font);
    store.writeBool(section, "Transparent", transparent);
    store.writeInteger(section, "Color", color);
}

// Kept only while the font shows smaller than it was chosen.
void writeChosenSize(IniStore &store, const std::string &section, int fontSize, int chosenSize)
{
    if (chosenSize > fontSize)
        store.writeInteger(section, "chosensize", chosenSize);
    else
        store.deleteKey(section, "chosensize");
}

}  // namespace

SlotGridLayout readSlotGridLayout(const IniStore &store, int n)
{
    SlotGridLayout l;
    const std::string all = gridSectionAll(n), label = gridSectionLabel(n);
    l.width = store.readInteger(all, "Width", 10);
    l.height = store.readInteger(all, "Height", 10);
    readLook(store, all, l.font, l.transparent, l.color);
    l.screen = store.readString(all, "screen");
    l.chosenSize = store.readInteger(all, "chosensize", 0, 0, kMaxFontSize, nullptr);
    for (int k = 1; k <= kMaxSlots; ++k) {
        auto &p = l.positions[static_cast<size_t>(k - 1)];
        p.left = store.readInteger(label, std::to_string(k) + "Left", 0);
        p.top = store.readInteger(label, std::to_string(k) + "Top", 0);
    }
    return l;
}

void writeSlotGridLayout(IniStore &store, int n, const SlotGridLayout &l, const std::vector<int> &visibleSlots)
{
    const std::string all = gridSectionAll(n), label = gridSectionLabel(n);
    for (int k : visibleSlots) {
        if (k < 1 || k > kMaxSlots)
            continue;
        const auto &p = l.positions[static_cast<size_t>(k - 1)];
        store.writeInteger(label, std::to_string(k) + "Top", p.top);
        store.writeInteger(label, std::to_string(k) + "Left", p.left);
    }
    store.writeInteger(all, "Width", l.width);
    store.writeInteger(all, "Height", l.height);
    writeLook(store, all, l.font, l.transparent, l.color);
    store.writeBool(all, "Visible", true);
    store.writeString(all, "screen", l.screen);
    writeChosenSize(store, all, l.font.size, l.chosenSize);
}

SlotBlockLayout readSlotBlockLayout(const IniStore &store, int n)
{
    SlotBlockLayout l;
    const std::string s = blockSection(n);
    l.left = store.readInteger(s, "Left", 100);
    l.top = store.readInteger(s, "Top", 100);
    l.width = store.readInteger(s, "Width", 0);
    l.height = store.readInteger(s, "Height", 0);
    readLook(store, s, l.font, l.transparent, l.color);
    l.maxwidth = store.readInteger(s, "maxwidth", 0);
    l.screen = store.readString(s, "screen");
    l.row = store.readInteger(s, "row", 9);
    l.space = store.readInteger(s, "space", 2);
    l.blankLine = store.readBool(s, "over20wordwrap", true);
    l.chosenSize = store.readInteger(s, "chosensize", 0, 0, kMaxFontSize, nullptr);
    return l;
}

void writeSlotBlockLayout(IniStore &store, int n, const SlotBlockLayout &l)
{
    const std::string s = blockSection(n);
    store.writeInteger(s, "Top", l.top);
    store.writeInteger(s, "Left", l.left);
    store.writeInteger(s, "Width", l.width);
    store.writeInteger(s, "Height", l.height);
    writeLook(store, s, l.font, l.transparent, l.color);
    store.writeBool(s, "Visible", true);
    store.writeInteger(s, "maxwidth", l.maxwidth);
    store.writeString(s, "screen", l.screen);
    store.writeInteger(s, "row", l.row);
    store.writeInteger(s, "space", l.space);
    store.writeBool(s, "over20wordwrap", l.blankLine);
    writeChosenSize(store, s, l.font.size, l.chosenSize);
}

SlotAutoSet readSlotAutoSet(const IniStore &store)
{
    SlotAutoSet a;
    a.latop = store.readInteger("0autoset", "latop", 120);
    a.space = store.readInteger("0autoset", "space", 2);
    a.azgeshu = store.readInteger("0autoset", "azgeshu", 10);
    for (int k = 3; k <= 10; ++k) {
        a.sizeShort[static_cast<size_t>(k)] = store.readInteger("0autoset", std::to_string(k) + "a", 9);
        a.sizeLong[static_cast<size_t>(k)] = store.readInteger("0autoset", std::to_string(k) + "b", 7);
    }
    a.size100 = store.readInteger("0autoset", "100size", 7);
    a.ls100 = store.readInteger("0autoset", "100ls", 10);
    return a;
}

Result<std::array<SlotPosition, kMaxSlots>> placeSlotGrid(int stageWidth, int top, int bottom, int n, int gap,
                                                          int columns, int left, TextSize slot)
{
    if (columns < 1)
        return makeError(ErrorCode::BadInput, TSL_GBK("列数必须至少为 1。"));
    if (n < 1 || n > kMaxSlots)
        return makeError(ErrorCode::BadInput, TSL_GBK("每次抽取人数必须在 1 到 20 之间。"));
    const int w = slot.width, h = slot.height;
    const int left0 = left != -1 ? left : roundHalfEven((stageWidth - columns * w - gap * (columns - 1)) / 2.0);
    const int rows = n / columns + (n % columns ? 1 : 0);
    const int step = (n <= 2 || rows == 1) ? h : h + roundHalfEven(double(bottom - top - rows * h) / (rows - 1));
    std::array<SlotPosition, kMaxSlots> out{};
    for (int k = 1; k <= n; ++k) {
        const int r = (k - 1) / columns, c = (k - 1) % columns;
        out[static_cast<size_t>(k - 1)] = {left0 + c * (w + gap), top + r * step};
    }
    return out;
}

void writePlacedSlotGrid(IniStore &store, int n, const std::array<SlotPosition, kMaxSlots> &positions, TextSize slot,
                         const std::string &screen)
{
    const std::string label = std::to_string(n) + "Label", all = gridSectionAll(n);
    for (int k = 1; k <= std::min(n, kMaxSlots); ++k) {
        store.writeInteger(label, std::to_string(k) + "Left", positions[static_cast<size_t>(k - 1)].left);
        store.writeInteger(label, std::to_string(k) + "Top", positions[static_cast<size_t>(k - 1)].top);
    }
    store.writeString(all, "Height", std::to_string(slot.height));
    store.writeString(all, "Width", std::to_string(slot.width));
    store.writeString(all, "screen", screen);
}

GridMargins suggestGridMargins(int n, int columns, int base, int stageHeight, int slotHeight)
{
    const int rows = roundHalfEven(double(n) / std::max(columns, 1) + 0.1);
    GridMargins m;
    m.top = (stageHeight / 2.0 >= base ? base : 150) + 100 - 10 * rows;
    m.bottom = 150 + 100 - 10 * rows - slotHeight;
    return m;
}

SlotGridLayout arrangeSlotGrid(int n, TextSize stage, TextSize slot, SlotGridLayout base)
{
    n = std::clamp(n, 1, kMaxSlots);
    const int w = slot.width, h = slot.height, H = stage.height;
    base.positions = {};
    if (n == 1) {
        base.positions[0] = {roundHalfEven((stage.width - w) / 2.0), roundHalfEven(H / 2.0) - h - 10};
    } else {
        const int columns = n <= 10 ? 1 : 2;
        const int rows = columns == 1 ? n : roundHalfEven(n / 2.0 + 0.1);
        const int block = rows * h + (rows - 1) * 10;
        const int top = truncToInt((H - block) / 2.0) - 20;
        base.positions = *placeSlotGrid(stage.width, top, top + block, n, 30, columns, -1, slot);
    }
    base.width = w;
    base.height = h;
    base.screen = screenKey(stage.width, stage.height);
    return base;
}

std::string composeSlotBlockText(const std::vector<std::string> &entries, int rowLength, int spacing, bool blankLine,
                                 bool breakAfterLast)
{
    const int row = std::max(rowLength, 1);
    const std::string gap(static_cast<size_t>(std::clamp(spacing, 0, kMaxBlockSpacing)), ' ');
    const char *lineBreak = blankLine ? "\r\r" : "\r";
    std::string out;
    for (size_t i = 1; i <= entries.size(); ++i) {
        out += entries[i - 1];
        const bool last = i == entries.size();
        if (i % static_cast<size_t>(row) != 0) {
            if (!last || breakAfterLast)
                out += gap;
            if (last && breakAfterLast)
                out += lineBreak;
        } else if (!last || breakAfterLast) {
            out += lineBreak;
        }
    }
    return out;
}

std::string padEntry(const std::string &entry, size_t length)
{
    if (entry.size() >= length)
        return entry.substr(0, length);
    return entry + std::string(std::min<size_t>(length - entry.size(), 28), ' ');
}

std::optional<SlotBlockLayout> arrangeSlotBlock(int n, const std::string &longestEntry, const SlotAutoSet &a,
                                                TextSize stage, const TextMeasurer &measurer)
{
    int perLine = n / 10 + (n % 10 ? 1 : 0);
    int size = 0;
    if (perLine > 10) {
        size = a.size100;
        perLine = std::max(a.ls100, 1);
    } else {
        const auto k = static_cast<size_t>(std::max(perLine, 0));
        const bool shortEntries = static_cast<int>(longestEntry.size()) < a.azgeshu;
        size = shortEntries ? a.sizeShort[k] : a.sizeLong[k];
    }
    SlotBlockLayout l;
    l.font.charset = kGb2312Charset;
    l.font.color = colors::clYellow;
    l.font.name = TSL_GBK("黑体");
    l.font.pitch = FontPitch::fpDefault;
    l.font.style = fsBold;
    l.transparent = true;
    l.color = colors::clGreen;
    l.row = perLine;
    l.space = a.space;
    l.blankLine = true;

    const std::string text = composeSlotBlockText(std::vector<std::string>(static_cast<size_t>(n), longestEntry),
                                                  perLine, a.space, true, true);
    if (size < 1)
        return std::nullopt;
    TextSize block{};
    bool fits = false;
    for (int round = 0; round < 50; ++round) {
        l.font.size = size;
        l.font.height = fontHeightForSize(size);
        block = measurer.measure(l.font, text);
        if (block.width <= stage.width - 10 && block.height <= stage.height - 200) {
            fits = true;
            break;
        }
        if (--size == 0)
            return std::nullopt;
    }
    if (!fits) {
        // Fifty rounds ran out while shrinking: keep the last size tried.
        l.font.size = size;
        l.font.height = fontHeightForSize(size);
        block = measurer.measure(l.font, text);
    }
    l.width = block.width;
    l.height = block.height;
    l.left = truncToInt((stage.width - block.width) / 2.0);
    l.top = truncToInt((stage.height - block.height) / 2.0 + 20);
    l.maxwidth = measurer.measure(l.font, longestEntry).width;
    l.screen = screenKey(stage.width, stage.height);
    return l;
}

bool slotLayoutValid(const IniStore &store, int n, const std::string &longestEntry, const TextMeasurer &measurer)
{
    if (n <= kMaxSlots) {
        SlotGridLayout l = readSlotGridLayout(store, n);
        return measurer.measure(l.font, longestEntry).width == l.width;
    }
    SlotBlockLayout l = readSlotBlockLayout(store, n);
    return measurer.measure(l.font, longestEntry).width == l.maxwidth;
}

}  // namespace tessaly
