#pragma once
// The draw's side of the mirror folder: whether its last copy went through,
// when it was last brought level, and the history lines when that changes.
#include "files/EventMirror.h"

#include <filesystem>
#include <string>

namespace tessaly {

class MirrorLink {
public:
    // The mirror every save is copied to after it is on disk; nullptr for none.
    void attach(EventMirror *mirror)
    {
        m_mirror = mirror;
        m_down = false;
        m_syncedAt.clear();
    }
    bool attached() const { return m_mirror != nullptr; }
    // The last copy failed or was late ("备份中断").
    bool interrupted() const { return m_down; }
    // When the mirror was last brought level (the history's time stamp); empty before the first time.
    const std::string &syncedAt() const { return m_syncedAt; }
    // Why it is interrupted, in GBK.
    std::string reason() const { return m_mirror ? m_mirror->reason() : std::string(); }
    std::filesystem::path folder() const { return m_mirror ? m_mirror->folder() : std::filesystem::path(); }
    // Brings the mirror level with the event folder; a change of its state is
    // appended to the history `log`, stamped `now`. The draw goes on either way.
    void sync(const std::filesystem::path &log, const std::string &now);

private:
    EventMirror *m_mirror = nullptr;
    bool m_down = false;
    std::string m_syncedAt;
};

}  // namespace tessaly
