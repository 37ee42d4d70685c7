// The four sounds of the draw and their switches, as set.dat stores them, and
// the list of sound files the sound dialog offers.
#pragma once

#include "settings/IniStore.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

struct SoundSettings {
    // Stored forms ("wav\bg2.mp3", GBK), relative to the program folder.
    std::string bmusic = "wav\\bg2.mp3";    // while the stage waits
    std::string smusic = "wav\\start3.mp3"; // when the entries start rolling
    std::string emusic = "wav\\stop1.wav";  // when they stop on the winners
    std::string sbmusic = "wav\\bg4.mp3";   // behind a results window
    bool canbmusic = true, cansmusic = true, canemusic = true, cansbmusic = true;
    bool loopmusic = false;  // the two background sounds repeat
};

// What the draw plays: each path is the shipped default unless its key names a
// file that exists, so a deleted file never silences a sound for good. The
// loop switch is read too, so a restart keeps what the operator ticked.
SoundSettings readSoundSettings(const IniStore &settings, const std::filesystem::path &programDir);

// The notices of a start for stored sounds that name a missing file: each says
// which file is missing and which default plays instead (GBK).
std::vector<std::string> missingSoundNotices(const IniStore &settings, const std::filesystem::path &programDir);

// The notice for a sound that could not be played: the file and the reason (GBK).
std::string soundFailureNotice(std::string_view file, std::string_view reason);

// The values as the sound dialog shows them: the stored texts as they stand,
// with the dialog's own defaults for absent keys.
SoundSettings readSoundDialogValues(const IniStore &settings);

// The dialog's OK: the four paths, the four switches and the loop switch.
void writeSoundSettings(IniStore &settings, const SoundSettings &sounds);

// The sound files directly in the program's wav folder (no sub-folders, no
// names starting with "."), as stored paths "wav\name", in the order the
// dialog lists them: sorted without regard to letter case.
std::vector<std::string> listSoundFiles(const std::filesystem::path &programDir);

// True for the extensions the dialog offers (.mp3 .wma .wav .mid), in any letter case.
bool isSoundFileName(const std::string &name);

}  // namespace tessaly
