// The operator's notice place: problems named quietly while the show goes on
// (a sound that did not play, a stored value set aside at the start). Nothing
// posted here stops the draw or puts a box over the stage; the stage's tool bar
// and the operator console show what is posted, and log.txt keeps each text once.
#pragma once

#include "Result.h"
#include "draw/Clock.h"

#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

struct OperatorNotice {
    LocalDateTime time;  // when it was last posted
    std::string text;    // GBK
    int count = 1;       // how often the same text was posted
};

class OperatorNotices {
public:
    using Listener = std::function<void(const OperatorNotice &)>;
    // The notices kept for the views; older ones are dropped.
    static constexpr size_t kKept = 100;

    // An empty programDir keeps the notices in memory only (no log.txt line).
    OperatorNotices(std::filesystem::path programDir, const Clock &clock);

    // Posts a notice and tells every listener. A text already posted in this run
    // counts up and moves to the end instead of standing twice, and goes to
    // log.txt only the first time, so a sound that fails at every stop fills
    // neither the history nor the bar. A failed log write is itself posted
    // (once) and returned: the notice is shown either way.
    Status post(std::string text);
    // Several at once, in order; the first failed log write is returned.
    Status post(const std::vector<std::string> &texts);

    // Oldest first; at most kKept.
    const std::deque<OperatorNotice> &recent() const { return m_recent; }
    // Posts since the views last said they were seen (the tool bar shows the number).
    int unseen() const { return m_unseen; }
    void markSeen();

    // Returns an id for unsubscribe. A listener is called on the thread that posts.
    int subscribe(Listener listener);
    void unsubscribe(int id);

private:
    Status logOnce(const std::string &text);

    std::filesystem::path m_dir;
    const Clock &m_clock;
    std::deque<OperatorNotice> m_recent;
    std::vector<std::string> m_logged;  // texts already in log.txt this run
    int m_unseen = 0;
    int m_nextId = 1;
    std::vector<std::pair<int, Listener>> m_listeners;
};

// The log.txt block of a notice: an empty line, then "<time>  提示：" and the text.
std::string noticeLogBlock(std::string_view timestamp, std::string_view text);

}  // namespace tessaly
