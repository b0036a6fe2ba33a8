#!/usr/bin/env bash
# Builds and runs every benchmark program (bin/*_bench.exe) under Wine, as
# scripts/test.sh runs the tests. Benchmarks print figures; they do not pass
# or fail. Run on a quiet machine: the figures are timings.
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash "$ROOT/scripts/setup.sh"
tovacon_pick_arch
if [ "$ARCH" != i686 ]; then
    ( WINE=/usr/lib/wine/wine; tovacon_build i686 "$ROOT/build/mingw-i686" )
fi
tovacon_build "$ARCH" "$BUILD_DIR"
trap tovacon_cleanup EXIT
tovacon_prefix
tovacon_display
"$WINESERVER" -p
"$WINE" wineboot >/dev/null 2>&1 </dev/null
cd "$BUILD_DIR"
status=0
for bench in bin/*_bench.exe; do
    [ -e "$bench" ] || continue
    echo "== $(basename "$bench" .exe) ($ARCH)"
    "$WINE" "$bench" </dev/null || status=1
done
# The formatter's figures in a double-byte code page as well.
echo "== format_bench, code page 932 ($ARCH)"
LC_ALL=ja_JP.UTF-8 "$WINE" bin/format_bench.exe </dev/null || status=1
exit $status
