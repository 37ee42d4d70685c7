#include "TempProgramDir.h"

#include "core/files/EventMirror.h"
#include "core/participants/Jpeg.h"
#include "core/participants/PhotoCache.h"
#include "core/participants/PhotoTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::TempProgramDir;

// A photo with light, edges and fine texture, so a lossy cache has something to lose.
std::string photoJpeg(int width, int height, int seed)
{
    RgbImage image{width, height, std::vector<std::uint32_t>(static_cast<size_t>(width * height))};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool face = std::hypot(x - width * 0.5, (y - height * 0.45) * 1.3) < width * 0.22;
            const int t = static_cast<int>(10 * std::sin(x * 0.12 + seed) * std::cos(y * 0.1));
            const int r = std::clamp((face ? 225 : 50 + seed * 23 % 150) + t, 0, 255);
            const int g = std::clamp((face ? 185 : 70 + y * 120 / height) + t, 0, 255);
            const int b = std::clamp((face ? 150 : 110 + x * 120 / width) - t, 0, 255);
            image.pixels[static_cast<size_t>(y * width + x)] = 0xff000000u | (r << 16) | (g << 8) | b;
        }
    return *encodeJpeg(image, 88);
}

struct Event {
    Event(int photos, int width = 320, int height = 240)
    {
        for (int i = 0; i < photos; ++i) {
            names.push_back("p" + std::to_string(i));
            dir.write("photo/" + names.back() + ".jpg", photoJpeg(width, height, i));
        }
    }
    PhotoTable load(const PhotoCache &cache, int threads = 2) const
    {
        PhotoTable table;
        EXPECT_TRUE(table.load(dir.path(), names, cache.box(), threads, nullptr, nullptr, &cache).empty());
        return table;
    }
    TempProgramDir dir;
    TempProgramDir cacheRoot;
    std::vector<std::string> names;
};

// Largest and mean difference of any channel between two decoded photos.
std::pair<int, double> difference(const PhotoView &a, const PhotoView &b)
{
    int largest = 0;
    double sum = 0;
    const int n = a.width * a.height;
    for (int i = 0; i < n; ++i)
        for (int shift : {0, 8, 16}) {
            const int d = std::abs(static_cast<int>((a.pixels[i] >> shift) & 0xff) -
                                   static_cast<int>((b.pixels[i] >> shift) & 0xff));
            largest = std::max(largest, d);
            sum += d;
        }
    return {largest, sum / (3.0 * n)};
}

