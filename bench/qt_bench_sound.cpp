// Figures for the stop of a batch with the stop sound on and off: the time from
// the stop to the winners painted on the 1920x1080 stage, offscreen, with the
// shipped sounds. The sound is handed to the sound thread, so both should match.
#include "support/QtBench.h"
#include "core/draw/DrawSession.h"
#include "core/settings/IniStore.h"
#include "ui/sound/SoundPlayer.h"
#include "ui/stage/TFrmMain.h"

#include <QElapsedTimer>
#include <benchmark/benchmark.h>
#include <fstream>

using namespace tessaly;
using namespace tessaly::bench;

namespace {

constexpr int kBatches = 30;

// One award of kBatches batches of 20 among 10,000 entries, start and stop sounds as shipped.
struct Folder : ProgramFolder {
    explicit Folder(bool stopSound)
    {
        auto settings = IniStore::open(dir / "set.dat");
        std::string detail = "20";
        for (int i = 1; i < kBatches; ++i)
            detail += "+20";
        settings->writeInteger("Option", "Lucks", 1);
        settings->writeString("Grade", "0", "A|" + std::to_string(20 * kBatches) + "|" + std::to_string(kBatches) +
                                                "|" + detail + "|P|");
        settings->writeBool("Option", "canready", false);
        settings->writeBool("Option", "canemusic", stopSound);
        (void)settings->commit();
        std::ofstream list(dir / "data.txt", std::ios::binary);
        for (int i = 0; i < 10000; ++i)
            list << "\xD5\xC5\xC8\xFD" << i << "\r\n";
    }
};

void stopToWinnersOnScreen(benchmark::State &state, bool stopSound)
{
    Folder folder(stopSound);
    SilentMessages messages;
    NoOpener opener;
    NoPickers pickers;
    TFrmMain window(folder.dir, {messages, opener, pickers}, QSize(1920, 1080));
    window.sound().setAudioReady(true);  // as on a machine with a sound card
    window.resize(1920, 1080);
    window.show();
    window.FormShow();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        window.GoButtonClick();  // prepare and roll; the start sound plays
        QElapsedTimer rolling;
        rolling.start();
        while (rolling.elapsed() < 300)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        state.ResumeTiming();
        window.StopButtonClick();
        QCoreApplication::processEvents();  // the winners reach the backing store
        benchmark::DoNotOptimize(window.session().flags().Rolling);
    }
    state.counters["stop_sound_played"] = window.sound().currentFile().endsWith(QStringLiteral("stop1.wav")) ? 1 : 0;
}

void BM_StopToWinnersOnScreen_SoundOff(benchmark::State &state) { stopToWinnersOnScreen(state, false); }
void BM_StopToWinnersOnScreen_SoundOn(benchmark::State &state) { stopToWinnersOnScreen(state, true); }
BENCHMARK(BM_StopToWinnersOnScreen_SoundOff)->Unit(benchmark::kMicrosecond)->Iterations(kBatches);
BENCHMARK(BM_StopToWinnersOnScreen_SoundOn)->Unit(benchmark::kMicrosecond)->Iterations(kBatches);

// What the stage thread itself spends asking for a sound.
void BM_PlaySoundFileCall(benchmark::State &state)
{
    SoundPlayer player(TESSALY_DIST_DIR);
    const QString file = QStringLiteral(TESSALY_DIST_DIR "/wav/stop1.wav");
    for (auto _ : state)
        player.PlaySoundFile(file, false);
}
BENCHMARK(BM_PlaySoundFileCall)->Unit(benchmark::kMicrosecond)->Iterations(200);

}  // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv, selectMediaBackend);
}
