#!/usr/bin/env bash
# Builds and runs every benchmark program of the project under Wine (with a
# private Xvfb when there is no display) and prints one table: each figure
# with what it is compared against and the ratio between them.
#
#   bash scripts/bench.sh            print the table
#   bash scripts/bench.sh --save     also write it to docs/benchmarks.md
#
# Benchmark programs are the executables named *bench*.exe under the build's
# bin directory. Each prints its figures as rows
#   BENCH|<measure>|<figure>|<unit>|<compared against>|<ratio>
# (ratio may be empty when there is nothing to compare with); every other line
# it prints is kept as detail below the table.
set -euo pipefail
source "$(dirname "$0")/common.sh"

SAVE=0
[ "${1:-}" = "--save" ] && SAVE=1

bash "$ROOT/scripts/setup.sh" >/dev/null
tovacon_pick_arch
tovacon_build "$ARCH" "$BUILD_DIR" >/dev/null
trap tovacon_cleanup EXIT
tovacon_prefix
tovacon_display
"$WINESERVER" -p
"$WINE" wineboot >/dev/null 2>&1 </dev/null

OUT=$BUILD_DIR/bench-output
rm -rf "$OUT"
mkdir -p "$OUT"
mapfile -t PROGRAMS < <(cd "$BUILD_DIR/bin" && find . -name '*bench*.exe' | sed 's|^\./||' | sort)
if [ ${#PROGRAMS[@]} -eq 0 ]; then
    echo "no benchmark programs found under $BUILD_DIR/bin" >&2
    exit 1
fi

STATUS=0
for p in "${PROGRAMS[@]}"; do
    name=$(basename "$p" .exe)
    echo "running $p ..." >&2
    if ! (cd "$BUILD_DIR/bin/$(dirname "$p")" && timeout 900 "$WINE" "$(basename "$p")" </dev/null) \
        >"$OUT/$name.txt" 2>"$OUT/$name.err"; then
        echo "warning: $p failed; its output is in $OUT/$name.txt and $OUT/$name.err" >&2
        STATUS=1
    fi
    tr -d '\r' <"$OUT/$name.txt" >"$OUT/$name.clean" && mv "$OUT/$name.clean" "$OUT/$name.txt"
done

cpu=$(grep -m1 'model name' /proc/cpuinfo 2>/dev/null | sed 's/.*: //' || true)
machine="$(uname -m) Linux, ${cpu:-unknown CPU}, $(nproc) cores"
if [ "$ARCH" = x86_64 ]; then
    runtime="the x86-64 build under 64-bit $("$WINE" --version) (this machine cannot execute 32-bit code, so the 32-bit product build is not run)"
else
    runtime="the 32-bit build under $("$WINE" --version)"
fi

{
    echo "# Benchmarks"
    echo
    echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') on $machine; $runtime, X display Xvfb."
    echo "Produced by \`bash scripts/bench.sh\`. Figures vary from run to run on a shared machine;"
    echo "the ratios, measured side by side in one run, are the numbers to compare."
    echo
    echo "| Program | Measure | Figure | Compared against | Ratio |"
    echo "|---|---|---|---|---|"
    for p in "${PROGRAMS[@]}"; do
        name=$(basename "$p" .exe)
        grep '^BENCH|' "$OUT/$name.txt" | while IFS='|' read -r _ measure figure unit against ratio; do
            echo "| $name | $measure | $figure $unit | $against | ${ratio:--} |"
        done
    done
    echo
    echo "## Details"
    for p in "${PROGRAMS[@]}"; do
        name=$(basename "$p" .exe)
        echo
        echo "\`$p\`:"
        echo
        echo '```'
        grep -v '^BENCH|' "$OUT/$name.txt" || true
        [ -s "$OUT/$name.err" ] && sed 's/^/stderr: /' "$OUT/$name.err" | tr -d '\r'
        echo '```'
    done
} | tee "$OUT/table.md"

if [ $SAVE -eq 1 ]; then
    mkdir -p "$ROOT/docs"
    cp "$OUT/table.md" "$ROOT/docs/benchmarks.md"
    echo "saved to docs/benchmarks.md" >&2
fi
exit $STATUS
