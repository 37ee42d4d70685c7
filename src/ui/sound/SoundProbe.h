// The pre-event check's sound decoder: a file is opened and decoded with Qt
// Multimedia as the draw would play it, so a right head on a damaged body is
// found before the event and not at the moment it should play.
#pragma once

#include "core/event/PreEventCheck.h"

namespace tessaly {

class QtSoundProbe : public SoundProbe {
public:
    // Longest a file may take to decode; a check never waits longer.
    static constexpr int kTimeoutMs = 20000;

    std::string decodeError(const std::filesystem::path &file) override;
};

}  // namespace tessaly
