#include "stage/ScreenChoice.h"


#include <cstdlib>

namespace tessaly {
namespace {

long long area(const ScreenInfo &s)
{
    return static_cast<long long>(s.width) * s.height;
}

// The largest screen other than `except` (the primary one first excluded); -1 when none.
int largestOther(const std::vector<ScreenInfo> &screens, int except, bool skipPrimary)
{
    int best = -1;
    for (int i = 0; i < static_cast<int>(screens.size()); ++i) {
        if (i == except || (skipPrimary && screens[static_cast<size_t>(i)].primary))
            continue;
        if (best < 0 || area(screens[static_cast<size_t>(i)]) > area(screens[static_cast<size_t>(best)]))
            best = i;
    }
    return best;
}

int findWanted(const std::vector<ScreenInfo> &screens, const std::string &wanted)
{
    for (int i = 0; i < static_cast<int>(screens.size()); ++i)
        if (screens[static_cast<size_t>(i)].name == wanted)
            return i;
    // A number counts from 1 when no screen has that name.
    if (!wanted.empty() && wanted.find_first_not_of("0123456789") == std::string::npos && wanted.size() < 4) {
        const int n = std::atoi(wanted.c_str());
        if (n >= 1 && n <= static_cast<int>(screens.size()))
            return n - 1;
    }
    return -1;
}

}  // namespace

ScreenPlan chooseScreens(const std::vector<ScreenInfo> &screens, const std::string &wanted, bool consoleAsked)
{
    ScreenPlan plan;
    if (screens.size() <= 1) {
        plan.console = consoleAsked && !screens.empty() ? 0 : -1;
        if (!wanted.empty() && findWanted(screens, wanted) < 0) {
            plan.fellBack = true;
            plan.missing = wanted;
        }
        return plan;
    }
    int stage = wanted.empty() ? -1 : findWanted(screens, wanted);
    if (!wanted.empty() && stage < 0) {
        plan.fellBack = true;
        plan.missing = wanted;
    }
    if (stage < 0)
        stage = largestOther(screens, -1, true);
    if (stage < 0)
        stage = 0;
    plan.stage = stage;
    // The console on the primary screen (the laptop's own) unless the stage is there.
    int console = -1;
    for (int i = 0; i < static_cast<int>(screens.size()); ++i)
        if (screens[static_cast<size_t>(i)].primary && i != stage)
            console = i;
    plan.console = console >= 0 ? console : largestOther(screens, stage, false);
    return plan;
}

}  // namespace tessaly
