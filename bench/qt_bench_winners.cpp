// Figures for the winners window at 1920x1080, offscreen: opening the text
// view for awards of 2, 20, 200 and 2,000 winners (the names fitted to the
// window) and the photo view for the same sizes, up to painted pixels; with
// 200 winners whose photos are 400x500 JPEGs, opening the photo view
// (decoding the photos scaled, on every core) and paging to the next award
// with its photos decoded anew or already at hand.
#include "support/QtBench.h"
#include "core/settings/AwardTable.h"
#include "core/settings/IniStore.h"
#include "ui/winners/TForm_float2.h"

#include <QBuffer>
#include <QPainter>
#include <QThread>
#include <benchmark/benchmark.h>
#include <fstream>

using namespace tessaly;
using namespace tessaly::bench;

namespace {

constexpr int kWinners = 200;
const QSize kStage(1920, 1080);

// A folder of awards and their winners, and the window over them.
struct WinnersFolder : ProgramFolder {
    WinnersFolder() : ProgramFolder(false) {}
    std::unique_ptr<TForm_float2> openWindow(int award, bool photos)
    {
        auto w = std::make_unique<TForm_float2>(
            dir, TForm_float2::Services{messages, pickers}, kStage,
            TForm_float2::Winners{awards, WinnerLists(names.data(), 50), WinnerLists(names.data(), 50), true, true,
                                  photos},
            award);
        w->show();
        w->FormShow();
        return w;
    }

    SilentMessages messages;
    NoPickers pickers;
    AwardTable awards;
    std::array<std::vector<std::string>, 50> names;
};

// Two awards of 200 winners each, every winner with a photo of its own.
struct Event : WinnersFolder {
    Event()
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
    std::unique_ptr<TForm_float2> open() { return openWindow(0, true); }
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

// Four awards of 2, 20, 200 and 2,000 winners with twelve-byte names, each
// winner with a 400x500 photo.
struct Sizes : WinnersFolder {
    static constexpr int kCounts[] = {2, 20, 200, 2000};
    Sizes()
    {
        std::filesystem::create_directories(dir / "photo");
        std::ofstream(dir / "set.dat", std::ios::binary) << "[Option]\r\n";
        QImage photo(400, 500, QImage::Format_RGB32);
        QByteArray jpeg;
        photo.fill(QColor(90, 140, 200));
        QPainter(&photo).drawEllipse(100, 80, 200, 200);
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        photo.save(&buffer, "JPG", 85);
        for (int a = 0; a < 4; ++a) {
            const int n = kCounts[a];
            awards[a] = LGrade{"Award" + std::to_string(n), 1, std::to_string(n), n, "Prize", ""};
            for (int i = 0; i < n; ++i) {
                std::string name = "N" + std::to_string(a) + "_" + std::to_string(100000 + i);
                name.resize(12, 'x');
                std::ofstream(dir / "photo" / (name + ".jpg"), std::ios::binary) << jpeg.toStdString();
                names[static_cast<size_t>(a)].push_back(name);
            }
        }
        awards.AwardCount = 4;
    }
    std::unique_ptr<TForm_float2> open(int award, bool photos) { return openWindow(award, photos); }
};

Sizes &sizes()
{
    static Sizes s;
    return s;
}

// range(0): the award, 0 to 3 for 2, 20, 200 and 2,000 winners; range(1): 1 for the photo view.
void BM_OpenWinnersWindow(benchmark::State &state)
{
    Sizes &s = sizes();
    const int award = static_cast<int>(state.range(0));
    const bool photos = state.range(1) != 0;
    for (auto _ : state) {
        auto w = s.open(award, photos);
        paint(w.get());
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
    state.SetLabel(std::to_string(Sizes::kCounts[award]) + (photos ? " winners, photos" : " winners, text"));
}
BENCHMARK(BM_OpenWinnersWindow)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

}  // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
