#include "stage/PhotoGrid.h"

#include "settings/Encodings.h"
#include "text/Gbk.h"
#include "text/SplitField.h"

#include <algorithm>

namespace tessaly {

namespace {

constexpr const char *kAutoSetSection = "0phoautoset";
// The shipped default; its face is stored as it always was.
constexpr const char *kDefaultAutoSet = "5|10|100|10|400|300|clWhite|10|宋书|[]";

int fieldInt(std::string_view text, int n, int def)
{
    int value = 0;
    return parseInteger(SplitField(text, '|', n), value) ? value : def;
}

}  // namespace

std::string photoSectionPositions(int n) { return std::to_string(n) + "pho"; }
std::string photoSectionAll(int n) { return std::to_string(n) + "phoall"; }

Result<std::vector<SlotPosition>> placePhotoGrid(const PhotoGridSpec &spec, int n, int stageWidth)
{
    if (spec.columns < 1)
        return makeError(ErrorCode::BadInput, utf8ToGbk("列数至少为1。"));
    if (n < 1 || n > kMaxPhotoSlots)
        return makeError(ErrorCode::BadInput, utf8ToGbk("图片数应在1到2001之间。"));
    // Far beyond any screen, and small enough that no position overflows.
    constexpr int kLimit = 100000;
    for (int v : {spec.columnGap, spec.top, spec.rowGap, spec.width, spec.height})
        if (v < -kLimit || v > kLimit)
            return makeError(ErrorCode::BadInput, utf8ToGbk("图片大小或间距超出范围。"));
    const int k = spec.columns;
    const int rows = n % k == 0 ? n / k : n / k + 1;
    const int rowStep = (n < 3 || rows == 1) ? spec.height : spec.height + spec.rowGap;
    const int left =
        roundHalfEven((static_cast<double>(stageWidth) - static_cast<double>(k) * spec.width -
                       static_cast<double>(k - 1) * spec.columnGap) / 2.0);
    std::vector<SlotPosition> positions(static_cast<size_t>(n));
    for (int i = 1; i <= n; ++i) {
        const int row = (i - 1) / k, column = (i - 1) % k;
        positions[static_cast<size_t>(i - 1)] = {column * (spec.width + spec.columnGap) + left,
                                                 spec.top + row * rowStep};
    }
    return positions;
}

std::optional<PhotoGridRefusal> refuseTypedPhotoGrid(const PhotoGridSpec &spec, int stageWidth, int stageHeight)
{
    struct Range {
        PhotoGridField field;
        const char *label;
        int value, least, most;
    } const ranges[] = {
        {PhotoGridField::Columns, "列数", spec.columns, 1, kMaxPhotoSlots},
        {PhotoGridField::ColumnGap, "列间距", spec.columnGap, 0, stageWidth},
        {PhotoGridField::Top, "上边距", spec.top, 0, stageHeight},
        {PhotoGridField::RowGap, "行间距", spec.rowGap, 0, stageHeight},
        {PhotoGridField::Width, "图片宽", spec.width, 1, stageWidth},
        {PhotoGridField::Height, "图片高", spec.height, 1, stageHeight},
    };
    for (const Range &r : ranges)
        if (r.value < r.least || r.value > std::max(r.least, r.most))
            return PhotoGridRefusal{r.field, utf8ToGbk(std::string(r.label) + "应在" + std::to_string(r.least) + "到" +
                                                       std::to_string(std::max(r.least, r.most)) + "之间。")};
    return std::nullopt;
}

Result<std::vector<SlotPosition>> placeWinnerPhotoGrid(const PhotoGridSpec &spec, int n, int stageWidth)
{
    PhotoGridSpec capped = spec;
    if (n >= 1)
        capped.columns = std::min(spec.columns, n);
    return placePhotoGrid(capped, n, stageWidth);
}

Status LayoutPhotoGrid(IniStore &store, const PhotoGridSpec &spec, int n, int stageWidth, const std::string &screen)
{
    auto placed = placePhotoGrid(spec, n, stageWidth);
    if (!placed)
        return placed.error();
    const std::string pho = photoSectionPositions(n), all = photoSectionAll(n);
    for (int i = 1; i <= n; ++i) {
        const auto &p = (*placed)[static_cast<size_t>(i - 1)];
        store.writeInteger(pho, std::to_string(i) + "Left", p.left);
        store.writeInteger(pho, std::to_string(i) + "Top", p.top);
    }
    store.writeInteger(all, "Height", spec.height);
    store.writeInteger(all, "Width", spec.width);
    store.writeString(all, "screen", screen);
    return Ok{};
}

FontSpec parsePhotoCaptionFont(std::string_view text)
{
    FontSpec font;
    font.color = colorFromString(SplitField(text, '|', 1)).value_or(colors::clWhite);
    font.size = fieldInt(text, 2, 10);
    if (font.size < 1)
        font.size = 10;
    font.height = fontHeightForSize(font.size);
    font.name = SplitField(text, '|', 3);
    font.style = fontStyleFromString(SplitField(text, '|', 4));
    return font;
}

std::string formatPhotoCaptionFont(const FontSpec &font)
{
    return joinCompound({colorToString(font.color), std::to_string(font.size), font.name,
                         fontStyleToString(font.style)});
}

std::string photoAutoSetKey(int n) { return n > 30 ? "100" : std::to_string(n); }

PhotoAutoSet readPhotoAutoSet(const IniStore &store, int n)
{
    static const std::string def = utf8ToGbk(kDefaultAutoSet);
    const std::string value = store.readString(kAutoSetSection, photoAutoSetKey(n), def);
    PhotoAutoSet set;
    // A stored default that cannot make a grid is brought into range rather than refused.
    set.grid = {std::clamp(fieldInt(value, 1, 5), 1, kMaxPhotoSlots), std::clamp(fieldInt(value, 2, 10), 0, 10000),
                std::clamp(fieldInt(value, 3, 100), 0, 10000),     std::clamp(fieldInt(value, 4, 10), 0, 10000),
                std::clamp(fieldInt(value, 5, 400), 1, 10000),     std::clamp(fieldInt(value, 6, 300), 1, 10000)};
    set.captionFont = joinCompound({SplitField(value, '|', 7), SplitField(value, '|', 8), SplitField(value, '|', 9),
                                    SplitField(value, '|', 10)});
    return set;
}

PhotoRect PhotoSlotLayout::rect(int i) const
{
    const SlotPosition p = i >= 1 && i <= static_cast<int>(positions.size()) ? positions[static_cast<size_t>(i - 1)]
                                                                             : SlotPosition{100, 100};
    return {p.left, p.top, width, height};
}

PhotoSlotLayout readPhotoSlotLayout(const IniStore &store, int n)
{
    static const std::string defCaption = utf8ToGbk(kDefaultPhotoCaption);
    PhotoSlotLayout l;
    const std::string pho = photoSectionPositions(n), all = photoSectionAll(n);
    l.width = store.readInteger(all, "Width", 400, 1, kMaxPhotoSlotSide, &l.outOfRange);
    l.height = store.readInteger(all, "Height", 300, 1, kMaxPhotoSlotSide, &l.outOfRange);
    l.screen = store.readString(all, "screen");
    l.captionFont = parsePhotoCaptionFont(store.readString(all, "txt", defCaption));
    const int count = std::clamp(n, 0, kMaxPhotoSlots);
    l.positions.resize(static_cast<size_t>(count));
    for (int i = 1; i <= count; ++i)
        l.positions[static_cast<size_t>(i - 1)] = {
            store.readInteger(pho, std::to_string(i) + "Left", 100, -kMaxPhotoSlotSide, kMaxPhotoSlotSide, &l.outOfRange),
            store.readInteger(pho, std::to_string(i) + "Top", 100, -kMaxPhotoSlotSide, kMaxPhotoSlotSide, &l.outOfRange)};
    return l;
}

std::string photoSlotLayoutNotice(const PhotoSlotLayout &layout, int n)
{
    if (!layout.outOfRange)
        return {};
    const std::string side = std::to_string(kMaxPhotoSlotSide);
    return TSL_GBK("保存的") + std::to_string(n) + TSL_GBK("个图片的排列中有图片大小或位置超出范围（大小1到") + side +
           TSL_GBK("，位置-") + side + TSL_GBK("到") + side + TSL_GBK("），已按最近的有效值显示。");
}

namespace {

struct GridExtent {
    double width = 0;
    double height = 0;
};

GridExtent gridExtent(const PhotoGridSpec &s, int n)
{
    const int rows = (n + s.columns - 1) / s.columns;
    const int rowStep = (n < 3 || rows == 1) ? s.height : s.height + s.rowGap;
    return {static_cast<double>(s.columns) * s.width + static_cast<double>(s.columns - 1) * s.columnGap,
            static_cast<double>(rows - 1) * rowStep + s.height};
}

// The column count that lets the slots be largest within width by height
// (the stored count first, so that it wins a tie), slots and gaps shrunk with
// their proportions kept, never enlarged.
PhotoGridSpec largestGridWithin(const PhotoGridSpec &spec, int n, double width, double height)
{
    PhotoGridSpec best = spec;
    double bestScale = 0;
    std::vector<int> counts{std::min(spec.columns, n)};
    for (int k = 1; k <= std::min(n, 100); ++k)
        if (k != counts.front())
            counts.push_back(k);
    for (int k : counts) {
        PhotoGridSpec trial = spec;
        trial.columns = k;
        const GridExtent e = gridExtent(trial, n);
        const double scale = std::min({width / e.width, height / e.height, 1.0});
        if (scale > bestScale + 1e-9) {
            bestScale = scale;
            best = trial;
        }
    }
    auto scaled = [bestScale](int v) { return std::max(0, static_cast<int>(v * bestScale)); };
    best.width = std::max(1, scaled(spec.width));
    best.height = std::max(1, scaled(spec.height));
    best.columnGap = scaled(spec.columnGap);
    best.rowGap = scaled(spec.rowGap);
    return best;
}

}  // namespace

PhotoGridSpec fitPhotoGrid(const PhotoGridSpec &spec, int n, int stageWidth, int stageHeight)
{
    // A tenth of the width stays free at the sides, the lowest seventh for the captions and buttons.
    const double availableWidth = stageWidth - std::max(20, stageWidth / 10);
    const double availableHeight = stageHeight - std::max(120, stageHeight / 7) - static_cast<double>(spec.top);
    if (n < 1 || spec.columns < 1 || spec.width < 1 || spec.height < 1 || availableWidth < 1 || availableHeight < 1)
        return spec;
    const GridExtent asStored = gridExtent(spec, n);
    if (asStored.width <= availableWidth && asStored.height <= availableHeight)
        return spec;
    return largestGridWithin(spec, n, availableWidth, availableHeight);
}

PhotoGridSpec fitPhotoGridInArea(const PhotoGridSpec &spec, int n, int stageWidth, const StageRect &area)
{
    if (n < 1 || spec.columns < 1 || spec.width < 1 || spec.height < 1 || area.empty())
        return spec;
    auto fits = [&](const PhotoGridSpec &s) {
        const GridExtent e = gridExtent(s, n);
        const double left = (stageWidth - e.width) / 2.0;
        return left >= area.left && left + e.width <= area.right() && s.top >= area.top &&
               s.top + e.height <= area.bottom();
    };
    if (fits(spec))
        return spec;
    PhotoGridSpec best = largestGridWithin(spec, n, area.width, area.height);
    const GridExtent e = gridExtent(best, n);
    best.top = area.top + std::max(0, static_cast<int>((area.height - e.height) / 2));
    return best;
}

Result<bool> ensurePhotoSlotLayout(IniStore &store, int n, int stageWidth, int stageHeight, const std::string &screen,
                                   const StageRect &area)
{
    if (store.hasKey(photoSectionAll(n), "screen") && store.readString(photoSectionAll(n), "screen") == screen)
        return false;
    const PhotoAutoSet set = readPhotoAutoSet(store, n);
    const PhotoGridSpec grid = area.empty() ? fitPhotoGrid(set.grid, n, stageWidth, stageHeight)
                                            : fitPhotoGridInArea(set.grid, n, stageWidth, area);
    auto laid = LayoutPhotoGrid(store, grid, n, stageWidth, screen);
    if (!laid)
        return laid.error();
    store.writeString(photoSectionAll(n), "txt", set.captionFont);
    return true;
}

void writePhotoSlotPositions(IniStore &store, int n, const std::vector<PlacedPhotoSlot> &slots,
                             const std::string &screen)
{
    const std::string pho = photoSectionPositions(n), all = photoSectionAll(n);
    for (const auto &s : slots) {
        store.writeInteger(pho, std::to_string(s.index) + "Top", s.rect.top);
        store.writeInteger(pho, std::to_string(s.index) + "Left", s.rect.left);
        store.writeInteger(all, "Width", s.rect.width);
        store.writeInteger(all, "Height", s.rect.height);
    }
    store.writeString(all, "screen", screen);
}

SlotPosition photoCaptionPosition(const PhotoRect &picture, TextSize caption)
{
    return {picture.left + roundHalfEven((picture.width - caption.width) / 2.0),
            picture.top + picture.height - caption.height - 10};
}

}  // namespace tessaly
