#!/usr/bin/env bash
# The console as a person uses it: the real TovaCon.exe with the stand-in
# framework, in a Wine virtual desktop on the X display, driven only by X
# keyboard and mouse events (xdotool) at positions computed from the dialog's
# own window and control rectangles. After each step the probe (probe.exe)
# reads the program's state: list contents and selection, focus, registry
# values, TovaCon.ini, the clipboard, the debugger output, windows present.
# Screenshots of the steps whose evidence is the screen are kept under
# <build>/input-shots.
#
#   run_input_tests.sh [<build dir> [<wine>]]
#
# CTest runs it from scripts/test.sh, which provides the Wine prefix and the X
# display; run alone, it sets both up the same way. Prints "N passed, N failed"
# and exits non-zero when a check failed.
set -uo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
if [ $# -ge 2 ]; then
    BUILD_DIR=$1
    WINE=$2
    case $WINE in
        *wine64) WINESERVER=${WINE%wine64}wineserver64 ;;
        *) WINESERVER=${WINE%wine}wineserver ;;
    esac
    export WINEPREFIX=${WINEPREFIX:-$BUILD_DIR/wine}
    export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree=;mshtml="}
else
    source "$ROOT/scripts/common.sh"
    tovacon_pick_arch
    [ $# -ge 1 ] && BUILD_DIR=$1
    tovacon_prefix
    trap tovacon_cleanup EXIT
    tovacon_display
    "$WINESERVER" -p
    "$WINE" wineboot >/dev/null 2>&1 </dev/null
fi
[ -n "${DISPLAY:-}" ] || { echo "error: no X display" >&2; exit 2; }
for tool in xdotool xwd xwininfo convert; do
    command -v $tool >/dev/null || { echo "error: $tool is missing (scripts/setup.sh installs it)" >&2; exit 2; }
done

BIN=$BUILD_DIR/bin
PROBE=$BIN/input/probe.exe
SHOTS=$BUILD_DIR/input-shots
WORK=$BUILD_DIR/input-run
TITLE="Orvane Tovalen Console - For Internal Use Only"
ADD_TITLE="Add Navigation Location..."
rm -rf "$WORK" "$SHOTS"
mkdir -p "$WORK" "$SHOTS"

PASSED=0
FAILED=0
FAILURES=()

# The Windows form of a Unix path (Wine maps / to drive Z:).
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }

pass() { PASSED=$((PASSED + 1)); echo "ok      $1"; }
fail() { FAILED=$((FAILED + 1)); FAILURES+=("$1"); echo "FAILED  $1"; [ -n "${2:-}" ] && echo "        $2"; return 0; }

# check <name> <expected> <actual>
check() {
    if [ "$2" = "$3" ]; then pass "$1"; else fail "$1" "expected [$2], got [$3]"; fi
}

# --- the probe ----------------------------------------------------------------

DESK=""
probe() { "$WINE" "$PROBE" desktop "$DESK" "$@" 2>/dev/null | tr -d '\r'; }

# probe_line <prefix> <probe args...>: the first output line starting with <prefix>.
probe_line() {
    local prefix=$1; shift
    probe "$@" | grep -m1 -- "^$prefix" || true
}

# expect <name> <expected line> <probe args...>: asks until the line appears
# (up to about 8 seconds), then passes, or fails with what was seen last.
expect() {
    local name=$1 want=$2; shift 2
    local out="" i
    for i in $(seq 12); do
        out=$(probe "$@")
        if printf '%s\n' "$out" | grep -qxF -- "$want"; then pass "$name"; return 0; fi
        sleep 0.4
    done
    fail "$name" "expected line [$want], got: $(printf '%s' "$out" | tr '\n' '|')"
}

# List entries, one per line (escaped as the probe prints them).
list_items() { probe list "$1" | sed -n "s/^item $1 [0-9]* //p"; }
list_joined() { list_items "$1" | paste -sd'|' -; }

# --- the X side ---------------------------------------------------------------

OFFX=0
OFFY=0

