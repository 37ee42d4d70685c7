// Tessaly: builds the application and the stage window from the program folder.
#include "core/settings/Settings.h"
#include "ui/common/AppSetup.h"
#include "ui/common/MessageService.h"
#include "ui/stage/TFrmMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    tessaly::setupApplication(app);
    const std::filesystem::path programDir = QCoreApplication::applicationDirPath().toStdString();
    tessaly::QtMessageService messages;

    if (!tessaly::installationComplete(programDir)) {
        messages.notify(nullptr, QStringLiteral("出错"), QStringLiteral("软件未正常安装，请重新安装。"),
                        tessaly::MessageService::Icon::Critical);
        return 1;
    }
    tessaly::TFrmMain window(programDir, messages);
    window.show();
    window.loadProgramFiles();
    return app.exec();
}
