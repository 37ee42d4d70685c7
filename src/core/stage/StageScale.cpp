#include "stage/StageScale.h"

#include "settings/Encodings.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tessaly {

Anchor anchorOf(int start, int length, int extent)
{
    if (extent <= 0)
        return Anchor::Start;
    const int end = start + length;
    // A marquee along the bottom runs from edge to edge: it keeps both.
    const int margin = std::max(2, extent / 50);
    if (start <= margin && end >= extent - margin)
        return Anchor::Stretch;
    const double toStart = start, toEnd = extent - end;
    const double toCentre = std::abs(start + length / 2.0 - extent / 2.0);
    if (toCentre <= toStart && toCentre <= toEnd)
        return Anchor::Centre;
    return toStart <= toEnd ? Anchor::Start : Anchor::End;
}

std::optional<TextSize> parseScreenKey(std::string_view key)
{
    const size_t star = key.find('*');
    if (star == std::string_view::npos)
        return std::nullopt;
    auto number = [](std::string_view text) -> std::optional<int> {
        int v = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (error != std::errc() || end != text.data() + text.size() || v <= 0)
            return std::nullopt;
        return v;
    };
    const auto width = number(key.substr(0, star)), height = number(key.substr(star + 1));
    if (!width || !height)
        return std::nullopt;
    return TextSize{*width, *height};
}

bool shapeDiffers(TextSize a, TextSize b)
{
    if (a.width <= 0 || a.height <= 0 || b.width <= 0 || b.height <= 0)
        return true;
    const double shapeA = double(a.width) / a.height, shapeB = double(b.width) / b.height;
    return std::max(shapeA, shapeB) / std::min(shapeA, shapeB) > 1.1;
}

bool layoutNeedsArranging(std::string_view storedScreenKey, TextSize stage, bool fitToScreen)
{
    const auto stored = parseScreenKey(storedScreenKey);
    if (!stored)
        return true;
    if (!fitToScreen)
        return *stored != stage;
    return shapeDiffers(*stored, stage);
}

bool sectionNeedsArranging(std::string_view storedScreenKey, TextSize stage, bool fitToScreen)
{
    return fitToScreen ? !parseScreenKey(storedScreenKey) : storedScreenKey != screenKey(stage.width, stage.height);
}

StageScale::StageScale(TextSize reference, TextSize stage) : m_reference(reference), m_stage(stage)
{
    if (m_reference.width <= 0 || m_reference.height <= 0 || m_stage.width <= 0 || m_stage.height <= 0)
        m_reference = m_stage = {1, 1};
}

StageScale StageScale::forStored(std::string_view storedScreenKey, TextSize stage, bool fitToScreen)
{
    const auto stored = parseScreenKey(storedScreenKey);
    if (!fitToScreen)
        return StageScale(stage, stage);
    return StageScale(stored ? *stored : firstArrangementSize(stage, true), stage);
}

double overlayScale(TextSize stage, bool fitToScreen)
{
    return fitToScreen ? std::max(1.0, StageScale({1920, 1080}, stage).factor()) : 1.0;
}

TextSize firstArrangementSize(TextSize stage, bool fitToScreen)
{
    const double factor = overlayScale(stage, fitToScreen);
    if (factor <= 1.0)
        return stage;
    return {std::max(1, roundHalfEven(stage.width / factor)), std::max(1, roundHalfEven(stage.height / factor))};
}

std::string StageScale::referenceKey() const
{
    return screenKey(m_reference.width, m_reference.height);
}

double StageScale::factor() const
{
    return std::min(double(m_stage.width) / m_reference.width, double(m_stage.height) / m_reference.height);
}

double StageScale::largerFactor() const
{
    return std::max(double(m_stage.width) / m_reference.width, double(m_stage.height) / m_reference.height);
}

namespace {

struct Span {
    int start;
    int length;
};

Span mapSpan(Span s, int from, int to, double f)
{
    const int end = s.start + s.length;
    switch (anchorOf(s.start, s.length, from)) {
    case Anchor::Start:
        return {roundHalfEven(s.start * f), roundHalfEven(s.length * f)};
    case Anchor::Centre: {
        const int length = roundHalfEven(s.length * f);
        return {roundHalfEven(to / 2.0 + (s.start + s.length / 2.0 - from / 2.0) * f - length / 2.0), length};
    }
    case Anchor::End: {
        const int length = roundHalfEven(s.length * f);
        return {to - roundHalfEven((from - end) * f) - length, length};
    }
    case Anchor::Stretch: {
        const int start = roundHalfEven(s.start * f);
        return {start, std::max(0, to - roundHalfEven((from - end) * f) - start)};
    }
    }
    return s;
}

}  // namespace

