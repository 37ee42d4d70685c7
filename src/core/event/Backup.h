// Dated copies of what a reset or a replaced list would destroy: the records,
// the draw order and marks, the history, the list, and the position, award and
// grouping keys of set.dat. Every action that clears recorded winners or
// replaces the list keeps one first; a backup can be brought back whole.
#pragma once

#include "Result.h"
#include "draw/Clock.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tessaly {

// The folder of backups inside the event folder (native name).
inline constexpr const char *kBackupFolder = "备份";
// The set.dat keys of a backup, in a file of their own.
inline constexpr const char *kBackupKeysFile = "set-keys.dat";
// Older backups beyond this many are removed when a new one is made.
inline constexpr int kKeptBackups = 30;

struct BackupMade {
    std::string name;              // "2026-12-10 14-03-27", native
    std::filesystem::path folder;  // where it lies
};

// Copies ARecord.dat, colip.jpg, tmda.jpg, log.txt and data.txt (those that
// exist) and the draw keys of set.dat into 备份/<date time>/, then keeps only
// the newest kKeptBackups. A failure leaves no half backup behind.
Result<BackupMade> makeBackup(const std::filesystem::path &programDir, const LocalDateTime &now);

// The backups of the folder, oldest first.
std::vector<std::string> listBackups(const std::filesystem::path &programDir);

// Brings a backup back: its files and keys replace the current ones, after the
// current state was itself backed up (so a mistaken restore can be undone).
// Returns that backup of the state before the restore.
Result<BackupMade> restoreBackup(const std::filesystem::path &programDir, const std::string &name,
                                 const LocalDateTime &now);

// Winners recorded in the folder's ARecord.dat (0 when it cannot be read).
int recordedWinnerCount(const std::filesystem::path &programDir);

// What the operator is told before an action that keeps a backup (GBK): how
// many recorded winners it clears, and where the backup goes.
std::string backupNotice(const std::filesystem::path &programDir, int recordedWinners);

}  // namespace tessaly
