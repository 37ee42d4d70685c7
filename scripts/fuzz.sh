#!/usr/bin/env bash
# Builds every fuzz target of tests/fuzz/ with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/ and runs each for the given seconds
# (default 60), one after the other; give target names after the seconds to run only
# those (fuzz.sh 300 restore settings). Each target starts from its committed seeds
# plus what earlier runs found (build-fuzz/corpus/<name>). An input that crashes or
# breaks an invariant is copied into tests/fuzz/regressions/<name>/: commit it, and
# the normal test run replays it from then on.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
shift || true
build="$root/build-fuzz"

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g"
cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Release -DTESSALY_UI=OFF -DTESSALY_BENCH=OFF -DTESSALY_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_all

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for src in "$root"/tests/fuzz/fuzz_*.cpp; do
        name="$(basename "$src" .cpp)"
        targets+=("${name#fuzz_}")
    done
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan-suppressions.txt"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
summary=()
failed=0
for name in "${targets[@]}"; do
    corpus="$build/corpus/$name"
    crashes="$build/crashes/$name"
    rm -rf "$crashes"
    mkdir -p "$corpus" "$crashes"
    cp -n "$root/tests/fuzz/corpus/$name"/* "$corpus"/ 2>/dev/null || true
    log="$build/fuzz_$name.log"
    echo "== fuzz_$name for ${seconds}s (log: $log)"
    status=0
    "$build/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$crashes/" "$corpus" >"$log" 2>&1 || status=$?
    runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')"
    found=$(find "$crashes" -type f | wc -l)
    if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
        failed=1
        mkdir -p "$root/tests/fuzz/regressions/$name"
        cp "$crashes"/* "$root/tests/fuzz/regressions/$name"/ 2>/dev/null || true
        summary+=("fuzz_$name: FAILED after $runs executions; inputs copied to tests/fuzz/regressions/$name/")
        tail -n 30 "$log"
    else
        summary+=("fuzz_$name: $runs executions in ${seconds}s, no crash, no broken invariant")
    fi
done
printf '%s\n' "${summary[@]}"
exit "$failed"
