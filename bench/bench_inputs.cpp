// Loading the draw's inputs: the participant list and the settings file.
#include "core/participants/ParticipantList.h"
#include "core/settings/IniStore.h"
#include "core/text/Gbk.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace tessaly;

namespace {

fs::path makeFolder(const char *name)
{
    fs::path dir = fs::temp_directory_path() / name;
    fs::create_directories(dir);
    return dir;
}

void writeParticipants(const fs::path &dir, int lines, bool mask)
{
    std::ofstream(dir / "set.dat", std::ios::binary)
        << (mask ? "[Option]\r\nprivacy=1\r\nprivacystart=3\r\nprivacyend=4\r\n" : "[Option]\r\n");
    std::ofstream out(dir / "data.txt", std::ios::binary);
    const std::string surname = utf8ToGbk("王");
    const std::string given = utf8ToGbk("小明");
    for (int i = 0; i < lines; ++i)
        out << surname << given << i << "\r\n";
}

void BM_LoadParticipantsMasked(benchmark::State &state)
{
    fs::path dir = makeFolder("tessaly-bench-participants");
    writeParticipants(dir, static_cast<int>(state.range(0)), true);
    for (auto _ : state) {
        ParticipantLists lists;
        auto loaded = LoadParticipants(dir, lists);
        benchmark::DoNotOptimize(lists.DisplayList.data());
        if (!loaded)
            state.SkipWithError("load failed");
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_LoadParticipantsMasked)->Arg(1000000)->Unit(benchmark::kMillisecond);

fs::path writeSettings(int keys)
{
    fs::path dir = makeFolder("tessaly-bench-settings");
    std::ofstream out(dir / "set.dat", std::ios::binary);
    for (int s = 0; s < keys / 20; ++s) {
        out << "[Section" << s << "]\r\n";
        for (int k = 0; k < 20; ++k)
            out << "Key" << k << "=" << (s * 20 + k) << "\r\n";
    }
    return dir;
}

void BM_OpenAndReadEveryKey(benchmark::State &state)
{
    const int keys = 2000;
    fs::path dir = writeSettings(keys);
    for (auto _ : state) {
        auto store = IniStore::open(dir / "set.dat");
        long sum = 0;
        for (int s = 0; s < keys / 20; ++s) {
            const std::string section = "section" + std::to_string(s);
            for (int k = 0; k < 20; ++k)
                sum += store->readInteger(section, "KEY" + std::to_string(k), 0);
        }
        benchmark::DoNotOptimize(sum);
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_OpenAndReadEveryKey)->Unit(benchmark::kMillisecond);

void BM_Write200KeysAndCommit(benchmark::State &state)
{
    fs::path dir = writeSettings(2000);
    int round = 0;
    for (auto _ : state) {
        auto store = IniStore::open(dir / "set.dat");
        for (int k = 0; k < 200; ++k)
            store->writeInteger("Section" + std::to_string(k % 100), "Key" + std::to_string(k % 20), round + k);
        if (!store->commit())
            state.SkipWithError("commit failed");
        ++round;
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_Write200KeysAndCommit)->Unit(benchmark::kMillisecond);

}  // namespace
