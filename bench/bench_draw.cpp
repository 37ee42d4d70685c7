// The draw on stage: deciding an award among a million entries, one roll tick
// of the slots and of the text block, and a stop with its durable writes.
#include "core/draw/DrawSession.h"
#include "core/text/Gbk.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace tessaly;

namespace {

class BenchClock : public Clock {
public:
    LocalDateTime now() const override { return {2026, 12, 8, 19, 5, 3}; }
};

// A program folder with `entries` participants and one award of `winners`
// drawn in batches of `batch`.
fs::path makeProgram(const char *name, int entries, int winners, int batch)
{
    fs::path dir = fs::temp_directory_path() / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string detail;
    for (int left = winners; left > 0; left -= batch)
        detail += (detail.empty() ? "" : "+") + std::to_string(std::min(batch, left));
    const int batches = (winners + batch - 1) / batch;
    std::ofstream(dir / "set.dat", std::ios::binary)
        << "[Option]\r\nLucks=1\r\nonerun=1\r\nscreenmain=1024*768\r\n[Grade]\r\n0=" << utf8ToGbk("幸运奖") << "|"
        << winners << "|" << batches << "|" << detail << "|" << utf8ToGbk("礼品") << "|\r\n";
    std::ofstream data(dir / "data.txt", std::ios::binary);
    const std::string surname = utf8ToGbk("王");
    for (int i = 0; i < entries; ++i)
        data << surname << i << "\r\n";
    for (const char *file : {"ARecord.dat", "tmda.jpg", "colip.jpg", "log.txt"})
        std::ofstream(dir / file, std::ios::binary);
    return dir;
}

struct Stage {
    BenchClock clock;
    MtRandom random;
    DrawSession session;

    explicit Stage(const fs::path &dir) : session(dir, random, clock)
    {
        session.FormCreate(false);
        session.FormShow("1024*768");
    }
};

void BM_BuildDrawOrder(benchmark::State &state)
{
    fs::path dir = makeProgram("tessaly-bench-order", 1000000, 1000, 1000);
    Stage stage(dir);
    for (auto _ : state) {
        DrawOutcome out;
        benchmark::DoNotOptimize(stage.session.BuildDrawOrder(0, 1000, false, false, out));
    }
    state.counters["order"] = static_cast<double>(stage.session.PoolList().size());
    fs::remove_all(dir);
}
BENCHMARK(BM_BuildDrawOrder)->Unit(benchmark::kMillisecond);

template <bool Grid>
void BM_RollTick(benchmark::State &state)
{
    const int batch = static_cast<int>(state.range(0));
    fs::path dir = makeProgram("tessaly-bench-tick", 10000, batch, batch);
    Stage stage(dir);
    stage.session.StartRolling();
    for (auto _ : state)
        benchmark::DoNotOptimize(Grid ? stage.session.Timer2Timer() : stage.session.Timer1Timer());
    fs::remove_all(dir);
}
BENCHMARK(BM_RollTick<false>)->Name("BM_SlotTick")->Arg(20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RollTick<true>)->Name("BM_GridTick")->Arg(500)->Unit(benchmark::kMicrosecond);

// Stops of 20 winners with 100,000 entries, each with its journal, record,
// marks, position and history written to disk. The first stop of the award
// also writes its draw order.
void BM_StopBatch(benchmark::State &state)
{
    fs::path dir = makeProgram("tessaly-bench-stop", 100000, 20 * 400, 20);
    Stage stage(dir);
    for (auto _ : state) {
        state.PauseTiming();
        if (!stage.session.flags().BatchReady)
            stage.session.PrepareBatch();
        stage.session.StartRolling();
        state.ResumeTiming();
        DrawOutcome out = stage.session.StopBatch();
        if (!out.notices.empty())
            state.SkipWithError("the stop reported a problem");
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_StopBatch)->Iterations(200)->Unit(benchmark::kMillisecond);

// From the stop key to the names on the stage, with the mirror folder off (0)
// and on (1): the stop returns the winners to show only after the records are
// flushed here and, with the mirror, copied and flushed there too.
void BM_StopToNames(benchmark::State &state)
{
    fs::path dir = makeProgram("tessaly-bench-stop-names", 2000, 20 * 400, 20);
    const fs::path mirrorDir = fs::temp_directory_path() / "tessaly-bench-stop-names-mirror";
    fs::remove_all(mirrorDir);
    Stage stage(dir);
    EventMirror mirror(dir, mirrorDir);
    if (state.range(0)) {
        ensureEventId(dir);
        stage.session.setMirror(&mirror);
        stage.session.syncMirror();
    }
    for (auto _ : state) {
        state.PauseTiming();
        if (!stage.session.flags().BatchReady)
            stage.session.PrepareBatch();
        stage.session.StartRolling();
        state.ResumeTiming();
        DrawOutcome out = stage.session.StopBatch();
        if (!out.has(StageAction::ShowSlotTexts) && !out.has(StageAction::ShowGridText))
            state.SkipWithError("the stop showed no names");
        if (stage.session.mirrorInterrupted())
            state.SkipWithError("the mirror fell behind");
    }
    stage.session.setMirror(nullptr);
    fs::remove_all(dir);
    fs::remove_all(mirrorDir);
}
BENCHMARK(BM_StopToNames)->Arg(0)->Arg(1)->Iterations(100)->Unit(benchmark::kMillisecond);

// The first stop of an award, which also writes the award's new draw order.
void BM_FirstStopOfAnAward(benchmark::State &state)
{
    fs::path dir = makeProgram("tessaly-bench-first-stop", 100000, 20 * 400, 20);
    Stage stage(dir);
    for (auto _ : state) {
        state.PauseTiming();
        stage.session.StartFromAward(0);
        stage.session.StartRolling();
        state.ResumeTiming();
        DrawOutcome out = stage.session.StopBatch();
        if (!out.notices.empty())
            state.SkipWithError("the stop reported a problem");
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_FirstStopOfAnAward)->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace
