// The backup kept before an action that clears recorded winners or replaces
// the list, and reading the whole draw again after a backup came back.
#include "draw/DrawSession.h"

#include "draw/DrawNotices.h"
#include "event/Backup.h"
#include "settings/Settings.h"
#include "text/Gbk.h"

namespace tessaly {
using namespace session;

bool DrawSession::keepBackup(DrawOutcome &out)
{
    auto made = makeBackup(m_dir, m_clock.now());
    if (!made) {
        out.notices.push_back({TSL_GBK("出错"),
                               made.error().message + TSL_GBK("\n没有备份，操作已取消，名单和中奖记录都没有改动。"),
                               made.error().code});
        return false;
    }
    return true;
}

int DrawSession::recordedWinners() const
{
    int n = 0;
    for (const auto &award : m_awardWinners)
        n += static_cast<int>(award.size());
    return n;
}

DrawOutcome DrawSession::reloadSavedDraw()
{
    DrawOutcome out;
    auto settings = openSettingsFor(m_dir, out);
    if (!settings)
        return out;
    if (m_flags.Rolling) {
        m_flags.Rolling = false;
        out.actions.push_back(StageAction::StopTimers);
    }
    m_flags.PhotoMode = settings->readBool("Option", "ispho", false);
    m_flags.GroupingEnabled = settings->readBool("Option", "canfz", false);
    m_flags.BatchReady = false;
    m_flags.SupplementMode = false;
    m_photosLoaded = false;
    for (auto &list : m_awardWinners)
        list.clear();
    for (auto &list : m_awardWinnerNames)
        list.clear();
    m_restoreFailure.clear();
    m_lastBatch.clear();
    m_pool.clear();
    out.actions.push_back(StageAction::ClearSlots);
    readSavedDraw(*settings, false, out);
    if (m_flags.PhotoMode)
        showPhotoPrompt(out);
    return out;
}

}  // namespace tessaly
