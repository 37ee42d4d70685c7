#include "event/OperatorNotices.h"

#include "files/FileIo.h"
#include "files/Paths.h"
#include "settings/ProgramFiles.h"
#include "text/Gbk.h"

#include <algorithm>

namespace tessaly {

OperatorNotices::OperatorNotices(std::filesystem::path programDir, const Clock &clock)
    : m_dir(std::move(programDir)), m_clock(clock)
{
}

std::string noticeLogBlock(std::string_view timestamp, std::string_view text)
{
    std::string block = "\r\n<";
    block += timestamp;
    block += ">  ";
    block += TSL_GBK("提示：");
    block += text;
    block += "\r\n";
    return block;
}

Status OperatorNotices::post(std::string text)
{
    OperatorNotice notice{m_clock.now(), std::move(text), 1};
    auto same = std::find_if(m_recent.begin(), m_recent.end(),
                             [&](const OperatorNotice &n) { return n.text == notice.text; });
    if (same != m_recent.end()) {
        notice.count = same->count + 1;
        m_recent.erase(same);
    }
    m_recent.push_back(notice);
    while (m_recent.size() > kKept)
        m_recent.pop_front();
    ++m_unseen;
    // A listener may post or unsubscribe; it works on a copy of the list.
    const auto listeners = m_listeners;
    for (const auto &[id, listener] : listeners)
        listener(m_recent.back());
    return logOnce(m_recent.back().text);
}

Status OperatorNotices::post(const std::vector<std::string> &texts)
{
    Status first = Ok{};
    for (const auto &text : texts)
        if (Status posted = post(text); !posted && first)
            first = posted;
    return first;
}

Status OperatorNotices::logOnce(const std::string &text)
{
    if (m_dir.empty() || std::find(m_logged.begin(), m_logged.end(), text) != m_logged.end())
        return Ok{};
    m_logged.push_back(text);
    Status appended = appendFileDurable(programFile(m_dir, files::kLog), noticeLogBlock(formatTimestamp(m_clock.now()), text));
    if (!appended) {
        // Said once, without trying the log again (that would only fail again).
        std::string failed = TSL_GBK("无法写入log.txt：") + appended.error().message;
        if (std::find(m_logged.begin(), m_logged.end(), failed) == m_logged.end()) {
            m_logged.push_back(failed);
            post(failed);
        }
    }
    return appended;
}

void OperatorNotices::markSeen()
{
    m_unseen = 0;
}

int OperatorNotices::subscribe(Listener listener)
{
    const int id = m_nextId++;
    m_listeners.emplace_back(id, std::move(listener));
    return id;
}

void OperatorNotices::unsubscribe(int id)
{
    std::erase_if(m_listeners, [id](const auto &entry) { return entry.first == id; });
}

}  // namespace tessaly