# The desktop's X window and its position on the X screen: Windows screen
# coordinates in the virtual desktop are relative to it.
find_desktop_origin() {
    local line geometry
    line=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$DESK - Wine desktop\"" | head -1)
    geometry=$(printf '%s' "$line" | grep -oE '[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+' | head -1)
    DESK_XID=$(printf '%s' "$line" | awk '{print $1}')
    OFFX=$(printf '%s' "$geometry" | cut -d+ -f2)
    OFFY=$(printf '%s' "$geometry" | cut -d+ -f3)
    DESK_SIZE=${geometry%%+*}
    [ -n "$OFFX" ] && [ -n "$OFFY" ]
}

key() { xdotool key --delay 60 "$@"; sleep 0.35; }
type_text() { xdotool type --delay 40 "$1"; sleep 0.3; }

# Screen rectangle of a control (id 0: the target window itself): sets L T R B.
control_rect() {
    local line
    line=$(probe window "$1" rect "$2" | grep -m1 '^rect ')
    read -r _ _ L T R B <<<"$line"
    [ -n "${B:-}" ] && [ "$B" != none ]
}

# click_at <x> <y> [<button> [<repeat>]] in Windows screen coordinates.
click_at() {
    xdotool mousemove --sync $((OFFX + $1)) $((OFFY + $2))
    sleep 0.15
    xdotool click --repeat "${4:-1}" --delay 120 "${3:-1}"
    sleep 0.4
}

# click_control <window title> <id> [<button> [<repeat>]]: at the control's centre.
click_control() {
    local title=$1 id=$2
    if ! control_rect "$title" "$id"; then
        fail "control $id of \"$title\" found to click"; return 1
    fi
    click_at $(((L + R) / 2)) $(((T + B) / 2)) "${3:-1}" "${4:-1}"
}

# Centre of list entry <index> of list <id>, from the list's client rectangle
# and the item height the list reports.
click_list_entry() {
    local title=$1 id=$2 index=$3 button=${4:-1} repeat=${5:-1} line height top
    line=$(probe window "$title" client "$id" itemheight "$id" topindex "$id")
    read -r _ _ L T R B <<<"$(printf '%s\n' "$line" | grep -m1 '^client ')"
    height=$(printf '%s\n' "$line" | sed -n "s/^itemheight $id //p")
    top=$(printf '%s\n' "$line" | sed -n "s/^topindex $id //p")
    click_at $((L + 20)) $((T + (index - ${top:-0}) * height + height / 2)) "$button" "$repeat"
}

