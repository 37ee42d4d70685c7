#include "participants/PhotoTable.h"

#include "draw/Random.h"
#include "participants/PhotoCache.h"
#include "files/Paths.h"
#include "settings/AwardTable.h"
#include "settings/IniStore.h"
#include "settings/ProgramFiles.h"
#include "stage/PhotoGrid.h"
#include "stage/StageScale.h"
#include "text/Gbk.h"

#include "files/FileIo.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <memory>
#include <optional>
#include <span>
#include <thread>
#include <utility>

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

DecodeBox shownPhotoSlotSize(const IniStore &store, int n, int stageWidth, int stageHeight, const std::string &screen)
{
    // As the stage builds the slots: a layout stored for a screen size is shown
    // in proportion when the stage is fitted to the screen, and as stored on the
    // screen it was made for; any other is arranged anew for this stage.
    const std::string stored = store.readString(photoSectionAll(n), "screen");
    const bool fit = store.readBool("Option", kFitToScreenKey, true);
    if (stored == screen || (fit && parseScreenKey(stored))) {
        const StageScale scale = StageScale::forStored(stored, {stageWidth, stageHeight}, fit);
        const PhotoSlotLayout shown = photoSlotsToStage(readPhotoSlotLayout(store, n), n, scale);
        return {shown.width, shown.height};
    }
    const PhotoGridSpec grid = fitPhotoGrid(readPhotoAutoSet(store, n).grid, n, stageWidth, stageHeight);
    return {grid.width, grid.height};
}

DecodeBox photoDecodeBox(const IniStore &store, const AwardTable &awards, int stageWidth, int stageHeight,
                         const std::string &screen, double pixelRatio)
{
    DecodeBox box;
    for (int i = 0; i < awards.AwardCount; ++i)
        for (int k = 1; k <= awards[i].batchCount; ++k)
            if (const int n = awards[i].batchWinners(k); n >= 1 && n <= kMaxPhotoSlots) {
                const DecodeBox slot = shownPhotoSlotSize(store, n, stageWidth, stageHeight, screen);
                box.width = std::max(box.width, slot.width);
                box.height = std::max(box.height, slot.height);
            }
    if (box.width <= 0 || box.height <= 0)
        box = {400, 300};
    box.width = std::clamp(box.width, 1, std::max(1, stageWidth));
    box.height = std::clamp(box.height, 1, std::max(1, stageHeight));
    // Slots are laid out in logical pixels; a screen of more device pixels per
    // logical one draws them with that many more.
    const double ratio = std::clamp(pixelRatio, 1.0, 4.0);
    return {static_cast<int>(std::lround(box.width * ratio)), static_cast<int>(std::lround(box.height * ratio))};
}

namespace {

// Blocks of 32 MiB: little is left unused at the end of each when photos are
// hundreds of kilobytes, and a load of 2,001 photos maps a few dozen.
constexpr std::size_t kBlockBytes = std::size_t(32) << 20;

}  // namespace

PixelBlocks::~PixelBlocks()
{
    release();
}

PixelBlocks::PixelBlocks(PixelBlocks &&other) noexcept
    : m_blocks(std::exchange(other.m_blocks, {})), m_used(std::exchange(other.m_used, 0))
{
}

PixelBlocks &PixelBlocks::operator=(PixelBlocks &&other) noexcept
{
    if (this != &other) {
        release();
        m_blocks = std::exchange(other.m_blocks, {});
        m_used = std::exchange(other.m_used, 0);
    }
    return *this;
}

void PixelBlocks::release()
{
    for (const Block &b : m_blocks)
        ::munmap(b.base, b.size);
    m_blocks.clear();
    m_used = 0;
}

std::uint32_t *PixelBlocks::allocate(std::size_t count)
{
    constexpr std::size_t kAlign = 64;
    if (count == 0 || count > (std::size_t(1) << 40) / 4)
        return nullptr;
    const std::size_t bytes = (count * 4 + kAlign - 1) / kAlign * kAlign;
    if (m_blocks.empty() || m_blocks.back().size - m_used < bytes) {
        const std::size_t size = std::max(kBlockBytes, (bytes + kBlockBytes - 1) / kBlockBytes * kBlockBytes);
        // Populated at once: the pages come in one call rather than one fault each as the decoder
        // writes them. (Large pages measured slower here: the kernel compacts memory to find them.)
        void *base = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (base == MAP_FAILED)
            return nullptr;
        m_blocks.push_back({base, size});
        m_used = 0;
    }
    auto *room = reinterpret_cast<std::uint32_t *>(static_cast<unsigned char *>(m_blocks.back().base) + m_used);
    m_used += bytes;
    return room;
}

