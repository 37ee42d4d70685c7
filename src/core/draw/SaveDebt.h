#pragma once
// What a failed save still owes the files, carried by the next save, and the
// winners of a stop whose save failed, kept from every view until a retry
// writes their records.
#include "draw/DrawCommit.h"
#include "draw/DrawOutcome.h"
#include "draw/DrawState.h"

#include <array>
#include <optional>
#include <string>

namespace tessaly {

class SaveDebt {
public:
    // Some step of the last save (records, order, state or settings) is not on disk.
    bool owed() const { return m_owed; }
    // The audit lines still owed, for a save of the audit chain alone.
    const std::string &audit() const { return m_audit; }

    // Puts what earlier saves did not write in front of `commit`.
    void carryInto(DrawCommit &commit) const;
    // Keeps what the save of `commit` did not write.
    void settle(const DrawCommit &commit, const CommitResult &result);
    // What a save of the audit chain alone did not write.
    void settleAudit(const std::string &auditBlock, const CommitResult &result);
    // The history lines still owed, for a block appended apart; forgotten once written.
    const std::string &log() const { return m_log; }
    void logWritten() { m_log.clear(); }
    // A reset empties the records: the winners' lines still owed go with them.
    void dropRecords() { m_record.clear(); }

    // Winners are shown only once their records are on disk: the stop's showing
    // action is taken out of `out` and the slots and block are kept here, emptied.
    void withhold(DrawOutcome &out, std::array<std::string, kSlotCount> &slots, std::string &grid);
    bool withheld() const { return m_shown.has_value(); }
    // After a save went through: the kept winners back, and the actions that show them.
    void release(DrawOutcome &out, std::array<std::string, kSlotCount> &slots, std::string &grid);
    void forgetWithheld() { m_shown.reset(); }

private:
    bool m_owed = false;
    bool m_clearRecord = false;
    std::string m_record, m_log, m_audit;
    std::optional<StageAction> m_shown;
    std::array<std::string, kSlotCount> m_slots;
    std::string m_grid;
};

}  // namespace tessaly
