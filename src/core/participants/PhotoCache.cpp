#include "participants/PhotoCache.h"

#include "files/EventMirror.h"
#include "files/FileIo.h"
#include "participants/PhotoTable.h"
#include "text/Gbk.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include <sys/stat.h>

namespace tessaly {

namespace fs = std::filesystem;

namespace {

constexpr char kMagic[4] = {'T', 'P', 'H', 'C'};
// 2: one stat of the original makes the key, and the checksum runs in four lanes.
constexpr std::uint32_t kVersion = 2;
constexpr size_t kHeaderBytes = 40;
constexpr const char *kExtension = ".tpc";
// Photos encoded and committed together: a stop part-way loses at most one group.
constexpr int kGroup = 100;

// 64-bit hashes of our own: the key names a file, the checksum finds damage.
// Four independent lanes of eight bytes, so that checking 2,001 files of 30 kB
// costs about a millisecond of a load instead of tens.
constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;

std::uint64_t mix(std::uint64_t h)
{
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
}

std::uint64_t hashBytes(const unsigned char *data, size_t size, std::uint64_t seed)
{
    std::uint64_t lanes[4] = {seed ^ (size * kMul), seed + kMul, ~seed, seed ^ 0x5851F42D4C957F2Dull};
    size_t i = 0;
    for (; i + 32 <= size; i += 32)
        for (int l = 0; l < 4; ++l) {
            std::uint64_t word;
            std::memcpy(&word, data + i + 8 * l, 8);
            lanes[l] = (lanes[l] ^ word) * kMul;
            lanes[l] ^= lanes[l] >> 29;
        }
    std::uint64_t h = mix(lanes[0]) ^ (mix(lanes[1]) * 3) ^ (mix(lanes[2]) * 5) ^ (mix(lanes[3]) * 7);
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, 8);
        h = (h ^ mix(word)) * kMul;
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, data + i, size - i);
    return mix(h ^ mix(tail ^ 0xA5));
}

void put32(std::string &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

void put64(std::string &out, std::uint64_t v)
{
    put32(out, static_cast<std::uint32_t>(v));
    put32(out, static_cast<std::uint32_t>(v >> 32));
}

std::uint32_t get32(const unsigned char *p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint64_t get64(const unsigned char *p)
{
    return get32(p) | (static_cast<std::uint64_t>(get32(p + 4)) << 32);
}

Error damaged(const char *what)
{
    return makeError(ErrorCode::BadValue, utf8ToGbk(std::string("照片缓存文件") + what));
}

std::string hex16(std::uint64_t v)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string s(16, '0');
    for (int i = 15; i >= 0; --i, v >>= 4)
        s[static_cast<size_t>(i)] = digits[v & 0xf];
    return s;
}

std::string boxName(DecodeBox box)
{
    return std::to_string(box.width) + "x" + std::to_string(box.height);
}

// "400x300" back to a box; nothing for any other name.
std::optional<DecodeBox> boxOfName(const std::string &name)
{
    const auto x = name.find('x');
    if (x == std::string::npos || x == 0 || x + 1 >= name.size() || name.size() > 11)
        return std::nullopt;
    auto digits = [](std::string_view s) { return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }); };
    if (!digits(std::string_view(name).substr(0, x)) || !digits(std::string_view(name).substr(x + 1)))
        return std::nullopt;
    return DecodeBox{std::atoi(name.substr(0, x).c_str()), std::atoi(name.substr(x + 1).c_str())};
}

std::string eventCacheName(const fs::path &eventFolder)
{
    std::string id = readEventId(eventFolder);
    if (id.empty()) {
        std::error_code ec;
        const fs::path canonical = fs::weakly_canonical(eventFolder, ec);
        id = "folder:" + (ec ? eventFolder : canonical).string();
    }
    return hex16(hashBytes(reinterpret_cast<const unsigned char *>(id.data()), id.size(), 0x7E55A1));
}

fs::file_time_type lastUse(const fs::path &folder)
{
    std::error_code ec;
    const auto t = fs::last_write_time(folder, ec);
    return ec ? fs::file_time_type::min() : t;
}

void removeTree(const fs::path &folder)
{
    std::error_code ec;
    fs::remove_all(folder, ec);  // a cache: what cannot go now goes at a later prune
}

}  // namespace

