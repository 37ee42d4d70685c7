#include "draw/MirrorLink.h"

#include "files/FileIo.h"
#include "text/Gbk.h"

namespace tessaly {

void MirrorLink::sync(const std::filesystem::path &log, const std::string &now)
{
    if (!m_mirror)
        return;
    const bool ok = m_mirror->sync();
    if (ok)
        m_syncedAt = now;
    if (ok == !m_down)
        return;
    m_down = !ok;
    const std::string line = "\r\n<" + now + "> " +
                             (ok ? TSL_GBK("备份已恢复：") + utf8ToGbk(m_mirror->folder().string())
                                 : TSL_GBK("备份中断：") + m_mirror->reason()) +
                             "\r\n";
    appendFileDurable(log, line);
    // The history line itself reaches the mirror too.
    if (ok)
        m_mirror->sync();
}

}  // namespace tessaly
