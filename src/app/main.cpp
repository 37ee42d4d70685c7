// Tessaly: builds the application and the stage window from the program folder.
#include "core/settings/Settings.h"
#include "ui/common/AppSetup.h"
#include "ui/common/FileOpener.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/sound/SoundPlayer.h"
#include "ui/stage/TFrmMain.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char *argv[])
{
    tessaly::selectMediaBackend();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("抽奖软件"));
    tessaly::setupApplication(app);
    const std::filesystem::path programDir = QCoreApplication::applicationDirPath().toStdString();
    tessaly::QtMessageService messages;
    tessaly::DesktopFileOpener opener;
    tessaly::QtPickerService pickers;

    if (!tessaly::installationComplete(programDir)) {
        messages.notify(nullptr, QStringLiteral("出错"), QStringLiteral("软件未正常安装，请重新安装。"),
                        tessaly::MessageService::Icon::Critical);
        return 1;
    }
    auto settings = tessaly::openSettings(programDir);
    const bool windowed = settings && settings->readBool("Option", "runfrom", false);
    const QSize screen = QGuiApplication::primaryScreen()->size();
    tessaly::TFrmMain window(programDir, {messages, opener, pickers}, screen);
    if (windowed) {
        window.move(settings->readInteger("Option", "Mformleft", 0), settings->readInteger("Option", "Mformtop", 0));
        window.resize(settings->readInteger("Option", "fromwidth", 800), settings->readInteger("Option", "fromheight", 600));
        window.show();
    } else {
        window.setWindowFlag(Qt::FramelessWindowHint);
        window.setGeometry(QGuiApplication::primaryScreen()->geometry());
        window.showFullScreen();
    }
    window.FormShow();
    return app.exec();
}