std::size_t PixelBlocks::reservedBytes() const
{
    std::size_t bytes = 0;
    for (const Block &b : m_blocks)
        bytes += b.size;
    return bytes;
}

// A cache file read whole into memory kept from file to file: nothing of it is
// cleared first, every byte used is read.
struct PhotoTable::FileBuffer {
    std::unique_ptr<unsigned char[]> data;
    size_t capacity = 0;

    // The file's bytes, or nothing when it cannot be read whole.
    std::optional<std::span<const unsigned char>> read(const std::filesystem::path &file)
    {
        const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return std::nullopt;
        struct stat info {};
        std::optional<std::span<const unsigned char>> bytes;
        // Cache files are tens of kilobytes; a larger one is not ours.
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 && info.st_size < (64 << 20)) {
            const size_t size = static_cast<size_t>(info.st_size);
            if (size > capacity) {
                capacity = std::max(size, capacity * 2);
                data = std::make_unique_for_overwrite<unsigned char[]>(capacity);
            }
            size_t used = 0;
            while (used < size) {
                const ssize_t n = ::read(fd, data.get() + used, size - used);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                used += static_cast<size_t>(n);
            }
            if (used == size)
                bytes = std::span<const unsigned char>(data.get(), size);
        }
        ::close(fd);
        return bytes;
    }
};

namespace {

// Asks the disk for every cache file at once, in the order the decoders take
// them, so that a load after a reboot waits for the disk once rather than file
// by file. Files already in memory cost a look-up each.
void prefetchCacheFiles(const PhotoCache &cache, const std::vector<std::uint64_t> &keys,
                        const std::atomic<bool> *cancel)
{
    for (std::uint64_t key : keys) {
        if (!key)
            continue;
        if (cancel && cancel->load(std::memory_order_relaxed))
            return;
        const int fd = ::open(cache.fileOf(key).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_WILLNEED);
        ::close(fd);
    }
}

}  // namespace

