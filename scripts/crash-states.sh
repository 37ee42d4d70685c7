#!/usr/bin/env bash
# The long run of the crash-state explorer: many seeded scenarios of stops,
# corrections and resets, each cut by a power failure at every step it makes.
# Usage: scripts/crash-states.sh [SEEDS] (default 300). Prints the scenarios,
# crash states and time; non-zero when any state restores unsoundly.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TESSALY_BUILD_DIR:-build}"
cd "$root"
[ -x "$build/tests/core/tessaly_core_tests" ] || "$root/scripts/setup.sh"
cmake --build "$build" -j2 --target tessaly_core_tests
TESSALY_CRASH_SEEDS="${1:-300}" "$build/tests/core/tessaly_core_tests" \
    --gtest_filter='CrashStates.*' --gtest_brief=1
