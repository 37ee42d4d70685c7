// Stored paths keep the backslash form ("wav\bg1.wav") and GBK bytes; these
// helpers turn them into native paths when the disk is touched.
#pragma once

#include "Result.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace tessaly {

// The native path of a stored path: relative ones are taken from the program
// folder, backslashes become separators, GBK names become the native (UTF-8)
// names. When the exact name is missing, each component is matched without
// regard to letter case, as an operator coming from Windows expects.
std::filesystem::path resolveStoredPath(const std::filesystem::path &programDir, std::string_view stored);

bool storedFileExists(const std::filesystem::path &programDir, std::string_view stored);

// A native file name as GBK bytes, for lists and stored paths.
std::string fileNameToGbk(const std::filesystem::path &name);

// Copies a file the operator picked into a subfolder of the program folder
// ("img", "Awardimg", "wav") under its own name, replacing a file of that name,
// unless it is already there. Returns the stored path ("img\\a.jpg").
Result<std::string> importIntoProgramFolder(const std::filesystem::path &programDir, const std::filesystem::path &chosen,
                                            const std::string &subfolder);

// The file in the program folder with this name, matched without regard to case.
std::filesystem::path programFile(const std::filesystem::path &programDir, std::string_view name);

}  // namespace tessaly
