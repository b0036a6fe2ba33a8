#!/usr/bin/env bash
# Fuzzes the text, path and formatter routines in a native Linux build
# (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer), after
# checking the build's stand-in platform functions against their table.
#   bash scripts/fuzz.sh [seconds per target]   (default 300)
# Each target starts from its kept seed corpus in fuzz/corpus/<target>; new
# inputs go to build/fuzz/work/<target>, crashes to build/fuzz/crashes/.
# Exit status non-zero on a crash or a broken invariant.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_PER_TARGET=${1:-300}
BUILD=$ROOT/build/fuzz
CXX_COMPILER=$(command -v clang++-14 || command -v clang++)

cmake -S "$ROOT/fuzz" -B "$BUILD" -DCMAKE_CXX_COMPILER="$CXX_COMPILER" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --parallel 2 >/dev/null
"$BUILD/shim_check"

mkdir -p "$BUILD/crashes"
for target in format text path; do
    mkdir -p "$BUILD/work/$target"
    echo "fuzz_$target: ${SECONDS_PER_TARGET}s"
    if ! "$BUILD/fuzz_$target" "$BUILD/work/$target" "$ROOT/fuzz/corpus/$target" \
            -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -max_len=4096 \
            -artifact_prefix="$BUILD/crashes/$target-" >"$BUILD/$target.log" 2>&1; then
        tail -n 40 "$BUILD/$target.log" >&2
        echo "fuzz_$target: FAILED (input saved in $BUILD/crashes/)" >&2
        exit 1
    fi
    grep -E '^Done|^#[0-9]+.*DONE' "$BUILD/$target.log" | tail -n 1 || true
done
echo "fuzz: no crash"
