// The event folder: where set.dat, the list, the records and the pictures of
// one event live. A portable copy keeps them beside the executable; an
// installed program keeps them in a per-user folder filled from the shipped
// template; a rehearsal works on a throw-away copy.
#pragma once

#include "Result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

// What the program was asked to do on its command line.
struct CommandLine {
    enum class Command { Run, Check, Export, Import, Reveal, Verify, ExportProof, RestoreBackup, Cards, Links, Help, Version };
    Command command = Command::Run;
    std::optional<std::filesystem::path> folder;  // --folder DIR, or the DIR of check/export/import
    bool rehearse = false;                        // --rehearse [DIR]
    std::optional<std::filesystem::path> mirror;  // --mirror DIR: the folder every save is copied to
    std::string format = "txt";                   // export --format
    std::filesystem::path output;                 // export, export-proof, cards, links -o FILE
    std::filesystem::path input;                  // import FILE; verify DIR or proof.zip
    std::string rows;                             // import --rows A-B
    std::string cols;                             // import --cols C-D
    std::optional<std::string> separator;         // import --sep TEXT (UTF-8 as typed)
    bool reset = false;                           // import --reset
    std::string backupName;                       // restore-backup [DIR] NAME
    std::string web;                              // --web ADDRESS:PORT, the hall's pages for this run
    std::string base;                             // links --base http://ADDRESS:PORT
    std::optional<std::string> stageScreen;       // --stage-screen NAME|N: the stage's screen for this run
    bool console = false;                         // --console: the operator console also with one screen
};

// Reads the arguments after the program name. The error text is UTF-8, for a terminal.
Result<CommandLine> parseCommandLine(const std::vector<std::string> &args);

// The usage text printed by --help (UTF-8).
std::string usageText();

// What the choice of the event folder depends on, gathered by the caller so
// the rules can be tried without touching the real environment.
struct FolderInputs {
    std::filesystem::path executableDir;
    std::filesystem::path templateDir;  // the shipped files for a new event folder
    std::string xdgDataHome;            // $XDG_DATA_HOME, may be empty
    std::string home;                   // $HOME
    std::optional<std::filesystem::path> folderArgument;
};

struct FolderChoice {
    std::filesystem::path folder;
    bool portable = false;      // the executable's own folder
    bool needsTemplate = false; // empty or new: fill from the template before use
};

// The executable's folder when it holds set.dat and can be written (the portable
// copy); --folder DIR when given; otherwise a per-user folder under the XDG data
// directory.
Result<FolderChoice> chooseEventFolder(const FolderInputs &inputs);

// The shipped template: <prefix>/share/tessaly/template beside <prefix>/bin, and
// build/share/tessaly/template beside the build tree's program folder build/tessaly.
std::filesystem::path findTemplateDir(const std::filesystem::path &executableDir);

// True when the folder holds set.dat, data.txt and ARecord.dat.
bool holdsEvent(const std::filesystem::path &folder);

// Creates the folder when missing and copies every template file that is not
// there yet; never overwrites a file. Returns the number of files copied.
Result<int> fillFromTemplate(const std::filesystem::path &templateDir, const std::filesystem::path &folder);

// True when a file can be created, written and removed in the folder. The
// error names the folder and the system's reason (GBK).
Status checkWritable(const std::filesystem::path &folder);

// Copies a whole event folder into a new temporary folder for a rehearsal.
Result<std::filesystem::path> makeRehearsalCopy(const std::filesystem::path &eventFolder);

// Removes a rehearsal copy (only folders made by makeRehearsalCopy).
void removeRehearsalCopy(const std::filesystem::path &copy);
// Whether the folder is a copy made by makeRehearsalCopy.
bool isRehearsalCopy(const std::filesystem::path &folder);

// Keeps other copies of the program off an event folder while held. The lock is
// an advisory lock on a file in the folder, so the system drops it when the
// process ends, even by a crash: a stale lock file never blocks a start.
class EventLock {
public:
    EventLock() = default;
    EventLock(const EventLock &) = delete;
    EventLock &operator=(const EventLock &) = delete;
    EventLock(EventLock &&other) noexcept;
    EventLock &operator=(EventLock &&other) noexcept;
    ~EventLock();

    // Fails with BadInput when another process holds the folder.
    static Result<EventLock> acquire(const std::filesystem::path &folder);
    bool held() const { return m_fd >= 0; }

private:
    explicit EventLock(int fd) : m_fd(fd) {}
    int m_fd = -1;
};

inline constexpr const char *kLockFileName = ".tessaly.lock";

}  // namespace tessaly

namespace tessaly {

// The folder a run works on, chosen and prepared: filled from the template when
// new, checked writable, locked against a second copy, and for a rehearsal a
// throw-away copy (removed when this object goes).
class EventFolderSession {
public:
    EventFolderSession() = default;
    EventFolderSession(EventFolderSession &&) noexcept = default;
    EventFolderSession &operator=(EventFolderSession &&) noexcept = default;
    ~EventFolderSession();

    const std::filesystem::path &folder() const { return m_folder; }          // where the program reads and writes
    const std::filesystem::path &eventFolder() const { return m_eventFolder; } // the real event folder
    bool rehearsal() const { return m_rehearsal; }
    int filledFromTemplate() const { return m_filled; }

    static Result<EventFolderSession> open(const FolderInputs &inputs, bool rehearse);

private:
    std::filesystem::path m_folder;
    std::filesystem::path m_eventFolder;
    bool m_rehearsal = false;
    int m_filled = 0;
    EventLock m_lock;
};

}  // namespace tessaly