StageRect StageScale::map(const StageRect &r, TextSize from, TextSize to, double f) const
{
    if (from == to)
        return r;
    const Span x = mapSpan({r.left, r.width}, from.width, to.width, f);
    const Span y = mapSpan({r.top, r.height}, from.height, to.height, f);
    return {x.start, y.start, x.length, y.length};
}

StageRect StageScale::toStage(const StageRect &stored) const
{
    return map(stored, m_reference, m_stage, factor());
}

StageRect StageScale::toStored(const StageRect &shown) const
{
    return map(shown, m_stage, m_reference, 1.0 / factor());
}

int StageScale::lengthToStage(int length) const
{
    return identity() ? length : roundHalfEven(length * factor());
}

int StageScale::lengthToStored(int length) const
{
    return identity() ? length : roundHalfEven(length / factor());
}

namespace {

FontSpec scaleFont(FontSpec font, double f)
{
    if (font.size > 0)
        return withSize(font, std::clamp(roundHalfEven(font.size * f), 1, kMaxFontSize));
    font.height = std::clamp(roundHalfEven(font.height * f), -kMaxFontSize, kMaxFontSize);
    return font;
}

}  // namespace

FontSpec StageScale::fontToStage(const FontSpec &font) const
{
    return identity() ? font : scaleFont(font, factor());
}

FontSpec StageScale::fontToStored(const FontSpec &font) const
{
    if (identity())
        return font;
    FontSpec stored = scaleFont(font, 1.0 / factor());
    // Rounded both ways, a font fitted on this stage could come back a point
    // larger than it was fitted at: stored no larger than shows at that size.
    while (font.size > 0 && stored.size > 1 && fontToStage(stored).size > font.size)
        stored = withSize(stored, stored.size - 1);
    return stored;
}

// Slot layouts ----------------------------------------------------------------

namespace {

// The slots of a grid moved as one block: the block keeps its anchor and the
// slots their places in it, in proportion.
template <typename MapRect>
SlotGridLayout mapGrid(SlotGridLayout layout, double f, MapRect mapRect)
{
    int left = 0, top = 0, right = 0, bottom = 0;
    bool any = false;
    for (int k = 1; k <= kMaxSlots; ++k) {
        if (!layout.slotVisible(k))
            continue;
        const SlotPosition p = layout.positions[static_cast<size_t>(k - 1)];
        left = any ? std::min(left, p.left) : p.left;
        top = any ? std::min(top, p.top) : p.top;
        right = any ? std::max(right, p.left + layout.width) : p.left + layout.width;
        bottom = any ? std::max(bottom, p.top + layout.height) : p.top + layout.height;
        any = true;
    }
    if (any) {
        const StageRect block = mapRect(StageRect{left, top, right - left, bottom - top});
        for (int k = 1; k <= kMaxSlots; ++k) {
            if (!layout.slotVisible(k))
                continue;
            SlotPosition &p = layout.positions[static_cast<size_t>(k - 1)];
            p.left = block.left + roundHalfEven((p.left - left) * f);
            p.top = std::max(1, block.top + roundHalfEven((p.top - top) * f));  // a top of 0 would hide it
        }
    }
    layout.width = std::max(1, roundHalfEven(layout.width * f));
    layout.height = std::max(1, roundHalfEven(layout.height * f));
    layout.font = scaleFont(layout.font, f);
    if (layout.chosenSize > 0)
        layout.chosenSize = std::max(1, roundHalfEven(layout.chosenSize * f));
    return layout;
}

template <typename MapRect>
SlotBlockLayout mapBlock(SlotBlockLayout layout, double f, MapRect mapRect)
{
    const StageRect r = mapRect(StageRect{layout.left, layout.top, std::max(1, layout.width), std::max(1, layout.height)});
    layout.left = r.left;
    layout.top = r.top;
    layout.width = layout.width > 0 ? r.width : 0;
    layout.height = layout.height > 0 ? r.height : 0;
    layout.font = scaleFont(layout.font, f);
    layout.maxwidth = roundHalfEven(layout.maxwidth * f);
    if (layout.chosenSize > 0)
        layout.chosenSize = std::max(1, roundHalfEven(layout.chosenSize * f));
    return layout;
}

// Rectangles moved as one block keeping its anchor, each keeping its place in it.
template <typename MapRect>
std::vector<StageRect> mapGroup(std::vector<StageRect> rects, double f, MapRect mapRect)
{
    if (rects.empty())
        return rects;
    int left = rects[0].left, top = rects[0].top, right = rects[0].right(), bottom = rects[0].bottom();
    for (const StageRect &r : rects) {
        left = std::min(left, r.left);
        top = std::min(top, r.top);
        right = std::max(right, r.right());
        bottom = std::max(bottom, r.bottom());
    }
    const StageRect block = mapRect(StageRect{left, top, right - left, bottom - top});
    for (StageRect &r : rects)
        r = {block.left + roundHalfEven((r.left - left) * f), block.top + roundHalfEven((r.top - top) * f),
             std::max(1, roundHalfEven(r.width * f)), std::max(1, roundHalfEven(r.height * f))};
    return rects;
}

}  // namespace

