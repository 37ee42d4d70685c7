#include "settings/Settings.h"

#include "files/FileIo.h"
#include "files/Paths.h"
#include "settings/ProgramFiles.h"

namespace tessaly {

std::filesystem::path settingsPath(const std::filesystem::path &programDir)
{
    return programFile(programDir, files::kSettings);
}

Result<IniStore> openSettings(const std::filesystem::path &programDir)
{
    return IniStore::open(settingsPath(programDir));
}

Result<IniStore> openIniFile(const std::filesystem::path &programDir, const char *storedName)
{
    return IniStore::open(programFile(programDir, storedName));
}

Status restoreFactorySettings(const std::filesystem::path &programDir)
{
    return copyFileAtomic(programFile(programDir, files::kFactorySettings), settingsPath(programDir));
}

}  // namespace tessaly

namespace tessaly {

bool installationComplete(const std::filesystem::path &programDir)
{
    for (const char *name : {files::kSettings, files::kParticipants, files::kRecord}) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(programFile(programDir, name), ec))
            return false;
    }
    return true;
}

}  // namespace tessaly
