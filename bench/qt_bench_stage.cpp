// Figures for the stage window at 1920x1080, offscreen: one roll tick from the
// timer to painted pixels, steady and over the first 50 ticks of a roll, for 20
// slots and for a 500-entry text block (both at
// 3840x2160 too, arranged at 1920x1080 and shown twice as large), the
// start-up to the first ready batch with 10,000 entries, the text block's fit
// as a roll of 500 starts, and how many ticks a 20 ms roll timer really delivers.
#include "support/QtBench.h"
#include "core/draw/DrawSession.h"
#include "core/stage/StageFit.h"
#include "core/text/Gbk.h"
#include "ui/common/Fonts.h"
#include "ui/common/StageWidgets.h"

#include <QElapsedTimer>
#include <QFontInfo>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <fstream>

using namespace tessaly;
using namespace tessaly::bench;

namespace {

// A program folder from the shipped files with one award of `batch` winners,
// `entries` participants and the given roll interval.
struct Folder : ProgramFolder {
    Folder(int entries, int batch, int interval = 40)
    {
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
};

void rollTickToPixels(benchmark::State &state, int batch, QSize screen)
{
    Folder folder(10000, batch);
    if (screen != QSize(1920, 1080)) {
        // Arranged on a 1920x1080 projector first, as the event was prepared: the
        // slots are arranged as the batch starts rolling (and nothing is drawn).
        BenchStage arranged(folder.dir);
        arranged.window.GoButtonClick();
    }
    BenchStage stage(folder.dir, screen);
    stage.window.GoButtonClick();  // start rolling
    stage.window.Timer1.stop();    // the benchmark drives the ticks itself
    stage.window.Timer2.stop();
    const bool grid = batch > 20;
    (grid ? stage.window.Timer2 : stage.window.Timer1).start(1000000);
    // The first ticks of a roll shape entries the block has not shown before: they are
    // measured apart (a mean over the first 50), and the figure is the steady roll after
    // 400 ticks, by when nearly every one of the 10,000 entries has been shown.
    QElapsedTimer warmUp;
    warmUp.start();
    for (int tick = 0; tick < 400; ++tick) {
        stage.window.RollTick();
        QCoreApplication::processEvents();
        if (tick == 49)
            state.counters["first50_us"] = static_cast<double>(warmUp.nsecsElapsed()) / 50e3;
    }
    for (auto _ : state) {
        stage.window.RollTick();
        QCoreApplication::processEvents();  // paints the changed labels into the backing store
    }
    state.counters["core_us"] = static_cast<double>(stage.window.lastTickMicros());
    if (grid) {
        // How much the block paints: its size and its font's pixel height.
        state.counters["block_w"] = stage.window.Label21->width();
        state.counters["block_h"] = stage.window.Label21->height();
        state.counters["font_px"] = QFontInfo(stage.window.Label21->font()).pixelSize();
    }
}

void BM_TickSlots20(benchmark::State &state) { rollTickToPixels(state, 20, {1920, 1080}); }
void BM_TickGrid500(benchmark::State &state) { rollTickToPixels(state, 500, {1920, 1080}); }
void BM_TickSlots20At4K(benchmark::State &state) { rollTickToPixels(state, 20, {3840, 2160}); }
void BM_TickGrid500At4K(benchmark::State &state) { rollTickToPixels(state, 500, {3840, 2160}); }
BENCHMARK(BM_TickSlots20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickGrid500)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickSlots20At4K)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickGrid500At4K)->Unit(benchmark::kMicrosecond);

// The largest names a block of 500 takes in the free area of a 1920x1080 stage,
// as the roll starts: entries of 8 bytes (张三 and a number) and of 30 bytes.
void fitBlockOf500(benchmark::State &state, const std::string &longest)
{
    const QtTextMeasurer measurer;
    FontSpec style = defaultSlotFont();
    style.size = 9;
    SlotAutoSet autoset;
    autoset.size100 = 14;  // as shipped
    int size = 0;
    for (auto _ : state) {
        const auto block = fitSlotBlock(500, longest, autoset, StageRect{0, 180, 1920, 700}, {1920, 1080}, style, measurer);
        size = block ? block->font.size : 0;
    }
    state.counters["font_size"] = size;
}
void BM_FitBlock500Short(benchmark::State &state) { fitBlockOf500(state, utf8ToGbk("张三9999")); }
void BM_FitBlock500Long(benchmark::State &state) { fitBlockOf500(state, utf8ToGbk("研发中心-软件部-张三丰 0012345")); }
BENCHMARK(BM_FitBlock500Short)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitBlock500Long)->Unit(benchmark::kMillisecond);

// The start key pressed on a ready batch of 500: the block is arranged for the
// stage (every free area tried) and the first tick is shown.
void BM_StartRollingBlock500(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<Folder>(10000, 500);  // nothing arranged yet
        auto stage = std::make_unique<BenchStage>(folder->dir);
        state.ResumeTiming();
        stage->window.GoButtonClick();
        QCoreApplication::processEvents();
        state.PauseTiming();
        stage.reset();
        folder.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartRollingBlock500)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StartUpToFirstReadyBatch(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<Folder>(10000, 20);
        state.ResumeTiming();
        {
            BenchStage stage(folder->dir);
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
    BenchStage stage(folder.dir);
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
    return runQtBenchmarks(argc, argv);
}
