// Opening set.dat (and the other INI files) of a program folder.
#pragma once

#include "Result.h"
#include "settings/IniStore.h"

#include <filesystem>

namespace tessaly {

std::filesystem::path settingsPath(const std::filesystem::path &programDir);

// Opens set.dat of the program folder for one operation.
Result<IniStore> openSettings(const std::filesystem::path &programDir);

// Opens a program file in INI layout by its stored name ("Modual\set.dat", "Read.reb").
Result<IniStore> openIniFile(const std::filesystem::path &programDir, const char *storedName);

// Copies Modual\set.dat over set.dat whole.
Status restoreFactorySettings(const std::filesystem::path &programDir);

}  // namespace tessaly

namespace tessaly {

// True when set.dat, data.txt and ARecord.dat are all in the program folder.
bool installationComplete(const std::filesystem::path &programDir);

}  // namespace tessaly
