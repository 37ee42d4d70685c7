// What the operator console costs the roll, offscreen at 1920x1080: the
// interval between roll ticks of a 20 ms timer (its median and 99th
// percentile) and the time one tick takes, for 20 slots and a 500-entry text
// block, with and without the console and its miniature of the stage.
#include "support/QtBench.h"
#include "core/draw/DrawSession.h"
#include "ui/console/ScreenPlacement.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <fstream>
#include <vector>

using namespace tessaly;
using namespace tessaly::bench;

namespace {

struct Folder : ProgramFolder {
    Folder(int entries, int batch)
    {
        std::ofstream(dir / "set.dat", std::ios::app | std::ios::binary);
        auto settings = IniStore::open(dir / "set.dat");
        settings->writeInteger("Option", "Lucks", 1);
        settings->writeString("Grade", "0", "A|" + std::to_string(batch) + "|1|" + std::to_string(batch) + "|P|");
        settings->writeString("Option", "IntervalTime", "20");
        settings->writeBool("Option", "canready", false);
        (void)settings->commit();
        std::ofstream list(dir / "data.txt", std::ios::binary);
        for (int i = 0; i < entries; ++i)
            list << "\xD5\xC5\xC8\xFD" << i << "\r\n";
    }
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5))];
}

// Rolls for two seconds (or TESSALY_TICK_SECONDS) on the real timer.
void tickLateness(benchmark::State &state, int batch, bool withConsole)
{
    Folder folder(10000, batch);
    BenchStage stage(folder.dir);
    ScreenPlacement::Options options;
    options.consoleAsked = withConsole;
    ScreenPlacement placement(stage.window, folder.dir, options);
    placement.showConsole();
    const int seconds = qEnvironmentVariableIsSet("TESSALY_TICK_SECONDS") ? qEnvironmentVariableIntValue("TESSALY_TICK_SECONDS") : 2;
    QTimer &timer = batch > 20 ? stage.window.Timer2 : stage.window.Timer1;
    for (auto _ : state) {
        std::vector<double> intervals, costs;
        QElapsedTimer clock;
        qint64 last = -1;
        auto seen = QObject::connect(&timer, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            if (last >= 0)
                intervals.push_back(static_cast<double>(now - last) / 1e6);
            last = now;
        });
        clock.start();
        stage.window.GoButtonClick();
        int ticks = stage.window.tickCount();
        while (clock.elapsed() < seconds * 1000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            if (stage.window.tickCount() != ticks) {
                ticks = stage.window.tickCount();
                costs.push_back(static_cast<double>(stage.window.lastTickMicros()));
            }
        }
        stage.window.StopButtonClick();
        QObject::disconnect(seen);
        state.counters["interval_p50_ms"] = percentile(intervals, 0.5);
        state.counters["interval_p99_ms"] = percentile(intervals, 0.99);
        state.counters["tick_cost_p50_us"] = percentile(costs, 0.5);
        state.counters["tick_cost_p99_us"] = percentile(costs, 0.99);
        state.counters["ticks"] = static_cast<double>(intervals.size() + 1);
    }
}

void BM_Slots20(benchmark::State &state) { tickLateness(state, 20, false); }
void BM_Slots20WithConsole(benchmark::State &state) { tickLateness(state, 20, true); }
void BM_Grid500(benchmark::State &state) { tickLateness(state, 500, false); }
void BM_Grid500WithConsole(benchmark::State &state) { tickLateness(state, 500, true); }
BENCHMARK(BM_Slots20)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Slots20WithConsole)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Grid500)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Grid500WithConsole)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
