#include "stage/StageFit.h"

#include "settings/Encodings.h"

#include <algorithm>
#include <cmath>

namespace tessaly {

std::vector<std::pair<size_t, size_t>> overlappingPairs(const std::vector<StageRect> &rects)
{
    std::vector<std::pair<size_t, size_t>> out;
    for (size_t i = 0; i < rects.size(); ++i)
        for (size_t j = i + 1; j < rects.size(); ++j)
            if (rects[i].intersects(rects[j]))
                out.emplace_back(i, j);
    return out;
}

namespace {

// The stage split for the slots: the top they start below (under every element
// of the upper half), the elements of the lower half, and the bottoms the area
// may have (the stage's, or just above one of those elements).
struct StageSplit {
    int top = 0;
    std::vector<StageRect> lower;
    std::vector<int> bottoms;
};

StageSplit splitStage(int stageHeight, const std::vector<StageRect> &elements, int margin)
{
    StageSplit split{margin, {}, {stageHeight - margin}};
    for (const StageRect &e : elements) {
        if (e.empty())
            continue;
        if (e.top + e.height / 2 < stageHeight / 2)
            split.top = std::max(split.top, e.bottom() + margin);
        else
            split.lower.push_back(e);
    }
    for (const StageRect &e : split.lower)
        split.bottoms.push_back(e.top - margin);
    return split;
}

}  // namespace

StageRect slotArea(int stageWidth, int stageHeight, const std::vector<StageRect> &elements)
{
    constexpr int margin = 10;
    // Each element of the lower half may end the area, or stand beside it; the
    // area stays centred on the stage, since the slots are centred.
    const auto [top, lower, bottoms] = splitStage(stageHeight, elements, margin);
    const int centre = stageWidth / 2;
    StageRect best{};
    for (int bottom : bottoms) {
        if (bottom - top <= 0)
            continue;
        int half = centre - margin / 2;
        bool possible = true;
        for (const StageRect &e : lower) {
            if (e.top >= bottom + margin)
                continue;  // wholly below the area
            if (e.right() + margin <= centre)
                half = std::min(half, centre - e.right() - margin);
            else if (e.left - margin >= centre)
                half = std::min(half, e.left - margin - centre);
            else
                possible = false;  // stands across the middle
        }
        const StageRect candidate{centre - half, top, 2 * half, bottom - top};
        if (possible && half > 0 &&
            static_cast<long long>(candidate.width) * candidate.height >
                static_cast<long long>(best.width) * best.height)
            best = candidate;
    }
    if (best.height < stageHeight / 8) {
        // The elements crowd the middle (a hand-made layout): the middle half stays free for the draw.
        return {margin / 2, stageHeight / 4, stageWidth - margin, stageHeight / 2};
    }
    return best;
}

std::vector<StageRect> slotAreaCandidates(int stageWidth, int stageHeight, const std::vector<StageRect> &elements)
{
    constexpr int margin = 10;
    std::vector<StageRect> out{slotArea(stageWidth, stageHeight, elements)};
    const auto [top, lower, bottoms] = splitStage(stageHeight, elements, margin);
    for (int bottom : bottoms) {
        if (bottom - top < stageHeight / 8)
            continue;
        struct Span {
            int from, to;
        };
        std::vector<Span> spans{{margin / 2, stageWidth - margin / 2}};
        for (const StageRect &e : lower) {
            if (e.top >= bottom + margin)
                continue;  // wholly below the area
            std::vector<Span> next;
            for (const Span &sp : spans) {
                if (e.left - margin > sp.from)
                    next.push_back({sp.from, std::min(sp.to, e.left - margin)});
                if (e.right() + margin < sp.to)
                    next.push_back({std::max(sp.from, e.right() + margin), sp.to});
            }
            spans = std::move(next);
        }
        if (spans.empty())
            continue;
        const Span widest = *std::max_element(spans.begin(), spans.end(), [](const Span &a, const Span &b) {
            return a.to - a.from < b.to - b.from;
        });
        const StageRect candidate{widest.from, top, widest.to - widest.from, bottom - top};
        if (candidate.width >= stageWidth / 4 && std::find(out.begin(), out.end(), candidate) == out.end())
            out.push_back(candidate);
    }
    return out;
}

FontSpec withSize(FontSpec font, int size)
{
    font.size = size;
    font.height = fontHeightForSize(size);
    return font;
}

int sizeToFitWidth(FontSpec font, std::string_view text, int maxWidth, int minSize, const TextMeasurer &measurer)
{
    int size = std::max(font.size, 1);
    minSize = std::clamp(minSize, 1, size);
    while (size > minSize && measurer.measure(withSize(font, size), text).width > maxWidth)
        --size;
    return size;
}

CaptionPlace placeCentredCaption(int stageWidth, const StageRect &caption, const std::vector<StageRect> &obstacles,
                                 int margin)
{
    struct Span {
        int from, to;
    };
    std::vector<Span> spans{{margin, stageWidth - margin}};
    for (const StageRect &o : obstacles) {
        if (o.empty() || o.top >= caption.bottom() || caption.top >= o.bottom())
            continue;  // not in the caption's rows
        std::vector<Span> next;
        for (const Span &s : spans) {
            if (o.left - margin > s.from)
                next.push_back({s.from, std::min(s.to, o.left - margin)});
            if (o.right() + margin < s.to)
                next.push_back({std::max(s.from, o.right() + margin), s.to});
        }
        spans = std::move(next);
    }
    const int centred = roundHalfEven((stageWidth - caption.width) / 2.0);
    for (const Span &s : spans)
        if (centred >= s.from && centred + caption.width <= s.to)
            return {centred, stageWidth - 2 * margin};
    if (spans.empty())
        return {centred, 0};
    const Span widest = *std::max_element(spans.begin(), spans.end(),
                                          [](const Span &a, const Span &b) { return a.to - a.from < b.to - b.from; });
    const int room = widest.to - widest.from;
    if (spans.size() == 1 && widest.from == margin && widest.to == stageWidth - margin)
        return {centred, room};  // nothing in the way: only too wide for the stage
    return {widest.from + std::max(0, roundHalfEven((room - caption.width) / 2.0)), room};
}

SlotGridLayout fitSlotGrid(int n, const StageRect &area, TextSize stage, const std::string &longestEntry,
                           SlotGridLayout base, const TextMeasurer &measurer)
{
    n = std::clamp(n, 1, kMaxSlots);
    const int columns = n <= 10 ? 1 : 2, rows = columns == 1 ? n : (n + 1) / 2, gap = 30, rowGap = 10;
    // From the size the font was chosen at: a grid shrunk on a small stage grows back on a larger one.
    const int chosen = std::max(base.chosenFontSize(), 1);
    int size = chosen;
    TextSize slot{};
    for (;; --size) {
        slot = measurer.measure(withSize(base.font, size), longestEntry);
        const int width = columns * slot.width + gap * (columns - 1);
        const int height = rows * slot.height + (rows - 1) * rowGap;
        if ((width <= area.width && height <= area.height) || size == 1)
            break;
    }
    if (size != base.font.size)
        base.font = withSize(base.font, size);
    base.chosenSize = size < chosen ? chosen : 0;
    base.positions = {};
    const int blockWidth = columns * slot.width + gap * (columns - 1);
    const int blockHeight = rows * slot.height + (rows - 1) * rowGap;
    const int left = area.left + roundHalfEven((area.width - blockWidth) / 2.0);
    const int top = std::max(1, area.top + truncToInt((area.height - blockHeight) / 2.0));  // top 0 hides a slot
    base.positions = *placeSlotGrid(stage.width, top, top + blockHeight, n, gap, columns, left, slot);
    base.width = slot.width;
    base.height = slot.height;
    base.screen = screenKey(stage.width, stage.height);
    return base;
}

namespace {

std::string rollingBlock(int n, const std::string &entry, int perLine, int spacing, bool blankLine)
{
    return composeSlotBlockText(std::vector<std::string>(static_cast<size_t>(n), entry), perLine, spacing, blankLine,
                                false);
}

// The entries per line the settings give for a batch of n, and their font size.
std::pair<int, int> settingsPerLine(int n, const std::string &longestEntry, const SlotAutoSet &a)
{
    int perLine = n / 10 + (n % 10 ? 1 : 0);
    if (perLine > 10)
        return {std::max(a.ls100, 1), a.size100};
    const auto k = static_cast<size_t>(std::clamp(perLine, 0, 10));
    const bool shortEntries = static_cast<int>(longestEntry.size()) < a.azgeshu;
    return {std::max(perLine, 1), shortEntries ? a.sizeShort[k] : a.sizeLong[k]};
}

}  // namespace

std::optional<SlotBlockLayout> fitSlotBlock(int n, const std::string &longestEntry, const SlotAutoSet &a,
                                            const StageRect &area, TextSize stage, const FontSpec &style,
                                            const TextMeasurer &measurer)
{
    if (n < 1 || area.empty())
        return std::nullopt;
    const auto [settingsK, settingsSize] = settingsPerLine(n, longestEntry, a);
    const int ceiling = std::max({style.size, settingsSize, 1});
    const int spacing = std::clamp(a.space, 0, 28);

    // The shape of one entry at a reference size gives the counts that suit the area best.
    constexpr int reference = 20;
    const FontSpec ref = withSize(style, reference);
    const double entryWidth = std::max(1, measurer.measure(ref, longestEntry + std::string(spacing, ' ')).width);
    const double lineHeight = std::max(1, measurer.measure(ref, "X").height);
    auto scaleFor = [&](int k, bool blankLine) {
        const int lines = (n + k - 1) / k;
        return std::min(area.width / (k * entryWidth), area.height / ((blankLine ? 2 * lines - 1 : lines) * lineHeight));
    };
    auto fits = [&](int k, bool blankLine, int size, TextSize *block) {
        const TextSize b = measurer.measure(withSize(style, size), rollingBlock(n, longestEntry, k, spacing, blankLine));
        if (block)
            *block = b;
        return b.width <= area.width && b.height <= area.height;
    };
    // An empty line between lines, as the block has always had, unless single
    // spacing gives larger names: a large batch on a small stage wants the height.
    int chosenK = 0, chosenSize = 0;
    bool chosenBlank = true;
    for (bool blankLine : {true, false}) {
        std::vector<int> candidates{std::min(settingsK, n)};
        int best = 1;
        for (int k = 2; k <= n; ++k)
            if (scaleFor(k, blankLine) > scaleFor(best, blankLine))
                best = k;
        for (int k = std::max(1, best - 2); k <= std::min(n, best + 2); ++k)
            if (std::find(candidates.begin(), candidates.end(), k) == candidates.end())
                candidates.push_back(k);
        for (int k : candidates) {
            if (!fits(k, blankLine, 1, nullptr))
                continue;
            int lo = 1, hi = ceiling;  // lo fits; find the largest size that does
            while (lo < hi) {
                const int mid = (lo + hi + 1) / 2;
                if (fits(k, blankLine, mid, nullptr))
                    lo = mid;
                else
                    hi = mid - 1;
            }
            if (lo > chosenSize) {
                chosenSize = lo;
                chosenK = k;
                chosenBlank = blankLine;
            }
        }
    }
    if (chosenSize == 0)
        return std::nullopt;

    SlotBlockLayout l;
    l.font = withSize(style, chosenSize);
    l.transparent = true;
    l.color = colors::clGreen;
    l.row = chosenK;
    l.space = spacing;
    l.blankLine = chosenBlank;
    l.chosenSize = chosenSize < style.size ? style.size : 0;
    TextSize block{};
    fits(chosenK, chosenBlank, chosenSize, &block);
    l.width = block.width;
    l.height = block.height;
    l.left = area.left + truncToInt((area.width - block.width) / 2.0);
    l.top = area.top + truncToInt((area.height - block.height) / 2.0);
    l.maxwidth = measurer.measure(l.font, longestEntry).width;
    l.screen = screenKey(stage.width, stage.height);
    return l;
}

bool hasOwnSlotStyle(const IniStore &store, int n)
{
    return n <= kMaxSlots ? store.hasKey(gridSectionAll(n), "Font.Name") : store.hasKey(blockSection(n), "Font.Name");
}

std::optional<SlotStyle> existingSlotStyle(const IniStore &store, int n)
{
    // Slot grids first (they carry the look the operator chose), then text blocks.
    for (int pass = 0; pass < 2; ++pass) {
        const int from = pass == 0 ? 1 : kMaxSlots + 1, to = pass == 0 ? kMaxSlots : 1000;
        const int farthest = std::max(std::abs(n - from), std::abs(n - to));
        for (int d = 0; d <= farthest; ++d) {
            for (int k : {n - d, n + d}) {
                if (k < from || k > to || !hasOwnSlotStyle(store, k))
                    continue;
                SlotStyle s;
                if (k <= kMaxSlots) {
                    const SlotGridLayout l = readSlotGridLayout(store, k);
                    s = {withSize(l.font, l.chosenFontSize()), l.transparent, l.color};
                } else {
                    const SlotBlockLayout l = readSlotBlockLayout(store, k);
                    s = {withSize(l.font, l.chosenFontSize()), l.transparent, l.color};
                }
                return s;
            }
        }
    }
    return std::nullopt;
}

std::pair<int, int> placeButtonPair(int stageWidth, int goWidth, int stopWidth, int gap, int rightLimit)
{
    auto lefts = [&](int g) {
        const int go = roundHalfEven((stageWidth - goWidth - stopWidth - g) / 2.0);
        return std::pair{go, go + goWidth + g};
    };
    auto pair = lefts(gap);
    if (pair.second + stopWidth <= rightLimit)
        return pair;
    const int narrower = std::max(20, std::min(gap, 2 * rightLimit - stageWidth - goWidth - stopWidth));
    pair = lefts(narrower);
    if (pair.second + stopWidth > rightLimit) {
        const int shift = std::min(pair.second + stopWidth - rightLimit, std::max(0, pair.first - 10));
        pair = {pair.first - shift, pair.second - shift};
    }
    return pair;
}

double relativeLuminance(int red, int green, int blue)
{
    auto linear = [](int channel) {
        const double c = std::clamp(channel, 0, 255) / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(red) + 0.7152 * linear(green) + 0.0722 * linear(blue);
}

double contrastRatio(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

StageRect fitWindowOnScreen(const StageRect &available, const StageRect &client, const FrameMargins &frame)
{
    StageRect out = client;
    const int frameWidth = frame.left + frame.right, frameHeight = frame.top + frame.bottom;
    out.width = std::clamp(client.width, 1, std::max(1, available.width - frameWidth));
    out.height = std::clamp(client.height, 1, std::max(1, available.height - frameHeight));
    const int outerLeft = std::clamp(client.left - frame.left, available.left,
                                     std::max(available.left, available.right() - out.width - frameWidth));
    const int outerTop = std::clamp(client.top - frame.top, available.top,
                                    std::max(available.top, available.bottom() - out.height - frameHeight));
    out.left = outerLeft + frame.left;
    out.top = outerTop + frame.top;
    return out;
}

}  // namespace tessaly
