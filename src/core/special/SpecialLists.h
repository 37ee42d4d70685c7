// The predetermined-winner and exclusion lists (Read.reb and write.reb): one
// section per award number (from 1) with a count `coun` and the entries as
// Base64 keys "1" to coun; the enabling modes and the two hot keys.
#pragma once

#include "Result.h"
#include "draw/DrawState.h"
#include "settings/IniStore.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tessaly {

// One entry of a list section as stored, with its decoded name.
struct ListEntry {
    std::string stored;  // the Base64 value as it stands in the file
    std::string name;    // decoded; empty when the value is not Base64
    bool readable = false;
};

// Keys 1 to `coun` of a section in key order, whatever gaps lie between them.
std::vector<ListEntry> readListEntries(const IniStore &store, const std::string &section);

// The names a section gives the draw: unreadable and empty entries name nobody
// (an empty name would match a blank line of the list).
std::vector<std::string> readListNames(const IniStore &store, const std::string &section);

// Lines of a list file that cannot be read, each as "[section] key=value"
// (GBK): a count that is not a number, an entry that is not Base64.
std::vector<std::string> listFileProblems(const IniStore &store);

// One notice for the start naming every grouping range (when grouping is on)
// and every line of Read.reb and write.reb that cannot be read, and a stored
// password or access code nobody can type; empty when all can. What can be
// read is used as it is.
std::string unreadableSpecialLines(const std::filesystem::path &programDir, const IniStore &settings, bool grouping);

// The special list dialog's edits. Each rewrites the award's section whole:
// keys 1 to n from the entries in order, and coun = n.
void writeListSection(IniStore &store, int awardNumber, const std::vector<ListEntry> &entries);
void addListEntry(IniStore &store, int awardNumber, const std::string &name);
// Removes entry `row` (from 1); false, changing nothing, when the award has no such entry.
bool deleteListEntry(IniStore &store, int awardNumber, int row);
// Replaces the list file by an empty one.
Status clearListFile(const std::filesystem::path &file);

// True when the text equals a participant's line exactly, letter case aside.
bool isParticipant(const std::vector<std::string> &names, const std::string &text);

// How the lists come into force (Option/ntfs).
enum class ListMode {
    HotKeyOnce = 0,  // after the enabling hot key, until the next restart or start
    NextStart = 1,   // once, at the next start, which restarts the draw
    Always = 2,
};

ListMode readListMode(const IniStore &settings);

// Whether the lists stay in force after the operator restarts the draw.
inline bool listsAfterRestart(ListMode mode) { return mode == ListMode::Always; }

// What a key combination pressed on the stage asks for.
enum class HotKey { None, EnableLists, OpenAccessPrompt };

// The enabling key is checked first, so one code set for both enables the lists.
HotKey hotKeyAction(int shortcutCode, const DrawOptions &options);

inline constexpr int kDefaultOpenKey = 49237;    // Ctrl+Alt+U
inline constexpr int kDefaultEnableKey = 49230;  // Ctrl+Alt+N

}  // namespace tessaly