std::vector<PhotoFailure> PhotoTable::load(const std::filesystem::path &programDir,
                                           const std::vector<std::string> &names, DecodeBox box, int threads,
                                           std::atomic<int> *progress, const std::atomic<bool> *cancel,
                                           const PhotoCache *cache)
{
    clear();
    const int total = static_cast<int>(names.size());
    m_photos.resize(names.size());
    m_keys.assign(names.size(), 0);
    m_cached.assign(names.size(), 0);
    std::vector<std::string> reasons(names.size());
    std::vector<std::filesystem::path> originals(names.size());
    const int workers = std::clamp(threads, 1, std::max(1, total));
    m_blocks.resize(static_cast<size_t>(workers));
    // Runs `step` for every index over the workers. Every place is written by
    // one worker only, so the table does not depend on which worker took it.
    auto overAll = [&](auto step) {
        std::atomic<int> next{0};
        auto work = [&](int worker) {
            for (;;) {
                if (cancel && cancel->load(std::memory_order_relaxed))
                    return;
                const int i = next.fetch_add(1, std::memory_order_relaxed);
                if (i >= total)
                    return;
                step(worker, static_cast<size_t>(i));
            }
        };
        std::vector<std::jthread> pool;
        for (int t = 1; t < workers; ++t)
            pool.emplace_back(work, t);
        work(0);
    };
    // The originals and, with a cache, their keys (one stat each) come first,
    // so that the cache files can be asked of the disk ahead of the decoders.
    overAll([&](int, size_t at) {
        originals[at] = photoFile(programDir, names[at]);
        if (cache)
            if (const auto key = photoKeyOf(originals[at], names[at], cache->box()))
                m_keys[at] = photoKeyHash(*key);
    });
    std::jthread prefetch;
    if (cache && workers > 1)
        prefetch = std::jthread([&] { prefetchCacheFiles(*cache, m_keys, cancel); });

    // Each worker keeps its own decoder, file buffers and blocks.
    struct Worker {
        JpegDecoder decoder;
        std::string bytes;
        FileBuffer cached;
        RgbImage large;  // a decode the scaled decoder could not bring down to the box
    };
    std::vector<Worker> state(static_cast<size_t>(workers));
    struct Room {
        PixelBlocks *blocks;
        RgbImage *large;
        DecodeBox box;
        std::uint32_t *placed = nullptr;
    };
    auto giveRoom = [](void *context, int width, int height) -> std::uint32_t * {
        auto *r = static_cast<Room *>(context);
        const DecodeBox cover = coverSize(width, height, r->box);
        const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
        if (cover.width == width && cover.height == height) {
            r->placed = r->blocks->allocate(count);
            return r->placed;
        }
        r->placed = nullptr;
        r->large->width = width;
        r->large->height = height;
        r->large->pixels.resize(count);
        return r->large->pixels.data();
    };
    overAll([&](int worker, size_t at) {
        Worker &w = state[static_cast<size_t>(worker)];
        PixelBlocks &blocks = m_blocks[static_cast<size_t>(worker)];
        if (cache && m_keys[at] && readFromCache(*cache, m_keys[at], at, w.decoder, blocks, w.cached)) {
            if (progress)
                progress->fetch_add(1, std::memory_order_relaxed);
            return;
        }
        Room room{&blocks, &w.large, box};
        Status read = readFileInto(originals[at], w.bytes);
        Result<DecodeBox> decoded =
            read ? w.decoder.decodeInto(std::span(reinterpret_cast<const unsigned char *>(w.bytes.data()), w.bytes.size()),
                                        box, giveRoom, &room)
                 : Result<DecodeBox>(read.error());
        if (decoded && room.placed) {
            m_photos[at] = {decoded->width, decoded->height, room.placed};
        } else if (decoded) {
            // Reduce what the decoder's steps left over into the blocks.
            const DecodeBox cover = coverSize(w.large.width, w.large.height, box);
            std::uint32_t *target =
                blocks.allocate(static_cast<size_t>(cover.width) * static_cast<size_t>(cover.height));
            if (target) {
                scalePixels(w.large.pixels.data(), w.large.width, w.large.height, target, cover.width, cover.height);
                m_photos[at] = {cover.width, cover.height, target};
            } else {
                reasons[at] = utf8ToGbk("内存不足");
            }
        } else {
            reasons[at] = decoded.error().message;
        }
        if (progress)
            progress->fetch_add(1, std::memory_order_relaxed);
    });
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

bool PhotoTable::readFromCache(const PhotoCache &cache, std::uint64_t key, size_t at, JpegDecoder &decoder,
                               PixelBlocks &blocks, FileBuffer &buffer)
{
    const auto bytes = buffer.read(cache.fileOf(key));
    if (!bytes)
        return false;
    auto photo = readCachedPhoto(*bytes, key, cache.box());
    if (!photo)
        return false;
    struct Placed {
        PixelBlocks *blocks;
        std::uint32_t *pixels = nullptr;
    } placed{&blocks};
    auto room = [](void *context, int width, int height) -> std::uint32_t * {
        auto *p = static_cast<Placed *>(context);
        p->pixels = p->blocks->allocate(static_cast<size_t>(width) * static_cast<size_t>(height));
        return p->pixels;
    };
    auto decoded = decodeCachedPhoto(decoder, *photo, room, &placed);
    if (!decoded || !placed.pixels)
        return false;  // decoded again from the original, and written anew
    m_photos[at] = {decoded->width, decoded->height, placed.pixels};
    m_cached[at] = 1;
    return true;
}

std::uint64_t PhotoTable::cacheKey(int index) const
{
    return index >= 0 && index < static_cast<int>(m_keys.size()) ? m_keys[static_cast<size_t>(index)] : 0;
}

bool PhotoTable::fromCache(int index) const
{
    return index >= 0 && index < static_cast<int>(m_cached.size()) && m_cached[static_cast<size_t>(index)];
}

int PhotoTable::cachedCount() const
{
    return static_cast<int>(std::count(m_cached.begin(), m_cached.end(), 1));
}

void PhotoTable::clear()
{
    m_photos.clear();
    m_photos.shrink_to_fit();
    m_keys.clear();
    m_cached.clear();
    m_blocks.clear();
    m_count = 0;
}

const PhotoView *PhotoTable::photo(int index) const
{
    if (index < 0 || index >= size())
        return nullptr;
    const PhotoView &p = m_photos[static_cast<size_t>(index)];
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
