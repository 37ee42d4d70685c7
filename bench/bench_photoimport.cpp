// Photo import with conversion: 2,000 phone photos of 1600x1200 to 400x300,
// on one core and on all of them.
#include "core/participants/Jpeg.h"
#include "core/participants/PhotoImport.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using namespace tessaly;

namespace {

fs::path sourceFolder(int count)
{
    static fs::path folder;
    if (!folder.empty())
        return folder;
    folder = fs::temp_directory_path() / "tessaly-bench-photos-src";
    fs::remove_all(folder);
    fs::create_directories(folder);
    RgbImage img;
    img.width = 1600;
    img.height = 1200;
    img.pixels.resize(1600u * 1200u);
    for (int y = 0; y < 1200; ++y)
        for (int x = 0; x < 1600; ++x)
            img.pixels[static_cast<size_t>(y) * 1600 + static_cast<size_t>(x)] =
                0xff000000u | static_cast<std::uint32_t>((x * 255 / 1600) << 16 | (y * 255 / 1200) << 8 | ((x ^ y) & 0xff));
    if (!saveJpegFile(folder / "p0.jpg", img, 90))
        return folder;
    for (int i = 1; i < count; ++i)
        fs::copy_file(folder / "p0.jpg", folder / ("p" + std::to_string(i) + ".jpg"), fs::copy_options::overwrite_existing);
    return folder;
}

void BM_ConvertPhotos(benchmark::State &state)
{
    const auto files = listJpegFiles(sourceFolder(2000));
    const fs::path programDir = fs::temp_directory_path() / "tessaly-bench-photos";
    fs::create_directories(programDir);
    const int threads = static_cast<int>(state.range(0));
    for (auto _ : state) {
        auto failures = convertPhotos(files, programDir, 400, 300, threads);
        if (!failures.empty())
            state.SkipWithError("a conversion failed");
    }
    state.counters["photos"] = static_cast<double>(files.size());
    state.counters["threads"] = threads == 0 ? std::thread::hardware_concurrency() : threads;
    fs::remove_all(programDir);
}
BENCHMARK(BM_ConvertPhotos)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
