// Figures for the stage window at 1920x1080, offscreen: one roll tick from the
// timer to painted pixels for 20 slots and for a 500-entry text block, the
// start-up to the first ready batch with 10,000 entries, and how many ticks a
// 20 ms roll timer really delivers.
#include "core/draw/DrawSession.h"
#include "ui/common/AppSetup.h"
#include "ui/common/FileOpener.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/stage/TFrmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <fstream>

using namespace tessaly;

namespace {

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

// A program folder from the shipped files with one award of `batch` winners,
// `entries` participants and the given roll interval.
struct Folder {
    Folder(int entries, int batch, int interval = 40)
    {
        dir = tmp.path().toStdString();
        std::filesystem::copy(TESSALY_DIST_DIR, dir,
                              std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
        std::ofstream(dir / "set.dat", std::ios::app | std::ios::binary);
        auto settings = IniStore::open(dir / "set.dat");
        settings->writeInteger("Option", "Lucks", 1);
        settings->writeString("Grade", "0", "A|" + std::to_string(batch) + "|1|" + std::to_string(batch) + "|P|");
        settings->writeString("Option", "IntervalTime", std::to_string(interval));
        settings->writeBool("Option", "canready", false);
        (void)settings->commit();
        std::ofstream list(dir / "data.txt", std::ios::binary);
        for (int i = 0; i < entries; ++i)
            list << "\xD5\xC5\xC8\xFD" << i << "\r\n";  // 张三 and a number
    }
    QTemporaryDir tmp;
    std::filesystem::path dir;
};

struct Stage {
    Stage(const Folder &f) : window(f.dir, {messages, opener, pickers}, QSize(1920, 1080))
    {
        window.resize(1920, 1080);
        window.show();
        window.FormShow();
        QCoreApplication::processEvents();
    }
    SilentMessages messages;
    NoOpener opener;
    NoPickers pickers;
    TFrmMain window;
};

void rollTickToPixels(benchmark::State &state, int batch)
{
    Folder folder(10000, batch);
    Stage stage(folder);
    stage.window.GoButtonClick();  // start rolling
    stage.window.Timer1.stop();    // the benchmark drives the ticks itself
    stage.window.Timer2.stop();
    const bool grid = batch > 20;
    (grid ? stage.window.Timer2 : stage.window.Timer1).start(1000000);
    for (auto _ : state) {
        stage.window.RollTick();
        QCoreApplication::processEvents();  // paints the changed labels into the backing store
    }
    state.counters["core_us"] = static_cast<double>(stage.window.lastTickMicros());
}

void BM_TickSlots20(benchmark::State &state) { rollTickToPixels(state, 20); }
void BM_TickGrid500(benchmark::State &state) { rollTickToPixels(state, 500); }
BENCHMARK(BM_TickSlots20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickGrid500)->Unit(benchmark::kMicrosecond);

void BM_StartUpToFirstReadyBatch(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<Folder>(10000, 20);
        state.ResumeTiming();
        {
            Stage stage(*folder);
            benchmark::DoNotOptimize(stage.window.session().flags().BatchReady);
        }
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToFirstReadyBatch)->Unit(benchmark::kMillisecond)->Iterations(5);

// Runs the real 20 ms timer (three seconds, or TESSALY_TICK_SECONDS) and
// counts the ticks it delivered.
void BM_RollTimerAt20ms(benchmark::State &state)
{
    Folder folder(10000, 20, 20);
    Stage stage(folder);
    const int seconds = qEnvironmentVariableIsSet("TESSALY_TICK_SECONDS") ? qEnvironmentVariableIntValue("TESSALY_TICK_SECONDS") : 3;
    for (auto _ : state) {
        stage.window.GoButtonClick();
        const int before = stage.window.tickCount();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < seconds * 1000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const int ticks = stage.window.tickCount() - before;
        stage.window.StopButtonClick();
        state.counters["ticks"] = ticks;
        state.counters["expected"] = static_cast<double>(clock.elapsed()) / 20.0;
    }
}
BENCHMARK(BM_RollTimerAt20ms)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setupApplication(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
