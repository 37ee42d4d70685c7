// A stop's or a reset's writes as one unit that survives a crash at any
// instant. The whole change goes to a journal beside the files first, then into
// ARecord.dat, audit.log, tmda.jpg, colip.jpg, set.dat and log.txt one by one, and the
// journal is removed; a start that finds a journal applies it again, so the
// files never show people marked drawn whom no record names, nor recorded
// winners who could be drawn again.
#pragma once

#include "Result.h"
#include "draw/DrawRecord.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessaly {

inline constexpr const char *kCommitJournal = "draw.journal";
// Where the cut last line of ARecord.dat is kept when a save repairs the file.
inline constexpr const char *kCutRecords = "ARecord.cut.txt";

struct DrawCommit {
    bool clearRecord = false;              // ARecord.dat is emptied first (a reset)
    std::string recordBlock;               // appended to ARecord.dat
    std::string logBlock;                  // appended to log.txt
    std::string auditBlock;                // appended to audit.log (the lines that describe this change)
    std::optional<std::string> orderText;  // replaces tmda.jpg
    std::optional<std::string> stateText;  // replaces colip.jpg
    std::vector<SettingWrite> settings;    // keys written into set.dat
    // Other files of the draw replaced whole with it (name in the folder, text):
    // the check-in pools and the withdrawn winners.
    std::vector<std::pair<std::string, std::string>> files;
};

// The writes of a commit, in the order they are made.
enum class CommitStep { Journal, Record, Audit, Order, State, Settings, Log, Finished };

// Called after each write; returning true ends the sequence there, as if the
// program had been killed. Only tests set it.
using CommitInterrupt = std::function<bool(CommitStep)>;

struct CommitResult {
    bool recordWritten = false;  // the record step is done (or had nothing to do)
    bool orderWritten = false;
    bool stateWritten = false;
    bool settingsWritten = false;
    bool logWritten = false;
    bool auditWritten = false;
    bool interrupted = false;
    std::string setAside;       // a cut last line moved from ARecord.dat to ARecord.cut.txt
    std::vector<Error> errors;  // every failed write, for the operator

    bool ok() const { return errors.empty() && !interrupted; }
};

CommitResult applyDrawCommit(const std::filesystem::path &programDir, const DrawCommit &commit,
                             const CommitInterrupt &interrupt = {});

struct RecoveryResult {
    bool found = false;     // a journal was there
    bool finished = false;  // and its writes are now all in the files
    std::vector<Error> errors;
};

// Finishes the commit a crash interrupted. When ARecord.dat no longer fits the
// journal (changed by hand since), nothing is written and the journal stays
// for the operator to decide.
RecoveryResult finishPendingCommit(const std::filesystem::path &programDir);

}  // namespace tessaly
