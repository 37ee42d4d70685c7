// The per-user cache of decoded photos: each photo, scaled to the box it was
// decoded for, kept as a small JPEG under $XDG_CACHE_HOME/tessaly (never in the
// event folder, so rehearsal copies, mirrors and USB sticks do not carry it).
// A later load of the same event reads these instead of decoding the phones'
// large originals. A cache file names the photo's name, size, modification
// time and the box it was made for; a changed original, another box, or a
// file that is damaged or of the wrong size is simply not used and written anew.
#pragma once

#include "Result.h"
#include "participants/Jpeg.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tessaly {

class PhotoTable;

// $XDG_CACHE_HOME/tessaly, else ~/.cache/tessaly; empty when neither is known.
std::filesystem::path userCacheFolder();

// What a cached photo must agree with to stand for its original.
struct PhotoKey {
    std::string name;                // GBK, as the list holds it
    std::uintmax_t size = 0;         // bytes of the original
    std::int64_t modified = 0;       // the original's modification time, nanoseconds
    DecodeBox box;
};
// The key of an original file; nothing when it cannot be looked at.
std::optional<PhotoKey> photoKeyOf(const std::filesystem::path &original, const std::string &name, DecodeBox box);
// Never 0 (0 marks "no key" in a photo table).
std::uint64_t photoKeyHash(const PhotoKey &key);

// Cached photos are stored at this JPEG quality (4:2:0): within a few levels
// of the decoded original, a tenth of its size.
inline constexpr int kPhotoCacheQuality = 92;
// Event caches not used for this long are removed; of the rest, only the most
// recently used are kept.
inline constexpr std::chrono::hours kPhotoCacheUnusedLimit{24 * 30};
inline constexpr int kPhotoCacheMaxEvents = 8;

// One cache file: a header of 40 bytes (the magic "TPHC", format version,
// width, height, key, JPEG length, checksum of the JPEG) and the JPEG.
Result<std::string> encodeCachedPhoto(std::uint64_t key, const std::uint32_t *pixels, int width, int height);

struct CachedPhoto {
    int width = 0;
    int height = 0;
    std::span<const unsigned char> jpeg;
};
// Checks a cache file's header, key and checksum, and that its size is one
// a load into `box` gives; the JPEG itself is checked by the decode.
Result<CachedPhoto> readCachedPhoto(std::span<const unsigned char> bytes, std::uint64_t key, DecodeBox box);

// Decodes a checked cache file into memory from `room`: exactly its stated
// size, and no flaw the decoder would only warn about.
Result<DecodeBox> decodeCachedPhoto(JpegDecoder &decoder, const CachedPhoto &photo, JpegDecoder::Room room,
                                    void *context);

// The cache of one event's photos at one box.
class PhotoCache {
public:
    // `root` is the user's cache folder (userCacheFolder()); the event is known
    // by its ID (event.id), or by its folder's path when it has none.
    PhotoCache(std::filesystem::path root, const std::filesystem::path &eventFolder, DecodeBox box);

    DecodeBox box() const { return m_box; }
    const std::filesystem::path &root() const { return m_root; }
    // root/photos/<event>/
    const std::filesystem::path &eventFolder() const { return m_event; }
    // root/photos/<event>/<width>x<height>/
    const std::filesystem::path &folder() const { return m_folder; }
    std::filesystem::path fileOf(std::uint64_t key) const;

private:
    std::filesystem::path m_root, m_event, m_folder;
    DecodeBox m_box;
};

// Writes the photos a load decoded from their originals into the cache, in
// groups committed together (a stop part-way keeps the groups done), over
// `threads` encoders. When every photo of the table is in the cache, prunes
// it (prunePhotoCache). Returns how many were written.
Result<int> writePhotoCache(const PhotoCache &cache, const PhotoTable &table, int threads = 1,
                            const std::atomic<bool> *cancel = nullptr);

// The operator's notice when the cache could not be written: the draw goes
// on, only the next load decodes the originals again.
std::string photoCacheFailureNotice(const Error &error);

// What the cache no longer needs, once a load has all its photos there:
// - in this event's box folder, files of no photo in `keep` (changed or
//   removed photos) and temporaries of an interrupted write;
// - this event's other boxes, except the most recently used one (a laptop
//   and a projector take turns);
// - other events' caches unused for kPhotoCacheUnusedLimit, and beyond the
//   kPhotoCacheMaxEvents most recently used.
void prunePhotoCache(const PhotoCache &cache, const std::vector<std::uint64_t> &keep,
                     std::filesystem::file_time_type now = std::filesystem::file_time_type::clock::now());

// How complete the cache is for an event's photos, at the box they were last
// cached for (the check has no screen to work the box out from).
struct PhotoCacheStatus {
    DecodeBox box;     // 0 by 0 when the event has no cache yet
    int photos = 0;    // photos of the list that exist
    int cached = 0;    // of those, with a sound cache file
};
PhotoCacheStatus photoCacheStatus(const std::filesystem::path &root, const std::filesystem::path &eventFolder,
                                  const std::vector<std::string> &names);

}  // namespace tessaly
