// Tessaly: chooses the event folder and builds the stage window on it, or runs
// one of the terminal commands (check, export, import) without a display.
#include "app/Commands.h"
#include "core/event/EventFolder.h"
#include "core/checkin/WebSettings.h"
#include "core/draw/DrawSession.h"
#include "core/event/Takeover.h"
#include "core/files/EventMirror.h"
#include "core/settings/Settings.h"
#include "core/text/Gbk.h"
#include "ui/common/AppSetup.h"
#include "ui/common/FileOpener.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/console/ScreenPlacement.h"
#include "ui/console/TFrmConsole.h"
#include "ui/event/RehearsalBadge.h"
#include "ui/hall/HallStage.h"

#include <QMenu>
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

    if (!line->web.empty() && !tessaly::parseListenAddress(line->web)) {
        std::cerr << "tessaly: --web takes ADDRESS:PORT, such as 192.168.1.20:8080\n";
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
    // Every event folder gets its ID once; a mirror of another event is told by it.
    std::optional<std::filesystem::path> mirrorDir = line->mirror;
    bool takeover = false;
    if (!event->rehearsal()) {
        auto stored = tessaly::openSettings(event->folder());
        const std::string named = stored ? stored->readString("Option", "mirrorfolder") : std::string();
        if (!mirrorDir && !named.empty())
            mirrorDir = std::filesystem::path(tessaly::gbkToUtf8(named));
        auto offer = tessaly::offerTakeover(event->folder(), mirrorDir);
        if (!offer) {
            messages.notify(nullptr, QStringLiteral("提示"), tessaly::toQt(offer.error().message),
                            tessaly::MessageService::Icon::Information);
            mirrorDir.reset();
        } else if (*offer && messages.ask(nullptr, QStringLiteral("提示"), tessaly::toQt((*offer)->question))) {
            // The further copy is copied to this laptop and the draw continues there.
            const auto further = (*offer)->further;
            const auto base = std::filesystem::path(inputs.xdgDataHome.empty() ? inputs.home + "/.local/share"
                                                                                : inputs.xdgDataHome);
            const auto local = tessaly::takeoverFolder(base, tessaly::readEventId(further));
            if (tessaly::Status copied = tessaly::copyForTakeover(further, local); !copied) {
                messages.notify(nullptr, QStringLiteral("出错"), tessaly::toQt(copied.error().message),
                                tessaly::MessageService::Icon::Critical);
                return 1;
            }
            if (std::filesystem::exists(further / tessaly::kMirrorMarker))
                mirrorDir = further;  // the stick stays this event's mirror
            inputs.folderArgument = local;
            event = tessaly::EventFolderSession::open(inputs, false);
            if (!event) {
                messages.notify(nullptr, QStringLiteral("出错"), tessaly::toQt(event.error().message),
                                tessaly::MessageService::Icon::Critical);
                return 1;
            }
            takeover = true;
            QString last;
            for (const std::string &name : tessaly::lastRecordedBatch(local))
                last += tessaly::toQt(name) + QStringLiteral("  ");
            messages.notify(nullptr, QStringLiteral("提示"),
                            QStringLiteral("已在本机接手抽奖：%1\n备份中最后一批中奖名单：%2")
                                .arg(QString::fromStdString(local.string()),
                                     last.isEmpty() ? QStringLiteral("（没有）") : last),
                            tessaly::MessageService::Icon::Information);
        }
    }
    const std::filesystem::path programDir = event->folder();

    if (!tessaly::installationComplete(programDir)) {
        messages.notify(nullptr, QStringLiteral("出错"), QStringLiteral("软件未正常安装，请重新安装。"),
                        tessaly::MessageService::Icon::Critical);
        return 1;
    }
    auto settings = tessaly::openSettings(programDir);
    std::unique_ptr<tessaly::EventMirror> mirror;
    if (!event->rehearsal()) {
        if (auto id = tessaly::ensureEventId(programDir); !id)
            messages.notify(nullptr, QStringLiteral("提示"), tessaly::toQt(id.error().message),
                            tessaly::MessageService::Icon::Information);
        if (mirrorDir)
            mirror = std::make_unique<tessaly::EventMirror>(programDir, *mirrorDir);
    }
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
    const auto overlayScale = [&window] { return window.overlayScale(); };
    if (event->rehearsal())
        new tessaly::RehearsalBadge(&window, overlayScale);
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
    if (takeover)
        window.session().setTakeover(true);
    window.FormShow();
    if (mirror)
        window.setMirror(std::move(mirror));
    if (placement.console())
        placement.console()->refresh();

    // The hall's pages: --web for this run, or switched on in set.dat; never in
    // a rehearsal, whose phones would check in to a copy thrown away after.
    std::optional<std::pair<std::string, int>> listen;
    if (!line->web.empty())
        listen = tessaly::parseListenAddress(line->web);
    tessaly::HallStage hall(window.control(), messages, pickers, &window,
                            {programDir, event->rehearsal(), event->rehearsal() ? std::nullopt : listen, overlayScale});
    window.settingsMenu()->addAction(QStringLiteral("现场互动..."), &hall, &tessaly::HallStage::openSettings);
    hall.begin(placement.console());
    return app.exec();
}
