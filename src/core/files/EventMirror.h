// A second copy of the event folder, typically on a USB stick, brought level
// after every save so that a spare laptop can take the show over. The copy
// carries the event's ID and commit counter; a copy of another event is never
// written over.
#pragma once

#include "Result.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

namespace tessaly {

inline constexpr const char *kEventIdFile = "event.id";
// Left in a mirror folder by its first copy: says the folder is a mirror.
inline constexpr const char *kMirrorMarker = ".tessaly-mirror";

// Gives `to` the access rights of `from`, so what is readable by the owner
// only (the draw's seeds) stays so in a mirror and in a takeover's copy. A
// stick whose file system keeps no rights keeps them as it can.
void keepAccessRights(const std::filesystem::path &from, const std::filesystem::path &to);

// The folder's event ID: 32 hex digits made once, at random, when it has none.
Result<std::string> ensureEventId(const std::filesystem::path &folder);
// Empty when the folder has none.
std::string readEventId(const std::filesystem::path &folder);

// How many saves of the draw the folder has seen, and whether the special
// lists were active at the last one: keys commitcount and commitlists of
// set.dat, written with each save of the draw.
struct CommitCount {
    long long count = 0;
    bool listsActive = false;
    bool read = false;  // set.dat could be read (a stick pulled out cannot)
};
CommitCount readCommitCount(const std::filesystem::path &folder);

// Readies `candidate` to hold the mirror of the event in `eventFolder`, as the
// operator names it in the settings: the folder is made when missing (its
// parent must be there) and written to once. Refused, with the operator's
// message, when it is not an absolute path, is or holds or lies in the event
// folder, is not a folder, holds another event's mirror or other files, or
// cannot be written.
Status prepareMirrorFolder(const std::filesystem::path &eventFolder, const std::filesystem::path &candidate);

class EventMirror {
public:
    // `limit`: how long a save waits for the mirror before the draw goes on without it.
    EventMirror(std::filesystem::path eventFolder, std::filesystem::path mirrorFolder,
                std::chrono::milliseconds limit = std::chrono::seconds(2));
    ~EventMirror();
    EventMirror(const EventMirror &) = delete;
    EventMirror &operator=(const EventMirror &) = delete;

    // Copies what changed in the event folder since the last copy that went
    // through (everything, the first time), set.dat with its commit counter
    // last. False
    // when the copy failed or did not finish within the limit; then the next
    // call copies what was missed.
    bool sync();
    bool interrupted() const;
    // Why the last copy failed (GBK); empty when it went through.
    std::string reason() const;
    const std::filesystem::path &folder() const { return m_mirror; }

private:
    struct Shared;
    std::filesystem::path m_event, m_mirror;
    std::chrono::milliseconds m_limit;
    std::shared_ptr<Shared> m_shared;
};

}  // namespace tessaly
