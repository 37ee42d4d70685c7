#include "ui/special/SettingsAccess.h"

#include "core/settings/Settings.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"

namespace tessaly {

void showFailure(QWidget *parent, MessageService &messages, const Error &error)
{
    messages.notify(parent, QStringLiteral("出错"), toQt(error.message), MessageService::Icon::Critical);
}

std::optional<IniStore> readIniFile(QWidget *parent, MessageService &messages, const std::filesystem::path &programDir,
                                    const char *file)
{
    auto store = openIniFile(programDir, file);
    if (!store) {
        showFailure(parent, messages, store.error());
        return std::nullopt;
    }
    return std::move(*store);
}

bool changeIniFile(QWidget *parent, MessageService &messages, const std::filesystem::path &programDir,
                   const std::function<bool(IniStore &)> &change, const char *file)
{
    std::optional<IniStore> store = readIniFile(parent, messages, programDir, file);
    if (!store || !change(*store))
        return false;
    if (Status written = store->commit(); !written) {
        showFailure(parent, messages, written.error());
        return false;
    }
    return true;
}

}  // namespace tessaly
