#include "draw/SaveDebt.h"

#include <algorithm>

namespace tessaly {

void SaveDebt::carryInto(DrawCommit &commit) const
{
    commit.recordBlock = m_record + commit.recordBlock;
    commit.clearRecord = commit.clearRecord || m_clearRecord;
    commit.logBlock = m_log + commit.logBlock;
    commit.auditBlock = m_audit + commit.auditBlock;
}

void SaveDebt::settle(const DrawCommit &commit, const CommitResult &result)
{
    settleAudit(commit.auditBlock, result);
    m_record = result.recordWritten ? std::string() : commit.recordBlock;
    m_clearRecord = commit.clearRecord && !result.recordWritten;
    m_log = result.logWritten ? std::string() : commit.logBlock;
    m_owed = !(result.recordWritten && result.orderWritten && result.stateWritten && result.settingsWritten);
}

void SaveDebt::settleAudit(const std::string &auditBlock, const CommitResult &result)
{
    m_audit = result.auditWritten ? std::string() : auditBlock;
}

void SaveDebt::withhold(DrawOutcome &out, std::array<std::string, kSlotCount> &slots, std::string &grid)
{
    // Until the save goes through, the slots stand empty and the marquee as it was.
    for (StageAction show : {StageAction::ShowSlotTexts, StageAction::ShowGridText, StageAction::ShowPhotoWinners}) {
        auto at = std::find(out.actions.begin(), out.actions.end(), show);
        if (at == out.actions.end())
            continue;
        m_shown = show;
        m_slots = slots;
        m_grid = grid;
        slots.fill({});
        grid.clear();
        if (show == StageAction::ShowPhotoWinners)
            out.actions.erase(at);
    }
}

void SaveDebt::release(DrawOutcome &out, std::array<std::string, kSlotCount> &slots, std::string &grid)
{
    if (!m_shown)
        return;
    slots = m_slots;
    grid = m_grid;
    out.actions.push_back(*m_shown);
    out.actions.push_back(StageAction::ComposeMarquee);
    m_shown.reset();
}

}  // namespace tessaly
