// When each sound of the draw plays, whether it repeats, and when the channel
// goes quiet: one decision for every moment, so the stage, the results windows
// and the sound dialog agree.
#pragma once

#include "sound/SoundSettings.h"

#include <string>

namespace tessaly {

enum class SoundMoment {
    StageShown,      // the main window is shown and the draw is loaded
    RollingStarted,  // the entries roll
    RollingStopped,  // the winners are fixed
    ResultsShown,    // a results window (text or photos) appears
    ResultsClosed,
    DialogClosed,    // the sound dialog closes by any means
    Preview,         // "试听" in the sound dialog
    StopPreview,     // "停止试听"
    ToggleKey,       // F9 on the stage
};

// What the one channel holds right now.
enum class SoundChannel {
    None,     // nothing was ever played, or the last file could not be opened
    Stopped,  // a sound was played and has ended or was stopped
    Playing,
};

enum class SoundKind { None, Background, Start, Stop, ResultsBackground, Preview };

struct SoundCue {
    bool stop = false;                  // silence the channel first
    SoundKind play = SoundKind::None;   // then play this (it replaces whatever plays)
    bool loop = false;

    bool operator==(const SoundCue &) const = default;
};

// audioReady: an audio output existed at start-up; without one the draw's own
// sounds (background at start, start, stop, preview) are skipped.
SoundCue soundCue(SoundMoment moment, const SoundSettings &sounds, bool audioReady, SoundChannel channel);

// Whether a moment of the draw makes a sound at all (the stage's own moments).
bool soundPlays(SoundMoment moment, const SoundSettings &sounds, bool audioReady);

// The stored path of a sound; empty for None and Preview (the dialog names that file).
std::string storedSoundPath(const SoundSettings &sounds, SoundKind kind);

}  // namespace tessaly