PhotoSlotLayout photoSlotsToStage(const PhotoSlotLayout &stored, int n, const StageScale &scale)
{
    if (scale.identity())
        return stored;
    PhotoSlotLayout out = stored;
    std::vector<StageRect> rects;
    for (int i = 1; i <= n; ++i) {
        const PhotoRect r = stored.rect(i);
        rects.push_back({r.left, r.top, r.width, r.height});
    }
    rects = mapGroup(std::move(rects), scale.factor(), [&](const StageRect &r) { return scale.toStage(r); });
    out.positions.resize(std::max(out.positions.size(), rects.size()));
    for (size_t i = 0; i < rects.size(); ++i)
        out.positions[i] = {rects[i].left, rects[i].top};
    out.width = std::max(1, roundHalfEven(stored.width * scale.factor()));
    out.height = std::max(1, roundHalfEven(stored.height * scale.factor()));
    out.captionFont = scale.fontToStage(stored.captionFont);
    return out;
}

std::vector<StageRect> photoSlotsToStored(const std::vector<StageRect> &shown, const StageScale &scale)
{
    if (scale.identity())
        return shown;
    return mapGroup(shown, 1.0 / scale.factor(), [&](const StageRect &r) { return scale.toStored(r); });
}

SlotGridLayout slotGridToStage(const SlotGridLayout &stored, const StageScale &scale)
{
    if (scale.identity())
        return stored;
    return mapGrid(stored, scale.factor(), [&](const StageRect &r) { return scale.toStage(r); });
}

SlotGridLayout slotGridToStored(const SlotGridLayout &shown, const StageScale &scale)
{
    SlotGridLayout out = shown;
    if (!scale.identity()) {
        out = mapGrid(shown, 1.0 / scale.factor(), [&](const StageRect &r) { return scale.toStored(r); });
        out.font = scale.fontToStored(shown.font);
    }
    out.screen = scale.referenceKey();
    return out;
}

SlotBlockLayout slotBlockToStage(const SlotBlockLayout &stored, const StageScale &scale)
{
    if (scale.identity())
        return stored;
    return mapBlock(stored, scale.factor(), [&](const StageRect &r) { return scale.toStage(r); });
}

SlotBlockLayout slotBlockToStored(const SlotBlockLayout &shown, const StageScale &scale)
{
    SlotBlockLayout out = shown;
    if (!scale.identity()) {
        out = mapBlock(shown, 1.0 / scale.factor(), [&](const StageRect &r) { return scale.toStored(r); });
        out.font = scale.fontToStored(shown.font);
    }
    out.screen = scale.referenceKey();
    return out;
}

