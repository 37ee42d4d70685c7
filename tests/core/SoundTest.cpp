#include "TempProgramDir.h"

#include "core/settings/IniStore.h"
#include "core/settings/Settings.h"
#include "core/sound/SoundRules.h"
#include "core/sound/SoundSettings.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::G;
using test::TempProgramDir;

SoundSettings switches(bool b, bool s, bool e, bool sb, bool loop)
{
    SoundSettings x;
    x.canbmusic = b;
    x.cansmusic = s;
    x.canemusic = e;
    x.cansbmusic = sb;
    x.loopmusic = loop;
    return x;
}

TEST(SoundRules, EveryMomentWithItsSwitchesAudioAndChannel)
{
    using M = SoundMoment;
    using K = SoundKind;
    using C = SoundChannel;
    const SoundSettings allOn = switches(true, true, true, true, false);
    const SoundSettings allOnLoop = switches(true, true, true, true, true);
    const SoundSettings allOff = switches(false, false, false, false, true);
    struct Case {
        const char *what;
        M moment;
        SoundSettings sounds;
        bool audioReady;
        C channel;
        SoundCue cue;
    };
    const Case cases[] = {
        {"background at start", M::StageShown, allOn, true, C::None, {false, K::Background, false}},
        {"background at start loops with the switch", M::StageShown, allOnLoop, true, C::None, {false, K::Background, true}},
        {"no background when switched off", M::StageShown, allOff, true, C::None, {}},
        {"no background without audio", M::StageShown, allOn, false, C::None, {}},
        {"start sound never loops", M::RollingStarted, allOnLoop, true, C::Playing, {false, K::Start, false}},
        {"start sound switched off", M::RollingStarted, switches(true, false, true, true, false), true, C::Playing, {}},
        {"start sound without audio", M::RollingStarted, allOn, false, C::None, {}},
        {"stop sound never loops", M::RollingStopped, allOnLoop, true, C::Playing, {false, K::Stop, false}},
        {"stop sound switched off", M::RollingStopped, switches(true, true, false, true, false), true, C::Playing, {}},
        {"stop sound without audio", M::RollingStopped, allOn, false, C::None, {}},
        {"results music loops with the switch", M::ResultsShown, allOnLoop, true, C::Stopped, {false, K::ResultsBackground, true}},
        {"results music tries even without audio", M::ResultsShown, allOn, false, C::None, {false, K::ResultsBackground, false}},
        {"results music switched off", M::ResultsShown, switches(true, true, true, false, true), true, C::Playing, {}},
        {"closing results silences", M::ResultsClosed, allOff, true, C::Playing, {true, K::None, false}},
        {"dialog closed restarts the background", M::DialogClosed, allOnLoop, false, C::Playing, {true, K::Background, true}},
        {"dialog closed with background off only stops", M::DialogClosed, allOff, true, C::Playing, {true, K::None, false}},
        {"preview plays once", M::Preview, allOnLoop, true, C::Playing, {false, K::Preview, false}},
        {"no preview without audio", M::Preview, allOn, false, C::None, {}},
        {"stop preview", M::StopPreview, allOn, true, C::Playing, {true, K::None, false}},
        {"F9 stops what plays", M::ToggleKey, allOn, true, C::Playing, {true, K::None, false}},
        {"F9 brings the background back even when off", M::ToggleKey, allOff, true, C::Stopped, {false, K::Background, true}},
        {"F9 before any sound does nothing", M::ToggleKey, allOn, true, C::None, {}},
    };
    for (const Case &c : cases) {
        const SoundCue got = soundCue(c.moment, c.sounds, c.audioReady, c.channel);
        EXPECT_EQ(got.stop, c.cue.stop) << c.what;
        EXPECT_EQ(got.play, c.cue.play) << c.what;
        EXPECT_EQ(got.loop, c.cue.loop) << c.what;
    }
}

TEST(SoundRules, EachSoundNamesItsOwnFile)
{
    SoundSettings s;
    s.bmusic = "wav\\b.mp3";
    s.smusic = "wav\\s.mp3";
    s.emusic = "wav\\e.wav";
    s.sbmusic = "wav\\sb.wma";
    EXPECT_EQ(storedSoundPath(s, SoundKind::Background), "wav\\b.mp3");
    EXPECT_EQ(storedSoundPath(s, SoundKind::Start), "wav\\s.mp3");
    EXPECT_EQ(storedSoundPath(s, SoundKind::Stop), "wav\\e.wav");
    EXPECT_EQ(storedSoundPath(s, SoundKind::ResultsBackground), "wav\\sb.wma");
    EXPECT_EQ(storedSoundPath(s, SoundKind::None), "");
}

