#include "winners/WinnersFit.h"

#include "settings/IniStore.h"
#include "stage/PhotoGrid.h"
#include "stage/StageFit.h"
#include "text/Gbk.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace tessaly {
namespace {

// The largest value in [lo, hi] that passes, given that lo passes and that
// passing values form a prefix of the range.
template <typename Pred>
int largestPassing(int lo, int hi, Pred pass)
{
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (pass(mid))
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

int ceilDiv(int a, int b)
{
    return (a + b - 1) / b;
}

}  // namespace

GridChoice chooseGrid(int storedColumns, int count, int mostColumns, int minSize, int maxSize, const GridFits &fits)
{
    const int most = std::max(1, std::min(count, mostColumns));
    const int stored = std::clamp(storedColumns, 1, most);
    minSize = std::max(1, minSize);
    maxSize = std::max(minSize, maxSize);
    auto all = [&](int c, int s) {
        const GridProbe p = fits(c, s);
        return p.width && p.height;
    };
    // The operator's arrangement wins whenever it shows the whole award.
    if (all(stored, minSize))
        return {stored, largestPassing(minSize, maxSize, [&](int s) { return all(stored, s); }), true};

    // Width shrinks with fewer columns, height with more: at a size, the
    // widest row that fits is the one that can make everything fit.
    auto widest = [&](int s) {
        if (!fits(1, s).width)
            return 0;
        return largestPassing(1, most, [&](int c) { return fits(c, s).width; });
    };
    auto anyFits = [&](int s) {
        const int c = widest(s);
        return c > 0 && fits(c, s).height;
    };
    if (anyFits(minSize)) {
        const int size = largestPassing(minSize, maxSize, anyFits);
        const int wide = widest(size);
        // The fewest columns that are low enough, then as near the stored count as they go.
        int lo = 1, hi = wide;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (fits(mid, size).height)
                hi = mid;
            else
                lo = mid + 1;
        }
        return {std::clamp(stored, lo, wide), size, true};
    }
    if (const int c = widest(minSize); c > 0)
        return {c, minSize, false};
    // One item alone is wider than the window at the smallest size: smaller, then.
    int size = 1;
    if (fits(1, 1).width)
        size = largestPassing(1, minSize, [&](int s) { return fits(1, s).width; });
    return {1, size, false};
}

int winnersMargin(TextSize window)
{
    return std::max(4, roundHalfEven(std::min(window.width, window.height) / 36.0));
}

TextSize winnersArea(TextSize window, bool centred, Point stored)
{
    const int m = winnersMargin(window);
    const int left = centred ? m : std::clamp(stored.x, 0, window.width);
    const int top = centred ? m : std::clamp(stored.y, 0, window.height);
    return {std::max(1, window.width - left - m), std::max(1, window.height - top - 2 * m)};
}

int readableLineHeight(TextSize window)
{
    return std::max(1, ceilDiv(window.height * 32, 1080));
}

WinnersTextFit fitWinnersText(TextSize area, const std::vector<std::string> &entries,
                              const std::vector<std::string> &headingLines, int storedPerRow, const FontSpec &stored,
                              int readableLine, const TextMeasurer &measurer)
{
    const int count = static_cast<int>(entries.size());
    size_t entryBytes = 0;
    std::string allEntries;  // one a line: the widest one decides a row's overhang
    for (const auto &e : entries) {
        entryBytes = std::max(entryBytes, e.size());
        if (!allEntries.empty())
            allEntries += '\r';
        allEntries += e;
    }
    std::string heading;
    for (const auto &l : headingLines)
        heading += (heading.empty() ? "" : "\r") + l;
    auto font = [&](int size) { return withSize(stored, std::clamp(size, 1, kMaxFontSize)); };
    auto linesHigh = [&](int size, int lines) {
        return lines <= 0 ? 0 : measurer.measure(font(size), std::string(static_cast<size_t>(lines - 1), '\r')).height;
    };

    // The heading lines share the names' size, smaller only when they would be wider than the room.
    const int storedSize = std::clamp(stored.size > 0 ? stored.size : 20, 1, kMaxFontSize);
    auto headingFits = [&](int s) { return measurer.measure(font(s), heading).width <= area.width; };
    const int headingMost = headingFits(1) ? largestPassing(1, kMaxFontSize, headingFits) : 1;

    struct Metrics {
        double cell = 0;  // one byte of a padded entry
        int widest = 0;   // the widest entry as drawn
        int headingHigh = 0;
    };
    std::map<int, Metrics> cache;
    auto metrics = [&](int s) -> const Metrics & {
        auto it = cache.find(s);
        if (it != cache.end())
            return it->second;
        Metrics m;
        constexpr int kProbe = 200;
        m.cell = measurer.measure(font(s), std::string(kProbe, ' ')).width / static_cast<double>(kProbe);
        m.widest = count > 0 ? measurer.measure(font(s), allEntries).width : 0;
        m.headingHigh = headingLines.empty() ? 0 : measurer.measure(font(std::min(s, headingMost)), heading).height;
        return cache.emplace(s, m).first->second;
    };
    // A row of c entries: each padded to the longest and two blanks apart.
    auto rowWidth = [&](int c, int s) {
        const Metrics &m = metrics(s);
        return count == 0 ? 0 : static_cast<int>(std::ceil((c - 1) * (entryBytes + 2) * m.cell)) + m.widest;
    };
    auto rows = [&](int c) { return count == 0 ? 0 : ceilDiv(count, c); };
    auto pageHigh = [&](int s, int rowCount) { return metrics(s).headingHigh + linesHigh(s, rowCount); };
    const GridFits fits = [&](int c, int s) {
        return GridProbe{rowWidth(c, s) <= area.width, pageHigh(s, rows(c)) <= area.height};
    };

    // Paged awards stay readable: the floor is the larger of the stored size and a readable line.
    const auto tooSmall = [&](int s) { return s == 0 || linesHigh(s, 1) < readableLine; };
    const int readableSize = std::min(kMaxFontSize, largestPassing(0, kMaxFontSize, tooSmall) + 1);
    const int minSize = std::max(storedSize, readableSize);
    // No size past the one whose single line fills the room.
    const int oneLine = linesHigh(minSize, 1);
    const int maxSize = std::min<int>(kMaxFontSize, static_cast<int>(static_cast<long long>(minSize) * area.height /
                                                                     std::max(1, oneLine)) + 1);

    const GridChoice choice = chooseGrid(storedPerRow, count, kMaxWinnersPerRow, minSize, maxSize, fits);
    WinnersTextFit fit;
    fit.perRow = choice.columns;
    int size = choice.size;
    const int allRows = rows(fit.perRow);
    if (choice.onePage) {
        fit.rowsPerPage = std::max(1, allRows);
    } else {
        // As many rows a page as the room takes, the pages evened out; a
        // page holds one row at least, smaller if it must.
        auto perPage = [&](int s) {
            const int room = area.height - metrics(s).headingHigh;
            int n = 0;
            while (n < allRows && linesHigh(s, n + 1) <= room)
                ++n;
            return n;
        };
        while (size > 1 && perPage(size) < 1)
            --size;
        const int most = std::max(1, perPage(size));
        fit.pages = ceilDiv(std::max(1, allRows), most);
        fit.rowsPerPage = ceilDiv(std::max(1, allRows), fit.pages);
    }
    fit.names = font(size);
    fit.heading = font(std::min(size, headingMost));
    return fit;
}