# shot <name>: the desktop as the screen shows it, saved as <name>.png. Wine
# paints popup menus into windows of their own that a capture of the root
# window shows black, so each window on the desktop is laid over the root
# capture in stacking order.
shot() {
    local file=$SHOTS/$1.png tmp=$WORK/shot-$$
    xwd -root -silent | convert xwd:- -crop "${DESK_SIZE:-800x600}+$OFFX+$OFFY" +repage "$tmp-base.png"
    local layers=() xid geometry w h x y
    while read -r xid geometry; do
        w=${geometry%%x*}; h=${geometry#*x}; h=${h%%+*}
        x=$(printf '%s' "$geometry" | cut -d+ -f2); y=$(printf '%s' "$geometry" | cut -d+ -f3)
        [ "$w" -gt 1 ] && [ "$h" -gt 1 ] || continue
        xwd -id "$xid" -silent 2>/dev/null | convert xwd:- "$tmp-$xid.png" 2>/dev/null || continue
        layers=("$tmp-$xid.png" -geometry "+$x+$y" -composite "${layers[@]}")
    done < <(desktop_children)
    convert "$tmp-base.png" "${layers[@]}" "$file" 2>/dev/null || cp "$tmp-base.png" "$file"
    rm -f "$tmp"-*.png
    echo "        screenshot $file"
}

# Mapped X windows on the desktop, top-most first: "<id> <WxH+x+y>" relative
# to the desktop.
desktop_children() {
    xwininfo -id "$DESK_XID" -children 2>/dev/null |
        grep -E '^ +0x[0-9a-f]+ ' |
        while read -r xid rest; do
            local g
            g=$(printf '%s' "$rest" | grep -oE '[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+' | head -1)
            [ -n "$g" ] && xwininfo -id "$xid" 2>/dev/null | grep -q 'IsViewable' && echo "$xid $g"
        done
}

# The check marks of the open popup menu, read from its picture by the probe:
# "marks <n> <0|1>...".
popup_marks() {
    local l t r b xid geometry w h raw=$WORK/popup.rgb
    read -r _ _ l t r b <<<"$(probe_line 'classrect' classrect '#32768')"
    [ "${l:-none}" != none ] || { echo "marks no-popup"; return; }
    w=$((r - l)); h=$((b - t))
    xid=$(desktop_children | awk -v g="${w}x${h}+$l+$t" '$2 == g {print $1; exit}')
    [ -n "$xid" ] || { echo "marks no-window"; return; }
    xwd -id "$xid" -silent | convert xwd:- -depth 8 "rgb:$raw"
    probe menumarks "$(winpath "$raw")" "$w" "$h" | grep -m1 '^marks'
}

# --- the program --------------------------------------------------------------

CASE=0
CASE_DIR=""
WIN_CASE_DIR=""

# start_console <case name> [<TovaCon.ini text>]: a fresh directory with
# TovaCon.exe and the stand-in, the settings reset, and the console started in
# a virtual desktop of its own through the probe's launcher (which records its
# debugger output, crashes and exit code). Returns when the dialog is shown.
start_console() {
    CASE=$((CASE + 1))
    echo "--- $1"
    DESK="TovaConInput$CASE"
    CASE_DIR=$WORK/case$CASE
    mkdir -p "$CASE_DIR"
    cp "$BIN/TovaCon.exe" "$BIN/Tovalen.dll" "$CASE_DIR/"
    [ -n "${2:-}" ] && printf '%s' "$2" | sed 's/$/\r/' >"$CASE_DIR/TovaCon.ini"
    WIN_CASE_DIR=$(winpath "$CASE_DIR")
    "$WINE" "$PROBE" regdel DebugLog regdel DebugOutput regdel ForceStyle regdel DisplayPageId >/dev/null 2>&1
    launch_console "$CASE_DIR/first"
    if [ "$(probe_line wait wait "$TITLE" 30000)" != "wait yes" ]; then
        fail "$1: the console dialog appears"; return 1
    fi
    find_desktop_origin || { fail "$1: the desktop window is found on the X screen"; return 1; }
    # Keys go to the X window under the pointer (no window manager): rest the
    # pointer on the desktop's background, clear of the dialog.
    xdotool mousemove --sync $((OFFX + 4)) $((OFFY + 4))
    sleep 0.5
}

# launch_console <output base>: starts one more console on the case's desktop.
launch_console() {
    TOVALEN_STANDIN_LOG="$WIN_CASE_DIR\\calls.txt" \
        "$WINE" explorer "/desktop=$DESK,800x600" "$(winpath "$PROBE")" launch "$WIN_CASE_DIR" \
        "$(winpath "$1")" "$WIN_CASE_DIR\\TovaCon.exe" >/dev/null 2>&1 </dev/null &
}

# wait_exit <output base>: the exit code once the program has ended ("running"
# if it has not within about 20 seconds).
wait_exit() {
    local i
    for i in $(seq 100); do
        [ -f "$1.exit" ] && { tr -d '\r\n' <"$1.exit"; return; }
        sleep 0.2
    done
    echo running
}

# end_case <name> <output base>: the console has ended with 0 and nothing crashed.
end_case() {
    check "$1: exit code" 0 "$(wait_exit "$2")"
    if [ -s "$2.crash" ]; then fail "$1: no unhandled exception" "$(cat "$2.crash")"; else pass "$1: no unhandled exception"; fi
}

# Ends whatever a failed step left running in the case's desktop.
abandon_case() {
    [ -n "$DESK" ] || return 0
    if [ "$(probe_line count count "$TITLE")" != "count 0" ]; then
        echo "        (ending the consoles a failed step left running)"
        probe terminate "$TITLE" terminate "$ADD_TITLE" >/dev/null
        sleep 1
    fi
}

ini_text() { tr -d '\r' <"$CASE_DIR/TovaCon.ini" 2>/dev/null; }

# --- the steps ----------------------------------------------------------------

# The desktop's origin and the dialog's placement, so that the coordinates the
# clicks use are the ones the screen shows.
case_geometry() {
    start_console "geometry" || return
    check "the Wine desktop window sits at the X origin" "0,0" "$OFFX,$OFFY"
    local xline xg
    xline=$(xwininfo -root -tree | grep -F "\"$TITLE\"" | head -1)
    xg=$(printf '%s' "$xline" | grep -oE '[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+' | head -1)
    control_rect "$TITLE" 0
    check "the dialog's X window is where Windows says it is" "$((R - L))x$((B - T))+$((L + OFFX))+$((T + OFFY))" "$xg"
    check "the title is string 1" "text 0 $TITLE" "$(probe_line 'text 0' text 0)"
    shot console-start
    key Escape
    expect "Escape closes the console" "count 0" count "$TITLE"
    end_case "Escape" "$CASE_DIR/first"
}

# The close box: its position from the window rectangle and the caption
# metrics, confirmed by the window's own hit test before the click.
case_close_box() {
    start_console "close box" || return
    control_rect "$TITLE" 0
    local metrics caption size frame x y
    metrics=$(probe_line metrics metrics)
    caption=$(printf '%s' "$metrics" | sed -n 's/.*caption=\([0-9]*\).*/\1/p')
    size=$(printf '%s' "$metrics" | sed -n 's/.*size=\([0-9]*\),.*/\1/p')
    frame=$(printf '%s' "$metrics" | sed -n 's/.*dlgframe=\([0-9]*\),.*/\1/p')
    x=$((R - frame - size / 2 - 1))
    y=$((T + frame + caption / 2))
    check "the computed point is the close box (HTCLOSE)" "hittest 20" "$(probe_line hittest hittest $x $y)"
    click_at $x $y
    expect "the close box closes the console" "count 0" count "$TITLE"
    end_case "close box" "$CASE_DIR/first"
}

# File, Exit with the mouse: the menu bar point confirmed as HTMENU, the item
# taken from the open popup's rectangle.
case_file_exit() {
    start_console "File, Exit" || return
    control_rect "$TITLE" 0
    local client x y l t r b
    read -r _ _ _ client _ _ <<<"$(probe_line client client 0)"
    x=$((L + 16))
    y=$((client - $(probe_line metrics metrics | sed -n 's/.*menu=\([0-9]*\).*/\1/p') / 2))
    check "the computed point is on the menu bar (HTMENU)" "hittest 5" "$(probe_line hittest hittest $x $y)"
    click_at $x $y
    read -r _ _ l t r b <<<"$(probe_line classrect classrect '#32768')"
    if [ "${l:-none}" = none ]; then
        fail "File opens its menu"
    else
        pass "File opens its menu"
        shot file-menu
        click_at $(((l + r) / 2)) $(((t + b) / 2))
    fi
    expect "E&xit closes the console" "count 0" count "$TITLE"
    end_case "File, Exit" "$CASE_DIR/first"
}

case_second_console() {
    start_console "a second console while one runs" || return
    launch_console "$CASE_DIR/second"
    check "the second start ends with 0" 0 "$(wait_exit "$CASE_DIR/second")"
    check "one console dialog remains" "count 1" "$(probe_line count count "$TITLE")"
    check "the first console still answers" "responsive yes" "$(probe_line responsive responsive 5000)"
    key Escape
    expect "Escape closes the first console" "count 0" count "$TITLE"
    end_case "first console" "$CASE_DIR/first"
}

run_case() {
    "$@"
    abandon_case
}

run_case case_geometry
run_case case_close_box
run_case case_file_exit
run_case case_second_console

echo
echo "$PASSED passed, $FAILED failed"
if [ "$FAILED" -gt 0 ]; then
    printf 'failed: %s\n' "${FAILURES[@]}"
    exit 1
fi
exit 0
