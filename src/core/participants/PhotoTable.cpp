#include "participants/PhotoTable.h"

#include "draw/Random.h"
#include "files/Paths.h"
#include "settings/AwardTable.h"
#include "settings/IniStore.h"
#include "settings/ProgramFiles.h"
#include "stage/PhotoGrid.h"
#include "text/Gbk.h"

#include <algorithm>
#include <thread>

namespace tessaly {

std::filesystem::path photoFile(const std::filesystem::path &programDir, const std::string &name)
{
    return resolveStoredPath(programDir, std::string(files::kPhotoFolder) + "\\" + name + ".jpg");
}

std::vector<int> missingPhotos(const std::filesystem::path &programDir, const std::vector<std::string> &names)
{
    std::vector<int> missing;
    for (size_t i = 0; i < names.size(); ++i) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(photoFile(programDir, names[i]), ec))
            missing.push_back(static_cast<int>(i));
    }
    return missing;
}

DecodeBox photoDecodeBox(const IniStore &store, const AwardTable &awards, int stageWidth, int stageHeight,
                         const std::string &screen)
{
    DecodeBox box;
    auto consider = [&](int n) {
        int w = 0, h = 0;
        if (store.readString(photoSectionAll(n), "screen") == screen) {
            const PhotoSlotLayout layout = readPhotoSlotLayout(store, n);
            w = layout.width;
            h = layout.height;
        } else {
            const PhotoGridSpec grid = fitPhotoGrid(readPhotoAutoSet(store, n).grid, n, stageWidth, stageHeight);
            w = grid.width;
            h = grid.height;
        }
        box.width = std::max(box.width, w);
        box.height = std::max(box.height, h);
    };
    for (int i = 0; i < awards.AwardCount; ++i)
        for (int k = 1; k <= awards[i].batchCount; ++k)
            if (const int n = awards[i].batchWinners(k); n >= 1 && n <= kMaxPhotoSlots)
                consider(n);
    if (box.width <= 0 || box.height <= 0)
        box = {400, 300};
    box.width = std::clamp(box.width, 1, std::max(1, stageWidth));
    box.height = std::clamp(box.height, 1, std::max(1, stageHeight));
    return box;
}

std::vector<PhotoFailure> PhotoTable::load(const std::filesystem::path &programDir,
                                           const std::vector<std::string> &names, DecodeBox box, int threads,
                                           std::atomic<int> *progress, const std::atomic<bool> *cancel)
{
    clear();
    const int total = static_cast<int>(names.size());
    m_photos.resize(names.size());
    std::vector<std::string> reasons(names.size());
    std::atomic<int> next{0};
    // Each worker takes the next index; every place is written by one worker only.
    auto work = [&] {
        for (;;) {
            if (cancel && cancel->load(std::memory_order_relaxed))
                return;
            const int i = next.fetch_add(1, std::memory_order_relaxed);
            if (i >= total)
                return;
            auto decoded = loadJpegFile(photoFile(programDir, names[static_cast<size_t>(i)]), box);
            if (decoded)
                m_photos[static_cast<size_t>(i)] = shrinkToCover(std::move(*decoded), box);
            else
                reasons[static_cast<size_t>(i)] = decoded.error().message;
            if (progress)
                progress->fetch_add(1, std::memory_order_relaxed);
        }
    };
    const int workers = std::clamp(threads, 1, std::max(1, total));
    {
        std::vector<std::jthread> pool;
        for (int t = 1; t < workers; ++t)
            pool.emplace_back(work);
        work();
    }
    std::vector<PhotoFailure> failures;
    for (int i = 0; i < total; ++i) {
        if (!m_photos[static_cast<size_t>(i)].empty()) {
            ++m_count;
        } else {
            std::string reason = reasons[static_cast<size_t>(i)];
            if (reason.empty())
                reason = utf8ToGbk("未加载");
            failures.push_back({i, names[static_cast<size_t>(i)] + ".jpg", std::move(reason)});
        }
    }
    return failures;
}

void PhotoTable::clear()
{
    m_photos.clear();
    m_photos.shrink_to_fit();
    m_count = 0;
}

const RgbImage *PhotoTable::photo(int index) const
{
    if (index < 0 || index >= size())
        return nullptr;
    const RgbImage &p = m_photos[static_cast<size_t>(index)];
    return p.empty() ? nullptr : &p;
}

std::size_t PhotoTable::byteCount() const
{
    std::size_t bytes = 0;
    for (const auto &p : m_photos)
        bytes += p.byteCount();
    return bytes;
}

std::vector<int> pickRollingPhotos(const std::vector<int> &pool, int rollCount, int slots, RandomSource &random)
{
    std::vector<int> picked;
    const int inPlay = std::min<int>(rollCount, static_cast<int>(pool.size()));
    if (inPlay <= 0)
        return picked;
    picked.reserve(static_cast<size_t>(std::max(slots, 0)));
    for (int i = 0; i < slots; ++i)
        picked.push_back(pool[static_cast<size_t>(random.below(inPlay))]);
    return picked;
}

}  // namespace tessaly