TEST(SoundSettings, TheDrawFallsBackToShippedFilesAndTheDialogToItsOwnDefaults)
{
    TempProgramDir dir;
    dir.write("wav/mine.MP3", "x");
    dir.writeLines("set.dat", {"[Option]", "bmusic=wav\\gone.mp3", "smusic=wav\\mine.mp3", "emusic=",
                               "canemusic=0", "loopmusic=1"});
    auto store = openSettings(dir.path());
    ASSERT_TRUE(store.ok());

    const SoundSettings draw = readSoundSettings(*store, dir.path());
    EXPECT_EQ(draw.bmusic, "wav\\bg2.mp3");     // names a file that no longer exists
    EXPECT_EQ(draw.smusic, "wav\\mine.mp3");    // found whatever the letter case
    EXPECT_EQ(draw.emusic, "wav\\stop1.wav");   // stored empty
    EXPECT_EQ(draw.sbmusic, "wav\\bg4.mp3");    // absent
    EXPECT_TRUE(draw.canbmusic);
    EXPECT_FALSE(draw.canemusic);
    EXPECT_TRUE(draw.loopmusic);  // a restart keeps the loop switch

    const SoundSettings shown = readSoundDialogValues(*store);
    EXPECT_EQ(shown.bmusic, "wav\\gone.mp3");
    EXPECT_EQ(shown.emusic, "");
    EXPECT_EQ(shown.sbmusic, "wav\\bg1.wav");
    EXPECT_TRUE(shown.loopmusic);
}

TEST(SoundSettings, WritingAndReadingBackKeepsEveryField)
{
    TempProgramDir dir;
    dir.writeLines("set.dat", {"[Option]", "Lucks=2"});
    SoundSettings s;
    s.bmusic = G("wav\\背景.mp3");
    s.smusic = "wav\\a.wav";
    s.emusic = "";
    s.sbmusic = "wav\\typed by hand.mid";
    s.canbmusic = false;
    s.cansmusic = true;
    s.canemusic = false;
    s.cansbmusic = false;
    s.loopmusic = true;
    {
        auto store = openSettings(dir.path());
        writeSoundSettings(*store, s);
        ASSERT_TRUE(store->commit().ok());
    }
    auto store = openSettings(dir.path());
    const SoundSettings back = readSoundDialogValues(*store);
    EXPECT_EQ(back.bmusic, s.bmusic);
    EXPECT_EQ(back.smusic, s.smusic);
    EXPECT_EQ(back.emusic, "");
    EXPECT_EQ(back.sbmusic, s.sbmusic);
    EXPECT_EQ(back.canbmusic, false);
    EXPECT_EQ(back.cansmusic, true);
    EXPECT_EQ(back.canemusic, false);
    EXPECT_EQ(back.cansbmusic, false);
    EXPECT_EQ(back.loopmusic, true);
    EXPECT_EQ(store->readString("Option", "Lucks"), "2");
    EXPECT_EQ(store->readString("Option", "canbmusic"), "0");
}

TEST(SoundSettings, TheDialogListsSoundFilesOfTheWavFolderOnly)
{
    TempProgramDir dir;
    for (const char *name : {"wav/b.Mp3", "wav/A.wav", "wav/c.WMA", "wav/tune.mid", "wav/.hidden.mp3",
                             "wav/notes.txt", "wav/mp3", "wav/sub/deep.mp3", "other.mp3",
                             // A backslash is a letter of a file name here, but a folder once stored.
                             "wav/x\\y.mp3", "wav/乗.mp3"})
        dir.write(name, "x");
    std::filesystem::create_directories(dir / "wav/folder.mp3");
    // 乗 is 81 5C in GBK: its second byte is no backslash.
    EXPECT_EQ(listSoundFiles(dir.path()), (std::vector<std::string>{"wav\\A.wav", "wav\\b.Mp3", "wav\\c.WMA",
                                                                    "wav\\tune.mid", G("wav\\乗.mp3")}));

    TempProgramDir empty;
    EXPECT_TRUE(listSoundFiles(empty.path()).empty());  // no wav folder at all
}

}  // namespace
}  // namespace tessaly
