// The check an organiser runs before an event: is the list right, are the
// photos and sounds there, will the awards add up, is a draw already under way.
// It only reads the event folder.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

struct CheckFinding {
    enum class Level { Ok, Info, Warning, Blocking };
    Level level = Level::Info;
    std::string text;  // GBK, one line
};

struct CheckReport {
    std::vector<CheckFinding> findings;

    bool blocking() const;
    int count(CheckFinding::Level level) const;
};

// Decodes a sound file to its end (the window layer has the decoder): empty
// when it plays, else why not (GBK).
class SoundProbe {
public:
    virtual ~SoundProbe() = default;
    virtual std::string decodeError(const std::filesystem::path &file) = 0;
};

// Without a probe a sound is judged by its first bytes only.
CheckReport checkEventFolder(const std::filesystem::path &folder, SoundProbe *sounds = nullptr);

// One line per finding, each behind its level in brackets, then a summary
// line; GBK with CR LF.
std::string formatCheckReport(const CheckReport &report, const std::filesystem::path &folder);

// Whether a file's first bytes look like a sound the player decodes (MP3, WAV,
// WMA, MIDI, Ogg, FLAC).
bool looksLikeSound(std::string_view head);

}  // namespace tessaly
