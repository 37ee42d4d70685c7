// The decoded participant photos: one picture per entry index, decoded once
// before a draw (in parallel over the cores) so that a rolling paint only
// stretches ready pixels. A photo that is missing or cannot be decoded leaves
// its place empty and is reported; the window shows the entry's name instead.
#pragma once

#include "participants/Jpeg.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tessaly {

class IniStore;
class PhotoCache;
struct AwardTable;

// photo\<name>.jpg of the program folder, matched without regard to case.
std::filesystem::path photoFile(const std::filesystem::path &programDir, const std::string &name);

// Entry indices whose photo file is missing.
std::vector<int> missingPhotos(const std::filesystem::path &programDir, const std::vector<std::string> &names);

// The size of the picture slots of a batch of n as the stage shows them on a
// stage of this size (`screen` is its "1920*1080" key): a stored layout in
// proportion to the screen, or the default arrangement for this stage.
DecodeBox shownPhotoSlotSize(const IniStore &store, int n, int stageWidth, int stageHeight, const std::string &screen);

// The size photos are decoded to: the largest slot the award table's batch
// sizes show on this stage (shownPhotoSlotSize), so that a 4K screen gets
// photos decoded for its larger slots; never larger than the stage. In device
// pixels: the logical size times the screen's device pixel ratio.
DecodeBox photoDecodeBox(const IniStore &store, const AwardTable &awards, int stageWidth, int stageHeight,
                         const std::string &screen, double pixelRatio = 1.0);

struct PhotoFailure {
    int index = 0;
    std::string file;    // GBK file name, "张三.jpg"
    std::string reason;  // GBK
};

// The pixels a photo table may hold: 2,001 photos of 400x300 take 0.9 GiB.
inline constexpr std::size_t kPhotoTableBudget = std::size_t(1) << 30;

// One decoded photo of a table: its pixels live in the table's blocks, laid
// out as RgbImage's (0xffRRGGBB, rows without padding).
struct PhotoView {
    int width = 0;
    int height = 0;
    const std::uint32_t *pixels = nullptr;

    bool empty() const { return width <= 0 || height <= 0 || !pixels; }
    int bytesPerLine() const { return width * 4; }
    const unsigned char *bits() const { return reinterpret_cast<const unsigned char *>(pixels); }
    std::size_t byteCount() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4; }
};

// Large blocks of memory handed out front to back, freed together. Thousands
// of photos go into a few blocks instead of thousands of allocations, so the
// load maps its memory a few times rather than faulting it in photo by photo.
class PixelBlocks {
public:
    PixelBlocks() = default;
    ~PixelBlocks();
    PixelBlocks(PixelBlocks &&other) noexcept;
    PixelBlocks &operator=(PixelBlocks &&other) noexcept;
    PixelBlocks(const PixelBlocks &) = delete;
    PixelBlocks &operator=(const PixelBlocks &) = delete;

    // Room for `count` pixels, or nullptr when the system has no memory left.
    std::uint32_t *allocate(std::size_t count);
    std::size_t reservedBytes() const;

private:
    struct Block {
        void *base = nullptr;
        std::size_t size = 0;
    };
    void release();
    std::vector<Block> m_blocks;
    std::size_t m_used = 0;  // bytes used of the last block
};

class PhotoTable {
public:
    // Decodes photo\<name>.jpg for every name into the place of its index, at
    // the smallest size of its proportions that covers the box (a scaled
    // decode, then a bilinear reduction of what the decoder's steps left over),
    // over `threads` workers. `progress` (when given) counts finished photos;
    // `cancel` stops the workers early (the places left stay empty). With a
    // cache (made for the same box), a photo whose cache file is sound is read
    // from there instead; writePhotoCache stores the others afterwards.
    std::vector<PhotoFailure> load(const std::filesystem::path &programDir, const std::vector<std::string> &names,
                                   DecodeBox box, int threads, std::atomic<int> *progress = nullptr,
                                   const std::atomic<bool> *cancel = nullptr, const PhotoCache *cache = nullptr);

    void clear();
    PhotoTable() = default;
    PhotoTable(PhotoTable &&) noexcept = default;
    PhotoTable &operator=(PhotoTable &&) noexcept = default;
    int size() const { return static_cast<int>(m_photos.size()); }
    // Places that hold a decoded picture.
    int count() const { return m_count; }
    // Nothing for an index out of range or a photo that failed.
    const PhotoView *photo(int index) const;
    // Bytes of pixels the photos take.
    std::size_t byteCount() const;
    // The cache key of a place's original (0 without a cache or an original),
    // and whether the load took the place from the cache.
    std::uint64_t cacheKey(int index) const;
    bool fromCache(int index) const;
    int cachedCount() const;

private:
    struct FileBuffer;
    bool readFromCache(const PhotoCache &cache, std::uint64_t key, size_t at, JpegDecoder &decoder,
                       PixelBlocks &blocks, FileBuffer &buffer);

    std::vector<PhotoView> m_photos;
    std::vector<PixelBlocks> m_blocks;  // one per worker of the load
    std::vector<std::uint64_t> m_keys;
    std::vector<char> m_cached;
    int m_count = 0;
};

// The entries the photo slots show in one rolling paint: for each slot an
// entry read at a random place of the first rollCount places of the pool.
class RandomSource;
std::vector<int> pickRollingPhotos(const std::vector<int> &pool, int rollCount, int slots, RandomSource &random);

}  // namespace tessaly
