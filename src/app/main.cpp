// Tessaly: chooses the event folder and builds the stage window on it, or runs
// one of the terminal commands (check, export, import) without a display.
#include "app/Commands.h"
#include "core/event/EventFolder.h"
#include "core/settings/Settings.h"
#include "ui/common/AppSetup.h"
#include "ui/common/FileOpener.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/console/ScreenPlacement.h"
#include "ui/console/TFrmConsole.h"
#include "ui/event/RehearsalBadge.h"
#include "ui/sound/SoundPlayer.h"
#include "ui/stage/TFrmMain.h"

#include <QApplication>
#include <QScreen>

#include <iostream>

namespace {

std::filesystem::path executableDir()
{
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : self.parent_path();
}

}  // namespace

int main(int argc, char *argv[])
{
    const std::vector<std::string> rawArgs(argv + 1, argv + argc);
    if (tessaly::isTerminalCommand(rawArgs))
        return tessaly::runTerminalCommand(rawArgs, executableDir());

    tessaly::selectMediaBackend();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("抽奖软件"));
    tessaly::setupApplication(app);
    tessaly::QtMessageService messages;
    tessaly::DesktopFileOpener opener(messages);
    tessaly::QtPickerService pickers;

    // Qt has taken its own options (-platform ...); what is left is ours.
    std::vector<std::string> args;
    for (const QString &arg : QCoreApplication::arguments().mid(1))
        args.push_back(arg.toStdString());
    auto line = tessaly::parseCommandLine(args);
    if (!line || line->command != tessaly::CommandLine::Command::Run) {
        std::cerr << "tessaly: " << (line ? std::string("use the command without the stage") : line.error().message)
                  << "\n\n"
                  << tessaly::usageText();
        return 2;
    }

    tessaly::FolderInputs inputs = tessaly::folderInputsFromEnvironment(executableDir());
    inputs.folderArgument = line->folder;
    auto event = tessaly::EventFolderSession::open(inputs, line->rehearse);
    if (!event) {
        messages.notify(nullptr, QStringLiteral("出错"), tessaly::toQt(event.error().message),
                        tessaly::MessageService::Icon::Critical);
        return 1;
    }
    const std::filesystem::path programDir = event->folder();

    if (!tessaly::installationComplete(programDir)) {
        messages.notify(nullptr, QStringLiteral("出错"), QStringLiteral("软件未正常安装，请重新安装。"),
                        tessaly::MessageService::Icon::Critical);
        return 1;
    }
    auto settings = tessaly::openSettings(programDir);
    const bool windowed = settings && settings->readBool("Option", "runfrom", false);
    // The stage goes on the chosen screen (with two, not the laptop's own), the console on another.
    tessaly::ScreenPlacement::Options placing{line->stageScreen, line->console,
                                              QString::fromStdString(event->eventFolder().string()),
                                              event->rehearsal()};
    QScreen *stageScreen = tessaly::ScreenPlacement::stageScreenFor(programDir, placing);
    if (!stageScreen)
        stageScreen = QGuiApplication::primaryScreen();
    tessaly::TFrmMain window(programDir, {messages, opener, pickers}, stageScreen->size());
    // The caption names the event folder, so an operator with several events
    // sees which one this window draws.
    window.setWindowTitle(window.windowTitle() + QStringLiteral(" - ") +
                          QString::fromStdString(event->eventFolder().string()) +
                          (event->rehearsal() ? QStringLiteral(" (彩排)") : QString()));
    if (event->rehearsal())
        new tessaly::RehearsalBadge(&window);
    if (windowed) {
        window.move(settings->readInteger("Option", "Mformleft", 0), settings->readInteger("Option", "Mformtop", 0));
        window.resize(settings->readInteger("Option", "fromwidth", 800), settings->readInteger("Option", "fromheight", 600));
        window.show();
    } else {
        window.setWindowFlag(Qt::FramelessWindowHint);
        window.setGeometry(stageScreen->geometry());
        window.showFullScreen();
    }
    // The console first: the questions of the start already open on it.
    tessaly::ScreenPlacement placement(window, programDir, placing);
    placement.showConsole();
    window.FormShow();
    if (placement.console())
        placement.console()->refresh();
    return app.exec();
}
