#!/usr/bin/env bash
# Builds Tessaly and runs every test through ctest; non-zero on any failure.
# With --sanitize the whole suite is built with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/ (slower) and run there.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build=build
if [ "${1:-}" = "--sanitize" ]; then
    build=build-asan
    export TESSALY_BUILD_DIR="$build"
    "$root/scripts/setup.sh" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALY_BENCH=OFF \
        -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    # Leak suppressions are for LeakSanitizer only: AddressSanitizer refuses a file of leak: lines.
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$root/scripts/lsan-suppressions.txt"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
else
    "$root/scripts/setup.sh"
fi
export QT_QPA_PLATFORM=offscreen
cd "$root/$build"
ctest --output-on-failure -j"$(nproc)"
