// The choice of the stage's and the console's screens.
#include "core/stage/ScreenChoice.h"

#include <gtest/gtest.h>

namespace tessaly {

TEST(ScreenChoice, TheStageTakesTheScreenAskedForOrTheLargestOtherThanThePrimary)
{
    const ScreenInfo laptop{"eDP-1", 1366, 768, true};
    const ScreenInfo projector{"HDMI-1", 1920, 1080, false};
    const ScreenInfo small{"DP-2", 1024, 768, false};
    struct Case {
        const char *what;
        std::vector<ScreenInfo> screens;
        std::string wanted;
        bool consoleAsked;
        int stage, console;
        bool fellBack;
    } cases[] = {
        {"one screen", {laptop}, "", false, 0, -1, false},
        {"one screen, console asked", {laptop}, "", true, 0, 0, false},
        {"automatic: the projector", {laptop, projector}, "", false, 1, 0, false},
        {"automatic: primary listed last", {projector, laptop}, "", false, 0, 1, false},
        {"automatic: largest non-primary", {laptop, small, projector}, "", false, 2, 0, false},
        {"by name", {laptop, projector}, "eDP-1", false, 0, 1, false},
        {"by number from 1", {laptop, projector, small}, "3", false, 2, 0, false},
        {"absent name falls back", {laptop, projector}, "VGA-1", false, 1, 0, true},
        {"number past the end falls back", {laptop, projector}, "7", false, 1, 0, true},
        {"no primary among them", {small, projector}, "", false, 1, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const ScreenPlan plan = chooseScreens(c.screens, c.wanted, c.consoleAsked);
        EXPECT_EQ(plan.stage, c.stage);
        EXPECT_EQ(plan.console, c.console);
        EXPECT_EQ(plan.fellBack, c.fellBack);
        EXPECT_EQ(plan.missing, c.fellBack ? c.wanted : std::string());
    }
}

}  // namespace tessaly