WinnersPhotoFit fitWinnersPhotos(TextSize window, int count, const WinnersPhotoStyle &stored, int captionHeight,
                                 TextSize largestPhoto)
{
    const TextSize base = winnersTileSize(stored, window);
    const int m = winnersMargin(window);
    const TextSize area{std::max(1, window.width - 2 * m), std::max(1, window.height - 2 * m)};
    auto scaled = [&](int value, int width) {
        return static_cast<int>(std::lround(static_cast<double>(value) * width / base.width));
    };
    auto tileHigh = [&](int width) { return std::max(1, scaled(base.height, width)); };
    const GridFits fits = [&](int c, int width) {
        const int columnGap = std::max(0, scaled(stored.columnGap, width));
        const int rowGap = std::max(0, scaled(stored.rowGap, width));
        const int rowCount = count == 0 ? 0 : ceilDiv(count, c);
        const bool gapless = rowCount <= 1 || count < 3;
        const int gridHigh = rowCount * tileHigh(width) + (gapless ? 0 : (rowCount - 1) * rowGap);
        const long long wide = static_cast<long long>(c) * width + static_cast<long long>(c - 1) * columnGap;
        const int top = std::max(0, stored.captionTop) + scaled(captionHeight, width) + rowGap;
        return GridProbe{wide <= area.width, top + gridHigh <= area.height + m};
    };
    // Grown only up to the pixels the photos have and the window shows.
    int most = base.width;
    if (largestPhoto.width > 0 && largestPhoto.height > 0) {
        const double byPhoto = std::min(static_cast<double>(largestPhoto.width) / base.width,
                                        static_cast<double>(largestPhoto.height) / base.height);
        const double byWindow =
            std::min(static_cast<double>(area.width) / base.width, static_cast<double>(area.height) / base.height);
        most = std::max(base.width, static_cast<int>(base.width * std::min(byPhoto, byWindow)));
    }
    const GridChoice choice = chooseGrid(stored.columns, count, kMaxPhotoSlots, base.width, most, fits);
    WinnersPhotoFit fit;
    fit.columns = choice.columns;
    const int width = std::max(choice.size, base.width);  // pictures never shrink below what is stored
    fit.tile = {width, tileHigh(width)};
    fit.columnGap = std::max(0, scaled(stored.columnGap, width));
    fit.rowGap = std::max(0, scaled(stored.rowGap, width));
    fit.scale = static_cast<double>(width) / base.width;
    fit.onePage = choice.onePage;
    return fit;
}

WinnersPage nextAutoPage(WinnersPage current, int pages, std::span<const int> winnerCounts, int awardCount,
                         bool scrollDown)
{
    if (current.page + 1 < pages)
        return {current.award, current.page + 1};
    const int n = std::max(0, std::min<int>(awardCount, static_cast<int>(winnerCounts.size())));
    const int step = scrollDown ? 1 : -1;
    for (int k = 1; k <= n; ++k) {
        // The window's own order, round again after its last award.
        const int award = ((current.award + step * k) % n + n) % n;
        if (winnerCounts[static_cast<size_t>(award)] > 0)
            return {award, 0};
    }
    return {current.award, 0};
}

std::string pageCaption(int page, int pages)
{
    return TSL_GBK("第 ") + std::to_string(page + 1) + "/" + std::to_string(pages) + TSL_GBK(" 页");
}

int readAutoPagePeriod(const IniStore &settings)
{
    return std::clamp(settings.readInteger("float2txt", "AutoPage", kAutoPageDefault), kAutoPageMin, kAutoPageMax);
}

void writeAutoPagePeriod(IniStore &settings, int seconds)
{
    settings.writeInteger("float2txt", "AutoPage", std::clamp(seconds, kAutoPageMin, kAutoPageMax));
}

}  // namespace tessaly
