// The list editor's tools on large lists, and spreadsheet files to editor lines.
#include "../tests/core/SheetFixtures.h"
#include "core/participants/ListImport.h"
#include "core/participants/ListTools.h"
#include "core/text/Gbk.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using namespace tessaly;

namespace {

// 100,000 lines with every tenth a repeat and some blank or padded lines.
std::vector<std::string> sampleLines(int count)
{
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(count));
    const std::string surname = utf8ToGbk("王");
    for (int i = 0; i < count; ++i) {
        int id = i % 10 == 9 ? i / 2 : i;
        if (i % 50 == 0)
            lines.push_back(" \t ");
        else
            lines.push_back(surname + " " + std::to_string(id) + (i % 7 == 0 ? "  " : ""));
    }
    return lines;
}

// What the duplicate removal did before the hash set: every line against every later one.
ToolResult removeDuplicatesPairwise(const std::vector<std::string> &in)
{
    ToolResult r;
    r.lines = in;
    for (size_t i = 0; i + 1 < r.lines.size(); ++i) {
        for (size_t j = i + 1; j < r.lines.size();) {
            if (r.lines[j] == r.lines[i]) {
                r.removedText += ' ' + r.lines[j];
                r.lines.erase(r.lines.begin() + static_cast<long>(j));
                ++r.removed;
            } else {
                ++j;
            }
        }
    }
    return r;
}

void BM_RemoveDuplicates(benchmark::State &state)
{
    const auto lines = sampleLines(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(removeDuplicateLines(lines).lines.data());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RemoveDuplicates)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_RemoveDuplicatesPairwise(benchmark::State &state)
{
    const auto lines = sampleLines(static_cast<int>(state.range(0)));
    bool same = true;
    for (auto _ : state) {
        ToolResult old = removeDuplicatesPairwise(lines);
        ToolResult now = removeDuplicateLines(lines);
        same = same && old.lines == now.lines && old.removed == now.removed;
        benchmark::DoNotOptimize(old.lines.data());
    }
    if (!same)
        state.SkipWithError("the pairwise method gave another result");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RemoveDuplicatesPairwise)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_RemoveBlankLinesAndSpaces(benchmark::State &state)
{
    const auto lines = sampleLines(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ToolResult blank = removeBlankLines(lines, [](size_t) {});
        benchmark::DoNotOptimize(removeAllSpaces(blank.lines, [](size_t) {}).lines.data());
    }
}
BENCHMARK(BM_RemoveBlankLinesAndSpaces)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ImportXlsx(benchmark::State &state)
{
    const int rows = static_cast<int>(state.range(0));
    fs::path path = fs::temp_directory_path() / "tessaly-bench-names.xlsx";
    if (!test::writeNamesXlsx(path, rows)) {
        state.SkipWithError("cannot write the workbook");
        return;
    }
    ImportOptions options{ImportOptions::Kind::Spreadsheet, {2, 1, rows + 1, 3, "  "}};
    for (auto _ : state) {
        auto r = importListFile(path, options);
        if (!r || r->lines.size() != static_cast<size_t>(rows))
            state.SkipWithError("import failed");
        benchmark::DoNotOptimize(r);
    }
    fs::remove(path);
}
BENCHMARK(BM_ImportXlsx)->Arg(100000)->Unit(benchmark::kMillisecond);

// The .xls is written by tools/make_xls.py (python3-xlwt).
void BM_ImportXls(benchmark::State &state)
{
    const int rows = static_cast<int>(state.range(0));
    fs::path path = fs::temp_directory_path() / "tessaly-bench-names.xls";
    std::string command = "/usr/bin/python3 " TESSALY_SOURCE_DIR "/tools/make_xls.py rows " + std::to_string(rows) +
                          " " + path.string();
    if (std::system(command.c_str()) != 0) {
        state.SkipWithError("cannot write the .xls (python3-xlwt missing?)");
        return;
    }
    ImportOptions options{ImportOptions::Kind::Spreadsheet, {2, 1, rows + 1, 3, "  "}};
    ImportControl control;
    control.xlsReader = TESSALY_XLS_READER;
    for (auto _ : state) {
        auto r = importListFile(path, options, control);
        if (!r || r->lines.size() != static_cast<size_t>(rows))
            state.SkipWithError("import failed");
        benchmark::DoNotOptimize(r);
    }
    fs::remove(path);
}
BENCHMARK(BM_ImportXls)->Arg(60000)->Unit(benchmark::kMillisecond);

}  // namespace
