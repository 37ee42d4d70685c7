#include "draw/DrawEvents.h"

#include "draw/DrawSession.h"

namespace tessaly {
namespace {

std::string firstError(const DrawOutcome &outcome)
{
    for (const Notice &n : outcome.notices)
        if (n.code != ErrorCode::None)
            return n.text;
    return {};
}

}  // namespace

DrawEventTracker::Seen DrawEventTracker::look(const DrawSession &session)
{
    Seen seen;
    seen.rolling = session.flags().Rolling;
    seen.batchReady = session.flags().BatchReady;
    seen.supplement = session.flags().SupplementMode;
    seen.saveOwed = session.saveOwed();
    for (const auto &award : session.AwardWinners()) {
        seen.perAward.push_back(static_cast<int>(award.size()));
        seen.winners += static_cast<int>(award.size());
    }
    return seen;
}

void DrawEventTracker::reset(const DrawSession &session)
{
    m_seen = look(session);
    m_heldStop.reset();
    m_heldAwardDone = false;
}

std::vector<DrawEvent> DrawEventTracker::update(const DrawSession &session, const DrawOutcome &outcome)
{
    const Seen before = m_seen;
    const Seen now = look(session);
    m_seen = now;
    std::vector<DrawEvent> events;
    const int batchAward = session.state().BatchAward;
    const std::string error = firstError(outcome);

    if (now.winners == 0 && before.winners > 0) {
        events.emplace_back(DrawEventKind::Reset);
        m_heldStop.reset();  // nothing of the draw is left to announce
        m_heldAwardDone = false;
    } else if (now.winners < before.winners) {
        for (size_t i = 0; i < now.perAward.size(); ++i)
            if (now.perAward[i] < before.perAward[i])
                events.emplace_back(DrawEventKind::GaveUp, static_cast<int>(i));
    }

    if (before.rolling && !now.rolling && now.winners > before.winners) {
        DrawEvent stop(DrawEventKind::Stopped, batchAward);
        if (batchAward >= 0 && static_cast<size_t>(batchAward) < now.perAward.size()) {
            const auto &all = session.AwardWinners()[static_cast<size_t>(batchAward)];
            const size_t added = static_cast<size_t>(now.winners - before.winners);
            stop.winners.assign(all.end() - static_cast<std::ptrdiff_t>(std::min(added, all.size())), all.end());
        }
        const LGrade *award = batchAward >= 0 && batchAward < session.awards().AwardCount
                                  ? &session.awards()[batchAward]
                                  : nullptr;
        const bool awardDone =
            award && static_cast<int>(session.AwardWinners()[static_cast<size_t>(batchAward)].size()) >= award->winners;
        stop.saved = !now.saveOwed;
        if (stop.saved) {
            events.push_back(stop);
            if (awardDone)
                events.emplace_back(DrawEventKind::AwardDone, batchAward);
        } else {
            // The names wait for the save that holds them; the stop itself is announced now.
            m_heldStop = stop;
            m_heldAwardDone = awardDone;
            DrawEvent unsaved(DrawEventKind::Stopped, batchAward);
            unsaved.saved = false;
            unsaved.error = error;
            events.push_back(unsaved);
        }
    }
    if (!before.supplement && now.supplement)
        events.emplace_back(DrawEventKind::Supplement, batchAward);
    if (!before.batchReady && now.batchReady && !now.rolling)
        events.emplace_back(DrawEventKind::BatchPrepared, batchAward);
    if (!before.rolling && now.rolling) {
        if (!before.batchReady)
            events.emplace_back(DrawEventKind::BatchPrepared, batchAward);
        events.emplace_back(DrawEventKind::Rolling, batchAward);
    }
    if (before.saveOwed && !now.saveOwed) {
        DrawEvent written(DrawEventKind::RecordsWritten);
        if (m_heldStop) {
            written.award = m_heldStop->award;
            written.winners = std::move(m_heldStop->winners);
        }
        events.push_back(written);
        if (m_heldStop && m_heldAwardDone)
            events.emplace_back(DrawEventKind::AwardDone, m_heldStop->award);
        m_heldStop.reset();
        m_heldAwardDone = false;
    } else if (now.saveOwed && (!before.saveOwed || !error.empty())) {
        DrawEvent failed(DrawEventKind::RecordsFailed);
        failed.saved = false;
        failed.error = error;
        events.push_back(failed);
    }
    return events;
}

}  // namespace tessaly