std::string readAll(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAll(const fs::path &file, const std::string &bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(PhotoCache, ALoadFromTheCacheShowsThePixelsOfALoadFromTheOriginals)
{
    // A quarter-size decode straight into the table, and one the table reduces further.
    for (DecodeBox box : {DecodeBox{80, 60}, DecodeBox{50, 30}}) {
        Event event(6);
        const PhotoCache cache(event.cacheRoot.path(), event.dir.path(), box);
        const PhotoTable originals = event.load(cache);
        EXPECT_EQ(originals.cachedCount(), 0);
        ASSERT_EQ(*writePhotoCache(cache, originals, 2), 6);

        const PhotoTable cached = event.load(cache, 1);
        EXPECT_EQ(cached.cachedCount(), 6);
        for (int i = 0; i < 6; ++i) {
            ASSERT_TRUE(cached.fromCache(i));
            const PhotoView &a = *originals.photo(i), &b = *cached.photo(i);
            ASSERT_EQ(a.width, b.width);
            ASSERT_EQ(a.height, b.height);
            // JPEG at quality 92, 4:2:0: a few levels on average on this finely textured picture;
            // sharp edges of colour lose more to the halved colour resolution.
            const auto [largest, mean] = difference(a, b);
            EXPECT_LE(mean, 5.0) << box.width << " photo " << i;
            EXPECT_LE(largest, 100) << box.width << " photo " << i;
        }
        // Nothing more to write the second time.
        EXPECT_EQ(*writePhotoCache(cache, cached, 2), 0);
    }
}

TEST(PhotoCache, TheTableIsTheSameWhicheverNumberOfWorkersLoadsIt)
{
    // A missing and a broken photo among them: their failures keep their places too.
    Event event(9);
    event.names.insert(event.names.begin() + 3, "missing");
    event.dir.write("photo/broken.jpg", "not a picture");
    event.names.push_back("broken");
    const PhotoCache cache(event.cacheRoot.path(), event.dir.path(), {80, 60});
    auto load = [&](int threads, std::vector<PhotoFailure> &failures) {
        PhotoTable table;
        failures = table.load(event.dir.path(), event.names, cache.box(), threads, nullptr, nullptr, &cache);
        return table;
    };
    auto same = [](const PhotoTable &a, const PhotoTable &b) {
        if (a.size() != b.size())
            return false;
        for (int i = 0; i < a.size(); ++i) {
            const PhotoView *p = a.photo(i), *q = b.photo(i);
            if (!p || !q) {
                if (p != q)
                    return false;
                continue;
            }
            if (p->width != q->width || p->height != q->height || a.cacheKey(i) != b.cacheKey(i) ||
                !std::equal(p->pixels, p->pixels + p->width * p->height, q->pixels))
                return false;
        }
        return true;
    };
    std::vector<PhotoFailure> oneFailures, manyFailures;
    const PhotoTable one = load(1, oneFailures), many = load(5, manyFailures);
    EXPECT_TRUE(same(one, many)) << "from the originals";
    ASSERT_EQ(oneFailures.size(), 2u);
    ASSERT_EQ(manyFailures.size(), 2u);
    for (size_t i = 0; i < 2; ++i)
        EXPECT_EQ(oneFailures[i].index, manyFailures[i].index);
    EXPECT_EQ(oneFailures[0].index, 3);

    ASSERT_EQ(*writePhotoCache(cache, many, 3), 9);
    const PhotoTable cachedOne = load(1, oneFailures), cachedMany = load(5, manyFailures);
    EXPECT_EQ(cachedOne.cachedCount(), 9);
    EXPECT_EQ(cachedMany.cachedCount(), 9);
    EXPECT_TRUE(same(cachedOne, cachedMany)) << "from the cache";
    EXPECT_EQ(manyFailures.size(), 2u);
}

TEST(PhotoCache, AChangedAddedRemovedOrDamagedPhotoIsDecodedAgainAndWrittenAnew)
{
    using Change = std::function<void(Event &, const PhotoCache &, const PhotoTable &)>;
    auto fileOf = [](const PhotoCache &cache, const PhotoTable &table, int i) { return cache.fileOf(table.cacheKey(i)); };
    struct Case {
        const char *what;
        Change change;
        int notFromCache;  // the index read from its original again (-1: none)
    };
    const Case cases[] = {
        {"changed",
         [](Event &e, const PhotoCache &, const PhotoTable &) {
             e.dir.write("photo/p2.jpg", photoJpeg(320, 240, 77));
             fs::last_write_time(e.dir / "photo/p2.jpg", fs::file_time_type::clock::now() + std::chrono::seconds(5));
         },
         2},
        {"touched only",
         [](Event &e, const PhotoCache &, const PhotoTable &) {
             fs::last_write_time(e.dir / "photo/p1.jpg", fs::file_time_type::clock::now() + std::chrono::seconds(5));
         },
         1},
        {"added",
         [](Event &e, const PhotoCache &, const PhotoTable &) {
             e.names.push_back("new");
             e.dir.write("photo/new.jpg", photoJpeg(320, 240, 9));
         },
         4},
        {"removed", [](Event &e, const PhotoCache &, const PhotoTable &) { e.names.erase(e.names.begin() + 1); }, -1},
        {"damaged",
         [&](Event &, const PhotoCache &c, const PhotoTable &t) {
             std::string bytes = readAll(fileOf(c, t, 3));
             bytes[bytes.size() / 2] ^= 0x20;
             writeAll(fileOf(c, t, 3), bytes);
         },
         3},
        {"cut short",
         [&](Event &, const PhotoCache &c, const PhotoTable &t) {
             const std::string bytes = readAll(fileOf(c, t, 0));
             writeAll(fileOf(c, t, 0), bytes.substr(0, bytes.size() - 100));
         },
         0},
        {"another photo's file",
         [&](Event &, const PhotoCache &c, const PhotoTable &t) {
             fs::copy_file(fileOf(c, t, 1), fileOf(c, t, 2), fs::copy_options::overwrite_existing);
         },
         2},
        {"the wrong size",
         [&](Event &, const PhotoCache &c, const PhotoTable &t) {
             RgbImage big{200, 150, std::vector<std::uint32_t>(200 * 150, 0xff808080u)};
             writeAll(fileOf(c, t, 1), *encodeCachedPhoto(t.cacheKey(1), big.pixels.data(), 200, 150));
         },
         1},
    };
    for (const Case &c : cases) {
        Event event(4);
        const PhotoCache cache(event.cacheRoot.path(), event.dir.path(), {80, 60});
        const PhotoTable first = event.load(cache);
        ASSERT_EQ(*writePhotoCache(cache, first), 4) << c.what;
        const fs::path removedFile = cache.fileOf(first.cacheKey(1));

        c.change(event, cache, first);
        const PhotoTable second = event.load(cache);
        const int n = static_cast<int>(event.names.size());
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(second.fromCache(i), i != c.notFromCache) << c.what << " photo " << i;
        if (c.notFromCache >= 0) {
            // What shows is the original as it is now, never the old or damaged cache file.
            PhotoTable fresh;
            fresh.load(event.dir.path(), event.names, {80, 60}, 1);
            EXPECT_EQ(difference(*fresh.photo(c.notFromCache), *second.photo(c.notFromCache)).first, 0) << c.what;
        }
        EXPECT_EQ(*writePhotoCache(cache, second), c.notFromCache >= 0 ? 1 : 0) << c.what;
        EXPECT_EQ(event.load(cache).cachedCount(), n) << c.what << ": all from the cache the next time";
        if (std::string(c.what) == "removed") {
            EXPECT_FALSE(fs::exists(removedFile)) << "the removed photo's file is pruned";
        }
        // Only the files of the list's photos stay.
        int files = 0;
        for ([[maybe_unused]] const auto &entry : fs::directory_iterator(cache.folder()))
            ++files;
        EXPECT_EQ(files, n) << c.what;
    }
}

TEST(PhotoCache, ACacheFileIsCheckedBeforeItIsDecoded)
{
    const std::uint64_t key = 0x1234;
    RgbImage image{80, 60, std::vector<std::uint32_t>(80 * 60, 0xff204060u)};
    const std::string good = *encodeCachedPhoto(key, image.pixels.data(), 80, 60);
    auto read = [](const std::string &bytes, std::uint64_t k, DecodeBox box) {
        return readCachedPhoto(std::span(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size()), k, box);
    };
    auto patched = [&](size_t at, char value) {
        std::string b = good;
        b[at] = value;
        return b;
    };
    struct Case {
        const char *what;
        std::string bytes;
        std::uint64_t key;
        DecodeBox box;
        bool ok;
    };
    const Case cases[] = {
        {"sound", good, key, {80, 60}, true},
        {"a smaller photo kept whole", good, key, {400, 300}, true},
        {"another key", good, key + 1, {80, 60}, false},
        {"not a cache file", "\xff\xd8\xff\xe0" + good.substr(4), key, {80, 60}, false},
        {"another version", patched(4, 9), key, {80, 60}, false},
        {"a width of 0", patched(8, 0), key, {80, 60}, false},
        {"larger than the box needs", good, key, {40, 30}, false},
        {"cut short", good.substr(0, good.size() - 1), key, {80, 60}, false},
        {"a byte changed", patched(good.size() - 10, good[good.size() - 10] ^ 1), key, {80, 60}, false},
        {"only a header", good.substr(0, 39), key, {80, 60}, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(read(c.bytes, c.key, c.box).ok(), c.ok) << c.what;
}

TEST(PhotoCache, OldBoxesAndEventsArePruned)
{
    TempProgramDir root, eventDir;
    ASSERT_TRUE(ensureEventId(eventDir.path()));
    const auto now = fs::file_time_type::clock::now();
    auto folderAt = [](const fs::path &folder, fs::file_time_type when) {
        fs::create_directories(folder);
        std::ofstream(folder / "0000000000000001.tpc") << "x";
        fs::last_write_time(folder, when);
    };
    const PhotoCache cache(root.path(), eventDir.path(), {400, 300});
    fs::create_directories(cache.folder());
    std::ofstream(cache.folder() / "00000000000000ff.tpc") << "stale";
    // This event's other boxes: a day old and a week old.
    folderAt(cache.eventFolder() / "200x150", now - std::chrono::hours(24));
    folderAt(cache.eventFolder() / "640x480", now - std::chrono::hours(24 * 7));
    // Other events: two unused for two months, nine used in the last days.
    for (int i = 0; i < 2; ++i)
        folderAt(root / ("photos/old" + std::to_string(i)), now - std::chrono::hours(24 * 60));
    for (int i = 0; i < 9; ++i)
        folderAt(root / ("photos/recent" + std::to_string(i)), now - std::chrono::hours(i + 1));

    prunePhotoCache(cache, {}, now);

    EXPECT_FALSE(fs::exists(cache.folder() / "00000000000000ff.tpc")) << "a file of no photo of the list";
    EXPECT_TRUE(fs::exists(cache.eventFolder() / "200x150")) << "the other box used last stays";
    EXPECT_FALSE(fs::exists(cache.eventFolder() / "640x480"));
    EXPECT_FALSE(fs::exists(root / "photos/old0"));
    EXPECT_FALSE(fs::exists(root / "photos/old1"));
    // With this event, eight: the seven most recently used others stay.
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(fs::exists(root / ("photos/recent" + std::to_string(i))), i < 7) << i;
}

TEST(PhotoCache, TheStatusCountsThePhotosWithASoundCacheFile)
{
    Event event(5);
    const PhotoCacheStatus none = photoCacheStatus(event.cacheRoot.path(), event.dir.path(), event.names);
    EXPECT_EQ(none.box.width, 0);
    EXPECT_EQ(none.photos, 5);
    EXPECT_EQ(none.cached, 0);

    const PhotoCache cache(event.cacheRoot.path(), event.dir.path(), {80, 60});
    const PhotoTable table = event.load(cache);
    ASSERT_TRUE(writePhotoCache(cache, table));
    PhotoCacheStatus full = photoCacheStatus(event.cacheRoot.path(), event.dir.path(), event.names);
    EXPECT_EQ(full.box.width, 80);
    EXPECT_EQ(full.box.height, 60);
    EXPECT_EQ(full.cached, 5);

    event.dir.write("photo/p4.jpg", photoJpeg(320, 240, 50));
    fs::last_write_time(event.dir / "photo/p4.jpg", fs::file_time_type::clock::now() + std::chrono::seconds(5));
    std::string bytes = readAll(cache.fileOf(table.cacheKey(0)));
    bytes.back() ^= 1;
    writeAll(cache.fileOf(table.cacheKey(0)), bytes);
    event.names.push_back("missing");
    const PhotoCacheStatus partial = photoCacheStatus(event.cacheRoot.path(), event.dir.path(), event.names);
    EXPECT_EQ(partial.photos, 5) << "a photo that is not there is the check's other finding";
    EXPECT_EQ(partial.cached, 3) << "one changed, one damaged";
}

TEST(PhotoCache, TheCacheIsTheUsersAndEachEventHasItsOwn)
{
    const char *saved = std::getenv("XDG_CACHE_HOME");
    const std::string before = saved ? saved : "";
    setenv("XDG_CACHE_HOME", "/tmp/xdg-cache", 1);
    EXPECT_EQ(userCacheFolder(), fs::path("/tmp/xdg-cache/tessaly"));
    setenv("XDG_CACHE_HOME", "relative/path", 1);  // not absolute: ignored, as the base directory rules say
    EXPECT_EQ(userCacheFolder(), fs::path(std::getenv("HOME")) / ".cache/tessaly");
    if (saved)
        setenv("XDG_CACHE_HOME", before.c_str(), 1);
    else
        unsetenv("XDG_CACHE_HOME");

    TempProgramDir root, a, b;
    const fs::path c = a.path() / "copy";
    fs::create_directories(c);
    ASSERT_TRUE(ensureEventId(a.path()));
    fs::copy_file(a / kEventIdFile, c / kEventIdFile);
    EXPECT_NE(PhotoCache(root.path(), a.path(), {1, 1}).eventFolder(), PhotoCache(root.path(), b.path(), {1, 1}).eventFolder());
    EXPECT_EQ(PhotoCache(root.path(), a.path(), {1, 1}).eventFolder(), PhotoCache(root.path(), c, {1, 1}).eventFolder())
        << "a copy of the event (a rehearsal, a mirror) finds the same photos";
    EXPECT_NE(PhotoCache(root.path(), a.path(), {80, 60}).folder(), PhotoCache(root.path(), a.path(), {40, 30}).folder());
}

}  // namespace
}  // namespace tessaly
