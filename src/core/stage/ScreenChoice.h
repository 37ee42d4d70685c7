// Which screen shows the stage and which the operator console, from the screens
// attached, the stored choice ("舞台显示在") and the command line's override.
#pragma once

#include <string>
#include <vector>

namespace tessaly {

struct ScreenInfo {
    std::string name;
    int width = 0;
    int height = 0;
    bool primary = false;
};

struct ScreenPlan {
    int stage = 0;          // index into the screens
    int console = -1;       // -1: no console
    bool fellBack = false;  // the screen asked for is absent: the automatic choice was taken
    std::string missing;    // the name asked for, when it fell back
};

// `wanted` is a screen's name or its number from 1; empty means automatic: the
// largest screen that is not the primary one. With one screen the stage takes
// it and the console shows only when asked for (as a normal window beside it).
ScreenPlan chooseScreens(const std::vector<ScreenInfo> &screens, const std::string &wanted, bool consoleAsked);

// The setting's key in [Option]: the stage screen's name, empty for automatic.
inline constexpr const char *kStageScreenKey = "stagescreen";

}  // namespace tessaly
