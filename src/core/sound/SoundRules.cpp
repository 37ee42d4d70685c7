#include "sound/SoundRules.h"

namespace tessaly {

SoundCue soundCue(SoundMoment moment, const SoundSettings &sounds, bool audioReady, SoundChannel channel)
{
    const bool loop = sounds.loopmusic;
    switch (moment) {
    case SoundMoment::StageShown:
        if (sounds.canbmusic && audioReady)
            return {false, SoundKind::Background, loop};
        return {};
    case SoundMoment::RollingStarted:
        // The start sound replaces the background music; nothing brings it back by itself.
        if (sounds.cansmusic && audioReady)
            return {false, SoundKind::Start, false};
        return {};
    case SoundMoment::RollingStopped:
        if (sounds.canemusic && audioReady)
            return {false, SoundKind::Stop, false};
        return {};
    case SoundMoment::ResultsShown:
        if (sounds.cansbmusic)
            return {false, SoundKind::ResultsBackground, loop};
        return {};
    case SoundMoment::ResultsClosed:
    case SoundMoment::StopPreview:
        return {true, SoundKind::None, false};
    case SoundMoment::DialogClosed:
        return {true, sounds.canbmusic ? SoundKind::Background : SoundKind::None, sounds.canbmusic && loop};
    case SoundMoment::Preview:
        if (audioReady)
            return {false, SoundKind::Preview, false};
        return {};
    case SoundMoment::ToggleKey:
        // F9 works on the channel as it is: it brings the background music back
        // even with its switch off, and does nothing before any sound was made.
        if (channel == SoundChannel::Playing)
            return {true, SoundKind::None, false};
        if (channel == SoundChannel::Stopped)
            return {false, SoundKind::Background, loop};
        return {};
    }
    return {};
}

bool soundPlays(SoundMoment moment, const SoundSettings &sounds, bool audioReady)
{
    return soundCue(moment, sounds, audioReady, SoundChannel::None).play != SoundKind::None;
}

std::string storedSoundPath(const SoundSettings &sounds, SoundKind kind)
{
    switch (kind) {
    case SoundKind::Background:
        return sounds.bmusic;
    case SoundKind::Start:
        return sounds.smusic;
    case SoundKind::Stop:
        return sounds.emusic;
    case SoundKind::ResultsBackground:
        return sounds.sbmusic;
    case SoundKind::None:
    case SoundKind::Preview:
        break;
    }
    return {};
}

}  // namespace tessaly
