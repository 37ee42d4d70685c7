// The INI files as the special settings windows use them: opened for one
// reading or one change, any failure shown to the operator under "出错".
#pragma once

#include "core/Result.h"
#include "core/settings/IniStore.h"
#include "core/settings/ProgramFiles.h"

#include <filesystem>
#include <functional>
#include <optional>

class QWidget;

namespace tessaly {

class MessageService;

// Shows a failed file operation; the operation stops there.
void showFailure(QWidget *parent, MessageService &messages, const Error &error);

// The file for reading, or nothing once the operator has been told why.
std::optional<IniStore> readIniFile(QWidget *parent, MessageService &messages, const std::filesystem::path &programDir,
                                    const char *file = files::kSettings);

// Opens the file, applies `change` and replaces the file atomically. A change
// that returns false writes nothing. True when the file now holds the change.
bool changeIniFile(QWidget *parent, MessageService &messages, const std::filesystem::path &programDir,
                   const std::function<bool(IniStore &)> &change, const char *file = files::kSettings);

}  // namespace tessaly
