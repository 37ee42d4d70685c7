// Checking a draw from its proof: 1,000 winners of 100,000 entries, drawn in
// ten batches of 100, recomputed from the seed by the same code as `tessaly
// verify` (reading the folder, the chain, every order, stop and the records).
#include "core/draw/DrawSession.h"
#include "core/proof/ProofVerify.h"
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

fs::path drawnEvent()
{
    const fs::path dir = fs::temp_directory_path() / "tessaly-bench-verify";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "set.dat", std::ios::binary)
        << "[Option]\r\nLucks=1\r\nonerun=0\r\nscreenmain=1024*768\r\n[Grade]\r\n0=" << utf8ToGbk("幸运奖")
        << "|1000|10|100+100+100+100+100+100+100+100+100+100|" << utf8ToGbk("礼品") << "|\r\n";
    std::ofstream data(dir / "data.txt", std::ios::binary);
    const std::string surname = utf8ToGbk("王");
    for (int i = 0; i < 100000; ++i)
        data << surname << i << "\r\n";
    data.close();
    for (const char *file : {"ARecord.dat", "tmda.jpg", "colip.jpg", "log.txt"})
        std::ofstream(dir / file, std::ios::binary);
    BenchClock clock;
    MtRandom random(1);
    DrawSession session(dir, random, clock);
    session.FormCreate(false);
    session.FormShow("1024*768");
    session.ResetDraw(false);
    for (int batch = 0; batch < 10; ++batch) {
        if (!session.flags().BatchReady)
            session.PrepareBatch();
        session.StartRolling();
        session.StopBatch();
    }
    return dir;
}

void BM_VerifyThousandWinnersOfHundredThousand(benchmark::State &state)
{
    const fs::path dir = drawnEvent();
    for (auto _ : state) {
        auto files = readProofFolder(dir);
        VerifyResult result = verifyProof(*files);
        if (!result.firstDifference.empty())
            state.SkipWithError("the draw did not verify");
        benchmark::DoNotOptimize(result);
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_VerifyThousandWinnersOfHundredThousand)->Unit(benchmark::kMillisecond);

}  // namespace
