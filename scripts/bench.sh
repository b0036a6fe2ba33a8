#!/usr/bin/env bash
# Builds and runs the benchmark programs under Wine; each prints its figures.
# Extra benchmarks: add a line to the list below.
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash "$ROOT/scripts/setup.sh" >/dev/null
tovacon_pick_arch
tovacon_build "$ARCH" "$BUILD_DIR" >/dev/null
trap tovacon_cleanup EXIT
tovacon_prefix
tovacon_display
"$WINESERVER" -p
"$WINE" wineboot >/dev/null 2>&1 </dev/null

run_bench() {  # run_bench <program> [environment assignments...]
    local program=$1; shift
    echo "== $program $*"
    env "$@" "$WINE" "$BUILD_DIR/bin/$program"
}

run_bench format_bench.exe
run_bench format_bench.exe LC_ALL=ja_JP.UTF-8