fs::path userCacheFolder()
{
    if (const char *xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/')
        return fs::path(xdg) / "tessaly";
    if (const char *home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".cache" / "tessaly";
    return {};
}

std::optional<PhotoKey> photoKeyOf(const fs::path &original, const std::string &name, DecodeBox box)
{
    // One stat: thousands of originals are looked at before every load.
    struct stat info {};
    if (::stat(original.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    const std::int64_t ns = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    return PhotoKey{name, static_cast<std::uintmax_t>(info.st_size), ns, box};
}

std::uint64_t photoKeyHash(const PhotoKey &key)
{
    std::string bytes = key.name;
    bytes.push_back('\0');
    put64(bytes, key.size);
    put64(bytes, static_cast<std::uint64_t>(key.modified));
    put32(bytes, static_cast<std::uint32_t>(key.box.width));
    put32(bytes, static_cast<std::uint32_t>(key.box.height));
    const std::uint64_t h = hashBytes(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), 0x9407);
    return h ? h : 1;
}

Result<std::string> encodeCachedPhoto(std::uint64_t key, const std::uint32_t *pixels, int width, int height)
{
    auto jpeg = encodeJpegPixels(pixels, width, height, kPhotoCacheQuality);
    if (!jpeg)
        return jpeg.error();
    std::string out;
    out.reserve(kHeaderBytes + jpeg->size());
    out.append(kMagic, 4);
    put32(out, kVersion);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put64(out, key);
    put32(out, static_cast<std::uint32_t>(jpeg->size()));
    put64(out, hashBytes(reinterpret_cast<const unsigned char *>(jpeg->data()), jpeg->size(), key));
    put32(out, 0);  // reserved
    out += *jpeg;
    return out;
}

Result<CachedPhoto> readCachedPhoto(std::span<const unsigned char> bytes, std::uint64_t key, DecodeBox box)
{
    if (bytes.size() < kHeaderBytes || std::memcmp(bytes.data(), kMagic, 4) != 0)
        return damaged("不是缓存文件");
    const unsigned char *h = bytes.data();
    if (get32(h + 4) != kVersion)
        return damaged("版本不同");
    if (get64(h + 16) != key)
        return damaged("属于另一张照片");
    const std::uint32_t width = get32(h + 8), height = get32(h + 12), length = get32(h + 24);
    if (length != bytes.size() - kHeaderBytes)
        return damaged("长度不对");
    if (width == 0 || height == 0 || width > 65535 || height > 65535 ||
        static_cast<std::int64_t>(width) * height > kMaxDecodedPixels)
        return damaged("尺寸不对");
    // A load into the box stores the smallest size of the photo's proportions that
    // covers it (or a smaller photo whole): never larger than that on both sides.
    const DecodeBox cover = coverSize(static_cast<int>(width), static_cast<int>(height), box);
    if (cover.width + 1 < static_cast<int>(width) && cover.height + 1 < static_cast<int>(height))
        return damaged("尺寸不对");
    const auto jpeg = bytes.subspan(kHeaderBytes);
    if (hashBytes(jpeg.data(), jpeg.size(), key) != get64(h + 28))
        return damaged("已损坏");
    return CachedPhoto{static_cast<int>(width), static_cast<int>(height), jpeg};
}

Result<DecodeBox> decodeCachedPhoto(JpegDecoder &decoder, const CachedPhoto &photo, JpegDecoder::Room room,
                                    void *context)
{
    struct Exact {
        const CachedPhoto *photo;
        JpegDecoder::Room room;
        void *context;
    } exact{&photo, room, context};
    auto checked = [](void *c, int width, int height) -> std::uint32_t * {
        auto *e = static_cast<Exact *>(c);
        if (width != e->photo->width || height != e->photo->height)
            return nullptr;
        return e->room(e->context, width, height);
    };
    // A full-size decode: the file already has the size the table keeps.
    auto decoded = decoder.decodeInto(photo.jpeg, {}, checked, &exact, true);
    if (!decoded)
        return decoded.error();
    return *decoded;
}

PhotoCache::PhotoCache(fs::path root, const fs::path &eventFolder, DecodeBox box)
    : m_root(std::move(root)), m_box(box)
{
    m_event = m_root / "photos" / eventCacheName(eventFolder);
    m_folder = m_event / boxName(box);
}

fs::path PhotoCache::fileOf(std::uint64_t key) const
{
    return m_folder / (hex16(key) + kExtension);
}

Result<int> writePhotoCache(const PhotoCache &cache, const PhotoTable &table, int threads,
                            const std::atomic<bool> *cancel)
{
    std::vector<int> todo;
    std::vector<std::uint64_t> keep;
    for (int i = 0; i < table.size(); ++i) {
        const std::uint64_t key = table.cacheKey(i);
        if (!key || !table.photo(i))
            continue;
        keep.push_back(key);
        if (!table.fromCache(i))
            todo.push_back(i);
    }
    if (Status made = makeFolderDurable(cache.folder()); !made)
        return made.error();
    // Marks the event's cache and this box used, for the prune and the check.
    std::error_code ec;
    fs::last_write_time(cache.folder(), fs::file_time_type::clock::now(), ec);
    fs::last_write_time(cache.eventFolder(), fs::file_time_type::clock::now(), ec);

    int written = 0;
    bool failed = false;
    Error firstError;
    std::mutex lock;
    const int workers = std::clamp(threads, 1, 8);
    for (size_t from = 0; from < todo.size(); from += kGroup) {
        if (cancel && cancel->load())
            return written;
        const size_t to = std::min(todo.size(), from + kGroup);
        StagedFiles group;
        std::atomic<size_t> next{from};
        std::atomic<int> staged{0};
        auto work = [&] {
            for (size_t at; (at = next.fetch_add(1)) < to;) {
                if (cancel && cancel->load())
                    return;
                const int i = todo[at];
                const PhotoView *photo = table.photo(i);
                auto bytes = encodeCachedPhoto(table.cacheKey(i), photo->pixels, photo->width, photo->height);
                Status done = bytes ? group.stage(cache.fileOf(table.cacheKey(i)), *bytes) : Status(bytes.error());
                if (done) {
                    ++staged;
                } else {
                    std::lock_guard guard(lock);
                    if (!failed)
                        firstError = done.error();
                    failed = true;
                }
            }
        };
        {
            std::vector<std::jthread> pool;
            for (int t = 1; t < workers; ++t)
                pool.emplace_back(work);
            work();
        }
        if (Status committed = group.commit(); !committed)
            return committed.error();
        written += staged.load();
        if (failed)
            return firstError;
    }
    if (cancel && cancel->load())
        return written;
    prunePhotoCache(cache, keep);
    return written;
}

std::string photoCacheFailureNotice(const Error &error)
{
    return utf8ToGbk("照片缓存无法写入，下次加载照片仍从原图解码：") + error.message;
}

void prunePhotoCache(const PhotoCache &cache, const std::vector<std::uint64_t> &keep, fs::file_time_type now)
{
    std::error_code ec;
    // This box: files of photos no longer in the list, or changed since.
    std::set<std::string> wanted;
    for (std::uint64_t key : keep)
        wanted.insert(cache.fileOf(key).filename().string());
    removeStaleTemporaries(cache.folder());
    std::vector<fs::path> stale;
    for (const auto &entry : fs::directory_iterator(cache.folder(), ec))
        if (!wanted.count(entry.path().filename().string()) && entry.is_regular_file(ec))
            stale.push_back(entry.path());
    (void)removeFilesDurable(stale);

    // This event's other boxes: the most recently used one stays.
    std::multimap<fs::file_time_type, fs::path, std::greater<>> boxes;
    for (const auto &entry : fs::directory_iterator(cache.eventFolder(), ec))
        if (entry.is_directory(ec) && entry.path() != cache.folder() && boxOfName(entry.path().filename().string()))
            boxes.emplace(lastUse(entry.path()), entry.path());
    int kept = 0;
    for (const auto &[used, folder] : boxes)
        if (++kept > 1)
            removeTree(folder);

    // Other events: unused for a month, or beyond the most recently used few.
    std::multimap<fs::file_time_type, fs::path, std::greater<>> events;
    for (const auto &entry : fs::directory_iterator(cache.root() / "photos", ec))
        if (entry.is_directory(ec) && entry.path() != cache.eventFolder())
            events.emplace(lastUse(entry.path()), entry.path());
    int recent = 1;  // this event
    for (const auto &[used, folder] : events) {
        if (used < now - kPhotoCacheUnusedLimit || ++recent > kPhotoCacheMaxEvents)
            removeTree(folder);
    }
}

PhotoCacheStatus photoCacheStatus(const fs::path &root, const fs::path &eventFolder,
                                  const std::vector<std::string> &names)
{
    PhotoCacheStatus status;
    const PhotoCache any(root, eventFolder, {});
    std::error_code ec;
    fs::file_time_type newest = fs::file_time_type::min();
    for (const auto &entry : fs::directory_iterator(any.eventFolder(), ec)) {
        const auto box = boxOfName(entry.path().filename().string());
        if (box && entry.is_directory(ec) && lastUse(entry.path()) >= newest) {
            newest = lastUse(entry.path());
            status.box = *box;
        }
    }
    const PhotoCache cache(root, eventFolder, status.box);
    std::string bytes;
    for (const std::string &name : names) {
        const auto key = photoKeyOf(photoFile(eventFolder, name), name, status.box);
        if (!key)
            continue;
        ++status.photos;
        if (status.box.width <= 0)
            continue;
        const std::uint64_t hash = photoKeyHash(*key);
        if (readFileInto(cache.fileOf(hash), bytes) &&
            readCachedPhoto(std::span(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size()), hash,
                            status.box))
            ++status.cached;
    }
    return status;
}

}  // namespace tessaly
