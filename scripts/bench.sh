#!/usr/bin/env bash
# Builds and runs every benchmark program (bin/*_bench.exe) under Wine, as
# scripts/test.sh runs the tests, and prints one table: each figure with what
# it is compared against and the ratio between them. Benchmarks print
# figures; they do not pass or fail. Run on a quiet machine: the figures are
# timings.
#
#   bash scripts/bench.sh            print the table
#   bash scripts/bench.sh --save     also write it to docs/benchmarks.md
#
# A benchmark program puts a figure into the table with a line
#   BENCH|<measure>|<figure>|<unit>|<compared against>|<ratio>
# (the ratio may be empty), or with a line of a side-by-side table:
#   <measure>   <figure> <unit>   <figure> <unit>   <ratio>   [(note)]
# under a header line that names the two columns ("binding plain ratio").
# Every other line it prints is kept as detail below the table.
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
mapfile -t PROGRAMS < <(cd "$BUILD_DIR/bin" && ls -- *_bench.exe 2>/dev/null | sort)
if [ ${#PROGRAMS[@]} -eq 0 ]; then
    echo "no benchmark programs found under $BUILD_DIR/bin" >&2
    exit 1
fi

STATUS=0
# run_bench <name> <program> [<environment assignment>...]: runs one program
# in the bin directory; its output goes to <name>.txt.
run_bench() {
    local name=$1 program=$2
    shift 2
    echo "running $name ..." >&2
    if ! (cd "$BUILD_DIR/bin" && env "$@" timeout 900 "$WINE" "$program" </dev/null) \
        >"$OUT/$name.txt" 2>"$OUT/$name.err"; then
        echo "warning: $name failed; its output is in $OUT/$name.txt and $OUT/$name.err" >&2
        STATUS=1
    fi
    tr -d '\r' <"$OUT/$name.txt" >"$OUT/$name.clean" && mv "$OUT/$name.clean" "$OUT/$name.txt"
}
RUNS=()
for p in "${PROGRAMS[@]}"; do
    run_bench "${p%.exe}" "$p"
    RUNS+=("${p%.exe}")
    # The formatter's figures in a double-byte code page as well.
    if [ "$p" = format_bench.exe ]; then
        run_bench format_bench_cp932 "$p" LC_ALL=ja_JP.UTF-8
        RUNS+=(format_bench_cp932)
    fi
done

# The rows of one program's output, as BENCH lines: its own BENCH lines, the
# lines of side-by-side tables "<measure>  <a> <unit>  <b> <unit>  <ratio>"
# under a header "<first> <second> ratio" (binding_bench), and the tables of
# format_bench, history_bench and log_bench, read by their own layouts.
table_rows() {
    local name=$1 file=$2
    case $name in
    format_bench*)
        awk '
            /^code page/ { cp = $3; sub(/,$/, "", cp); next }
            /^message/ { next }
            NF >= 6 && $(NF) ~ /^[0-9.]+$/ {
                label = $0; sub(/[ \t]+[0-9.]+[ \t]+[0-9.]+[ \t]+[0-9.]+[ \t]+[0-9.]+[ \t]+[0-9.]+[ \t]*$/, "", label)
                printf "BENCH|UtilStr_Format: %s (code page %s)|%s|ns|wvsprintfA %s ns|%s\n", label, cp, $(NF-4), $(NF-3), $(NF-1)
                printf "BENCH|UtilStr_Format: %s (code page %s)|%s|ns|snprintf %s ns|%s\n", label, cp, $(NF-4), $(NF-2), $(NF)
            }' "$file" ;;
    history_bench*)
        awk '
            $1 ~ /^[0-9]+$/ && NF == 5 {
                printf "BENCH|history save, %s entries|%s|ms|one-call save %s ms|%.2f\n", $1, $2, $5, ($5 > 0 ? $2 / $5 : 0)
                printf "BENCH|history load, %s entries|%s|ms|-|\n", $1, $3
                printf "BENCH|page report to saved file, %s entries|%s|ms|-|\n", $1, $4
            }' "$file" ;;
    log_bench*)
        awk '
            /bare LB_ADDSTRING loop/ { bare = $(NF-2) }
            /^  callback, / && NF >= 6 {
                label = $0; sub(/^[ \t]+/, "", label); sub(/[ \t]+[0-9.]+[ \t]+[0-9.]+[ \t]+\(.*$/, "", label)
                printf "BENCH|log pane absorption: %s|%s|lines/s|bare LB_ADDSTRING loop with per-line paint %s lines/s|%.0f\n", label, $(NF-3), bare, ($(NF-3) / bare)
            }
            /^Longest time/ { longest = 1; next }
            longest && /^  (dialog|worker)/ {
                label = $0; sub(/^[ \t]+/, "", label); sub(/[ \t]+[0-9.]+[ \t]+[0-9.]+[ \t]*$/, "", label)
                printf "BENCH|longest answer during a flood: %s (goal < 100 ms)|%s|ms|per-line paint %s ms|%.2f\n", label, $(NF-1), $(NF), ($(NF) > 0 ? $(NF-1) / $(NF) : 0)
                next
            }
            /^Delay|^Private/ { longest = 0 }
            /^Private memory/ { mem = 1; next }
            mem && /^ +0 lines:/ { base = $3 }
            mem && /lines:.*listed/ {
                n = $1; sub(/lines:/, "", n)
                printf "BENCH|private memory after %s lines (%s listed)|%s|MB|empty log %s MB|%.2f\n", $1, $5, $3, base, $3 / base
            }' "$file" ;;
    *)
        awk '
            /^BENCH\|/ { print; next }
            NF == 3 && $3 == "ratio" { first = $1; second = $2; next }
            match($0, /[ \t]+[0-9.]+ [^ \t0-9]+[ \t]+[0-9.]+ [^ \t0-9]+[ \t]+[0-9.]+/) {
                label = substr($0, 1, RSTART - 1); sub(/^[ \t]+/, "", label)
                n = split(substr($0, RSTART, RLENGTH), f, /[ \t]+/)
                note = substr($0, RSTART + RLENGTH); gsub(/^[ \t]+|[ \t]+$/, "", note)
                if (note != "") label = label " " note
                against = (second != "" ? second " " : "") f[n - 2] " " f[n - 1]
                printf "BENCH|%s|%s|%s|%s|%s\n", label, f[n - 4], f[n - 3], against, f[n]
            }' "$file" ;;
    esac
}

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
    for name in "${RUNS[@]}"; do
        table_rows "$name" "$OUT/$name.txt" | while IFS='|' read -r _ measure figure unit against ratio; do
            echo "| $name | $measure | $figure $unit | $against | ${ratio:--} |"
        done
    done
    echo
    echo "## Details"
    for name in "${RUNS[@]}"; do
        echo
        echo "\`$name\`:"
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
