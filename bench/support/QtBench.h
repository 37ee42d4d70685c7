// What the benchmarks of the Qt layer share: services that answer nothing (a
// benchmark never waits on a dialog), a copy of the shipped program folder,
// and the main that starts Qt offscreen before the benchmarks run.
#pragma once

#include "ui/common/AppSetup.h"
#include "ui/common/FileOpener.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/stage/TFrmMain.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <filesystem>

namespace tessaly::bench {

class SilentMessages : public MessageService {
public:
    void notify(QWidget *, const QString &, const QString &, Icon) override {}
    bool ask(QWidget *, const QString &, const QString &) override { return false; }
};

class NoOpener : public FileOpener {
public:
    bool open(const QString &) override { return true; }
};

class NoPickers : public PickerService {
public:
    std::optional<QColor> pickColor(QWidget *, const QColor &) override { return std::nullopt; }
    QString pickOpenFile(QWidget *, const QString &, const QString &) override { return {}; }
    QString pickSaveFile(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
};

// A temporary program folder, holding a copy of the shipped files when asked.
struct ProgramFolder {
    explicit ProgramFolder(bool shipped = true)
    {
        dir = tmp.path().toStdString();
#ifdef TESSALY_DIST_DIR
        if (shipped)
            std::filesystem::copy(TESSALY_DIST_DIR, dir, std::filesystem::copy_options::recursive |
                                                             std::filesystem::copy_options::overwrite_existing);
#else
        (void)shipped;
#endif
    }
    QTemporaryDir tmp;
    std::filesystem::path dir;
};

// The stage window of a program folder on a 1920x1080 screen (or the size
// given), shown as at start-up.
struct BenchStage {
    explicit BenchStage(const std::filesystem::path &dir, QSize screen = QSize(1920, 1080))
        : window(dir, {messages, opener, pickers}, screen)
    {
        window.resize(screen);
        window.show();
        window.FormShow();
        QCoreApplication::processEvents();
    }
    SilentMessages messages;
    NoOpener opener;
    NoPickers pickers;
    TFrmMain window;
};

// Starts Qt offscreen, runs `beforeApplication` (when given) before the
// application object exists, then the benchmarks.
inline int runQtBenchmarks(int argc, char **argv, void (*beforeApplication)() = nullptr)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (beforeApplication)
        beforeApplication();
    QApplication app(argc, argv);
    setupApplication(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace tessaly::bench
