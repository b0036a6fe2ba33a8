#!/usr/bin/env bash
# Fuzzes the text, path and formatter routines in a native Linux build
# (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer), after
# checking the build's stand-in platform functions against their table.
#   bash scripts/fuzz.sh [seconds per target]   (default 300)
# Each target runs half its time in code page 1252 and half in 932, from its
# kept seed corpus in fuzz/corpus/<target>; new inputs go to
# build/fuzz/work/<target>, crashing inputs to build/fuzz/crashes/.
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
HALF=$(( (SECONDS_PER_TARGET + 1) / 2 ))
for target in format text path; do
    mkdir -p "$BUILD/work/$target"
    for codePage in 1252 932; do
        echo "fuzz_$target, code page $codePage: ${HALF}s"
        if ! SHIM_CODE_PAGE=$codePage "$BUILD/fuzz_$target" "$BUILD/work/$target" "$ROOT/fuzz/corpus/$target" \
                -max_total_time="$HALF" -timeout=10 -max_len=4096 \
                -artifact_prefix="$BUILD/crashes/$target-$codePage-" >"$BUILD/$target.log" 2>&1; then
            tail -n 40 "$BUILD/$target.log" >&2
            echo "fuzz_$target: FAILED in code page $codePage (input saved in $BUILD/crashes/)" >&2
            exit 1
        fi
        grep -E '^Done' "$BUILD/$target.log" | tail -n 1 || true
    done
done
echo "fuzz: no crash"
