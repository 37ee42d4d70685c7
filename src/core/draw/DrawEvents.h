// What happened in the draw, as every view of it (the stage, the operator
// console, the audience pages) learns it: one event per step, derived from the
// session's state after each operator action, never from a view's own guess.
#pragma once

#include "draw/DrawOutcome.h"

#include <optional>
#include <string>
#include <vector>

namespace tessaly {

class DrawSession;

enum class DrawEventKind {
    BatchPrepared,   // the next batch is ready to roll
    Rolling,         // a batch started rolling
    Stopped,         // a batch stopped: its winners only when the save that holds them went through
    GaveUp,          // winners were given up
    Supplement,      // a supplement batch was set up
    AwardDone,       // the award of the last stop has all its winners, on disk
    RecordsWritten,  // a save owed by an earlier failure went through: the held-back winners
    RecordsFailed,   // a save failed: the records are owed to the files
    Reset,           // the whole draw returned to the pool
};

struct DrawEvent {
    explicit DrawEvent(DrawEventKind k, int a = -1) : kind(k), award(a) {}

    DrawEventKind kind;
    int award = -1;                    // the award concerned
    // Stopped (saved) and RecordsWritten: the batch's winners as recorded (GBK). A stop
    // whose save failed names nobody: no view may show a winner the files do not hold.
    std::vector<std::string> winners;
    bool saved = true;                 // Stopped: the records holding the winners are on disk
    std::string error;                 // RecordsFailed, Stopped when not saved: the operator's message (GBK)
};

// Compares the session with what it was after the last action and names the
// steps in between. A stop is reported once, with the result of its save; when
// that save failed, its winners (and its award's end) follow with the retry
// that writes them.
class DrawEventTracker {
public:
    // Takes the session's state as the starting point; reports nothing.
    void reset(const DrawSession &session);
    // The events since the last call; `outcome` is what the last call returned.
    std::vector<DrawEvent> update(const DrawSession &session, const DrawOutcome &outcome);

private:
    struct Seen {
        bool rolling = false;
        bool batchReady = false;
        bool supplement = false;
        bool saveOwed = false;
        int winners = 0;
        std::vector<int> perAward;
    };
    static Seen look(const DrawSession &session);
    Seen m_seen;
    std::optional<DrawEvent> m_heldStop;  // the stop whose save is owed, with its winners
    bool m_heldAwardDone = false;         // and whether it ended its award
};

}  // namespace tessaly
