// Figures for the winners window at 1920x1080, offscreen, with 200 winners
// whose photos are 400x500 JPEGs: opening the photo view (decoding the
// photos scaled, on every core) up to painted pixels, and paging to the next
// award with its photos decoded anew or already at hand.
#include "support/QtBench.h"
#include "core/settings/AwardTable.h"
#include "core/settings/IniStore.h"
#include "ui/winners/TForm_float2.h"

#include <QPainter>
#include <QThread>
#include <benchmark/benchmark.h>
#include <fstream>

using namespace tessaly;
using namespace tessaly::bench;

namespace {

constexpr int kWinners = 200;
const QSize kStage(1920, 1080);

// Two awards of 200 winners each, every winner with a photo of its own.
struct Event : ProgramFolder {
    Event() : ProgramFolder(false)
    {
        std::filesystem::create_directories(dir / "photo");
        std::ofstream(dir / "set.dat", std::ios::binary) << "[Option]\r\nispho=1\r\n";
        QImage photo(400, 500, QImage::Format_RGB32);
        for (int a = 0; a < 2; ++a) {
            awards[a] = LGrade{"Award" + std::to_string(a), 1, std::to_string(kWinners), kWinners, "Prize", ""};
            for (int i = 0; i < kWinners; ++i) {
                const std::string name = "W" + std::to_string(a) + "_" + std::to_string(i);
                photo.fill(QColor::fromHsv((i * 37) % 360, 160, 200));
                QPainter(&photo).drawEllipse(100, 80, 200, 200);
                photo.save(QString::fromStdString((dir / "photo" / (name + ".jpg")).string()), "JPG", 85);
                names[static_cast<size_t>(a)].push_back(name);
            }
        }
        awards.AwardCount = 2;
    }
    std::unique_ptr<TForm_float2> open()
    {
        auto w = std::make_unique<TForm_float2>(
            dir, TForm_float2::Services{messages, pickers}, kStage,
            TForm_float2::Winners{awards, WinnerLists(names.data(), 50), WinnerLists(names.data(), 50), true, true,
                                  true},
            0);
        w->show();
        w->FormShow();
        return w;
    }

    SilentMessages messages;
    NoPickers pickers;
    AwardTable awards;
    std::array<std::vector<std::string>, 50> names;
};

Event &event()
{
    static Event e;
    return e;
}

void paint(QWidget *w)
{
    benchmark::DoNotOptimize(w->grab());
}

void BM_OpenPhotoView200(benchmark::State &state)
{
    Event &e = event();
    for (auto _ : state) {
        auto w = e.open();
        paint(w.get());
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenPhotoView200)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(3.0);

// Photo mode has the pictures of the list decoded already: the window takes
// them from its table instead of the files.
void BM_OpenPhotoView200_FromPhotoTable(benchmark::State &state)
{
    Event &e = event();
    QHash<QString, QImage> table;
    for (int a = 0; a < 2; ++a)
        for (const auto &name : e.names[static_cast<size_t>(a)])
            table.insert(QString::fromStdString(name),
                         QImage(QString::fromStdString((e.dir / "photo" / (name + ".jpg")).string())));
    for (auto _ : state) {
        auto w = std::make_unique<TForm_float2>(
            e.dir, TForm_float2::Services{e.messages, e.pickers}, kStage,
            TForm_float2::Winners{e.awards, WinnerLists(e.names.data(), 50), WinnerLists(e.names.data(), 50), true,
                                  true, true},
            0);
        w->photoCache().setSource([&table](const std::string &name) { return table.value(QString::fromStdString(name)); });
        w->show();
        w->FormShow();
        paint(w.get());
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenPhotoView200_FromPhotoTable)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(3.0);

// Paging to an award whose photos this window has not shown yet.
void BM_PageToNextAward200_Fresh(benchmark::State &state)
{
    Event &e = event();
    auto w = e.open();
    for (auto _ : state) {
        state.PauseTiming();
        w->photoCache().clear();
        state.ResumeTiming();
        w->page(w->viewedAward() == 0 ? PageCommand::Next : PageCommand::Previous);
        paint(w.get());
    }
}
BENCHMARK(BM_PageToNextAward200_Fresh)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(3.0);

// Paging to the next award after it had a moment on screen, as a presenter
// gives it: its photos were decoded in the background meanwhile.
void BM_PageToNextAward200_AfterAMoment(benchmark::State &state)
{
    Event &e = event();
    auto w = e.open();
    for (auto _ : state) {
        state.PauseTiming();
        w->photoCache().clear();
        w->page(PageCommand::First);
        QThread::msleep(800);
        state.ResumeTiming();
        w->page(PageCommand::Next);
        paint(w.get());
    }
}
BENCHMARK(BM_PageToNextAward200_AfterAMoment)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);  // main-thread CPU

// Paging back and forth between two awards already shown once.
void BM_PageToNextAward200_Shown(benchmark::State &state)
{
    Event &e = event();
    auto w = e.open();
    w->page(PageCommand::Next);
    for (auto _ : state) {
        w->page(w->viewedAward() == 0 ? PageCommand::Next : PageCommand::Previous);
        paint(w.get());
    }
}
BENCHMARK(BM_PageToNextAward200_Shown)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(3.0);

}  // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
