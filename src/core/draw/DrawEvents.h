// What happened in the draw, as every view of it (the stage, the operator
// console, the audience pages) learns it: one event per step, derived from the
// session's state after each operator action, never from a view's own guess.
#pragma once

#include "draw/DrawOutcome.h"

#include <string>
#include <vector>

namespace tessaly {

class DrawSession;

enum class DrawEventKind {
    BatchPrepared,   // the next batch is ready to roll
    Rolling,         // a batch started rolling
    Stopped,         // a batch stopped: its winners, after the save that holds them
    GaveUp,          // winners were given up
    Supplement,      // a supplement batch was set up
    AwardDone,       // the award of the last stop has all its winners
    RecordsWritten,  // a save owed by an earlier failure went through
    RecordsFailed,   // a save failed: the records are owed to the files
    Reset,           // the whole draw returned to the pool
};

struct DrawEvent {
    explicit DrawEvent(DrawEventKind k, int a = -1) : kind(k), award(a) {}

    DrawEventKind kind;
    int award = -1;                    // the award concerned
    std::vector<std::string> winners;  // Stopped: the batch's winners as recorded (GBK)
    bool saved = true;                 // Stopped: the records holding the winners are on disk
    std::string error;                 // RecordsFailed, Stopped when not saved: the operator's message (GBK)
};

// Compares the session with what it was after the last action and names the
// steps in between. A stop is reported once, with the result of its save.
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
};

}  // namespace tessaly
