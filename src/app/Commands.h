// The command-line side of the program: the pre-event check, the export of the
// winners, the import of a list and the check-in cards and codes, which run
// without a display.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tessaly {

// True when the arguments name a command that runs without the stage.
bool isTerminalCommand(const std::vector<std::string> &args);

// Runs it and returns the exit status: 0 done, 1 the check found something that
// blocks the draw or the command failed, 2 the arguments were wrong.
int runTerminalCommand(const std::vector<std::string> &args, const std::filesystem::path &executableDir);

// The folder choice's inputs from the environment of this process.
struct FolderInputs;
FolderInputs folderInputsFromEnvironment(const std::filesystem::path &executableDir);

}  // namespace tessaly
