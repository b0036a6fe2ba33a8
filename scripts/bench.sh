#!/usr/bin/env bash
# Builds and runs the benchmark programs under Wine (with a private Xvfb when
# there is no display) and prints their figures. Names given as arguments run
# only those benchmarks (e.g. `bash scripts/bench.sh log_bench`).
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash "$ROOT/scripts/setup.sh"
tovacon_pick_arch
tovacon_build "$ARCH" "$BUILD_DIR"
trap tovacon_cleanup EXIT
tovacon_prefix
tovacon_display
"$WINESERVER" -p
"$WINE" wineboot >/dev/null 2>&1 </dev/null

BENCHES=("$@")
if [ ${#BENCHES[@]} -eq 0 ]; then
    BENCHES=(log_bench)
fi
cd "$BUILD_DIR/bin"
for bench in "${BENCHES[@]}"; do
    echo "== $bench ($ARCH build under $(basename "$WINE"))"
    "$WINE" "$bench.exe"
    echo
done