SlotGridLayout fitScaledSlotGrid(int n, const std::vector<StageRect> &areas, const std::string &longestEntry,
                                 const SlotGridLayout &stored, const StageScale &scale, const TextMeasurer &measurer)
{
    const SlotGridLayout scaled = slotGridToStage(stored, scale);
    if (scale.sameShape() || areas.empty())
        return scaled;
    n = std::clamp(n, 1, kMaxSlots);
    const TextSize stage = scale.stage();
    const int floor = std::max(1, scaled.font.size);
    const int ceiling = std::max(floor, roundHalfEven(stored.chosenFontSize() * scale.largerFactor()));
    const int gap = std::max(1, roundHalfEven(30 * scale.factor())), rowGap = roundHalfEven(10 * scale.factor());
    const int fewest = n <= 10 ? 1 : 2;
    // From the largest names down: the first size at which some column count fits some area.
    for (int size = ceiling; size >= floor; --size) {
        const FontSpec font = withSize(stored.font, size);
        const TextSize slot = measurer.measure(font, longestEntry);
        for (const StageRect &area : areas) {
            for (int columns = fewest; columns <= n; ++columns) {
                const int rows = (n + columns - 1) / columns;
                const int width = columns * slot.width + gap * (columns - 1);
                const int height = rows * slot.height + (rows - 1) * rowGap;
                if (width > area.width || height > area.height)
                    continue;
                SlotGridLayout out = scaled;
                out.font = font;
                out.chosenSize = 0;
                out.width = slot.width;
                out.height = slot.height;
                const int left = area.left + roundHalfEven((area.width - width) / 2.0);
                const int top = std::max(1, area.top + truncToInt((area.height - height) / 2.0));
                out.positions = *placeSlotGrid(stage.width, top, top + height, n, gap, columns, left, slot);
                return out;
            }
        }
    }
    // Not even at the stored size grown by the smaller factor: the usual fit
    // shrinks it until it stands clear of the rest of the stage.
    SlotGridLayout base = scaled;
    base.chosenSize = 0;
    SlotGridLayout best = fitSlotGrid(n, areas.front(), stage, longestEntry, base, measurer);
    for (const StageRect &area : areas) {
        SlotGridLayout other = fitSlotGrid(n, area, stage, longestEntry, base, measurer);
        if (other.font.size > best.font.size)
            best = other;
    }
    best.screen = scaled.screen;
    best.chosenSize = 0;
    return best;
}

SlotBlockLayout fitScaledSlotBlock(int n, const std::vector<StageRect> &areas, const std::string &longestEntry,
                                   const SlotAutoSet &autoset, const SlotBlockLayout &stored, const StageScale &scale,
                                   const TextMeasurer &measurer)
{
    const SlotBlockLayout scaled = slotBlockToStage(stored, scale);
    if (scale.sameShape() || areas.empty())
        return scaled;
    const int ceiling =
        std::max(scaled.font.size, roundHalfEven(stored.chosenFontSize() * scale.largerFactor()));
    std::optional<SlotBlockLayout> best;
    for (const StageRect &area : areas) {
        auto other = fitSlotBlock(n, longestEntry, autoset, area, scale.stage(), withSize(stored.font, ceiling),
                                  measurer);
        if (other && (!best || other->font.size > best->font.size))
            best = other;
    }
    if (!best)
        return scaled;
    best->transparent = stored.transparent;
    best->color = stored.color;
    best->chosenSize = 0;
    best->screen = stored.screen;
    return *best;
}

// The results list ------------------------------------------------------------

ResultsFit fitScaledResults(const AwardTable &awards, WinnerLists winners, int perRow, bool showPrize,
                            const FontSpec &stored, const StageScale &scale, int roomWidth,
                            const TextMeasurer &measurer)
{
    const FontSpec smallest = scale.fontToStage(stored);
    int largest = smallest.size;
    // Text grows in length as the stage's area grows: by the square root of the two factors.
    if (!scale.sameShape() && stored.size > 0)
        largest = std::max(smallest.size,
                           roundHalfEven(stored.size * std::sqrt(scale.factor() * scale.largerFactor())));
    perRow = std::clamp(perRow, 1, kMaxResultsPerRow);
    for (int n = perRow;; --n) {
        ResultsText text = composeResultsText(awards, winners, n, showPrize, smallest, measurer);
        if (text.blockWidth > roomWidth && n > 1)
            continue;
        // The lines are the same at every size: only their width is measured again.
        for (int size = largest; size > smallest.size; --size) {
            const FontSpec font = withSize(smallest, size);
            const int width = measurer.measure(font, text.sample).width;
            if (width <= roomWidth) {
                text.blockWidth = width;
                return {std::move(text), font, n};
            }
        }
        return {std::move(text), smallest, n};
    }
}

}  // namespace tessaly
