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
# display; run alone, it sets both up the same way. CASES="case_flood ..."
# runs only the cases named. Prints "N passed, N failed" and exits non-zero
# when a check failed.
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
# The pointer arrives in two moves, so that the target (a menu item above
# all) sees it move over itself before the button goes down.
click_at() {
    xdotool mousemove --sync $((OFFX + $1 - 2)) $((OFFY + $2))
    sleep 0.1
    xdotool mousemove --sync $((OFFX + $1)) $((OFFY + $2))
    sleep 0.3
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
    # shellcheck disable=SC2086  # REG_PRESET: probe commands, word-split on purpose
    "$WINE" "$PROBE" regdel DebugLog regdel DebugOutput regdel ForceStyle regdel DisplayPageId \
        ${REG_PRESET:-} >/dev/null 2>&1
    REG_PRESET=""
    launch_console "$CASE_DIR/first"
    local i
    for i in $(seq 10); do
        [ "$(probe_line wait wait "$TITLE" 3000)" = "wait yes" ] && break
    done
    if [ "$(probe_line wait wait "$TITLE" 100)" != "wait yes" ]; then
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
# The [History] entries of TovaCon.ini as "key=value" lines, "Last" last and
# the numbered keys in numeric order (where a new key lands in the file is the
# private-profile functions' affair).
ini_history() {
    ini_text | awk '/^\[/ {s = ($0 == "[History]")} s && /=/' | sort -t= -k1,1n | awk '/^Last=/ {l = $0; next} {print} END {print l}'
}

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

# close_box_click <title>: a click on the window's close box, its position
# from the window rectangle and the caption metrics, confirmed by the
# window's own hit test before the click.
close_box_click() {
    close_box_point "$1" || return 1
    click_at "$CX" "$CY"
}

# close_box_point <title>: sets CX, CY to the centre of the window's close box.
close_box_point() {
    control_rect "$1" 0 || { fail "window \"$1\" found for its close box"; return 1; }
    local metrics caption size frame x y clientLeft
    metrics=$(probe_line metrics metrics)
    caption=$(printf '%s' "$metrics" | sed -n 's/.*caption=\([0-9]*\).*/\1/p')
    size=$(printf '%s' "$metrics" | sed -n 's/.*size=\([0-9]*\),.*/\1/p')
    # The border's width is what lies between the window's and the client's left edges.
    read -r _ _ clientLeft _ _ _ <<<"$(probe window "$1" client 0 | grep -m1 '^client')"
    frame=$((clientLeft - L))
    x=$((R - frame - size / 2 - 1))
    y=$((T + frame + caption / 2))
    check "the computed point is the close box of \"$1\" (HTCLOSE)" "hittest 20" \
        "$(probe window "$1" hittest $x $y | grep -m1 '^hittest')"
    CX=$x
    CY=$y
}

case_close_box() {
    start_console "close box" || return
    close_box_click "$TITLE"
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

# menu_marks <name> <expected marks> <shot>: opens Settings with Alt+S, reads
# the check marks off the screen, keeps the picture and closes the menu again
# (the first Escape closes the popup, the second leaves the menu bar).
# Marks in menu order: Trace Warn Fail, Default Vantrel Kestrin, Page Id.
menu_marks() {
    key alt+s
    sleep 0.4
    check "$1" "marks 7 $2" "$(popup_marks)"
    shot "$3"
    key Escape Escape
}

case_settings_menu() {
    start_console "Settings menu by keyboard" || return
    menu_marks "no stored settings: Warn, Fail and the default style checked" "0 1 1 1 0 0 0" settings-initial
    key alt+s t
    check "Trace stores DebugLog 7" "reg DebugLog 0x00000007" "$(probe_line 'reg DebugLog' reg DebugLog)"
    check "Trace stores DebugOutput 7" "reg DebugOutput 0x00000007" "$(probe_line 'reg DebugOutput' reg DebugOutput)"
    key alt+s k
    check "Force Kestrin Style stores ForceStyle 3" "reg ForceStyle 0x00000003" "$(probe_line 'reg ForceStyle' reg ForceStyle)"
    key alt+s p
    check "Show Page Id stores DisplayPageId 1" "reg DisplayPageId 0x00000001" "$(probe_line 'reg DisplayPageId' reg DisplayPageId)"
    menu_marks "reopened: Trace, Warn, Fail, Kestrin and Page Id checked" "1 1 1 0 0 1 1" settings-toggled
    key alt+s v
    check "Force Vantrel Style stores ForceStyle 2" "reg ForceStyle 0x00000002" "$(probe_line 'reg ForceStyle' reg ForceStyle)"
    key alt+s f
    check "Fail off stores DebugLog 3" "reg DebugLog 0x00000003" "$(probe_line 'reg DebugLog' reg DebugLog)"
    key alt+s p
    check "Show Page Id again stores 0" "reg DisplayPageId 0x00000000" "$(probe_line 'reg DisplayPageId' reg DisplayPageId)"
    menu_marks "reopened: Trace, Warn and Vantrel checked" "1 1 0 0 1 0 0" settings-vantrel
    key alt+s d
    check "Use Default Style stores 0xFFFFFFFF" "reg ForceStyle 0xffffffff" "$(probe_line 'reg ForceStyle' reg ForceStyle)"
    menu_marks "reopened: the default style checked" "1 1 0 1 0 0 0" settings-default
    check "the console still has its dialog after the menus" "count 1" "$(probe_line count count "$TITLE")"
    key Escape
    end_case "Settings menu" "$CASE_DIR/first"
}

# Stored settings show at start; an unknown style shows as the default and
# stays stored until the user picks one.
case_settings_stored() {
    REG_PRESET="regset DebugLog 0xFF regset ForceStyle 5 regset DisplayPageId 7"
    start_console "stored settings" || return
    menu_marks "stored 0xFF, 5, 7: all categories, the default style and Page Id checked" "1 1 1 1 0 0 1" settings-stored
    check "ForceStyle 5 stays stored" "reg ForceStyle 0x00000005" "$(probe_line 'reg ForceStyle' reg ForceStyle)"
    key alt+s f
    check "Fail from 0xFF stores 0xFB" "reg DebugLog 0x000000fb" "$(probe_line 'reg DebugLog' reg DebugLog)"
    check "and 0xFB as DebugOutput" "reg DebugOutput 0x000000fb" "$(probe_line 'reg DebugOutput' reg DebugOutput)"
    key Escape
    end_case "stored settings" "$CASE_DIR/first"
}

# --- history, navigation and the frame ---------------------------------------

HISTORY3='[History]
0=Alpha.dll|ID=Home
1=Beta.dll|ID=Settings
2=Gamma.dll|ID=About
Last=3'

frame_title() { printf 'Tovalen - %s - %s' "$1" "$2"; }
frames() { probe classrect TovalenFrame | grep -c '^classrect TovalenFrame [0-9-]' || true; }
calls() { tr -d '\r' <"$CASE_DIR/calls.txt" 2>/dev/null; }
debug_lines() { tr -d '\r' <"$CASE_DIR/$1.debug" 2>/dev/null; }

# Brings the console to the front again after a frame took the activation:
# a click on an uncovered part of its caption (the frame, owned by the
# console, stays above it and may hide part of it).
activate_console() {
    local x y
    read -r _ x y <<<"$(probe_line freepoint freepoint)"
    if [ "${x:-none}" = none ]; then fail "an uncovered point of the console to click"; return 1; fi
    click_at "$x" "$y"
    expect "the console is the active window again" "foreground $TITLE" foreground
}

case_history_keyboard() {
    start_console "history: arrow keys, Enter, double click" "$HISTORY3" || return
    check "the history is loaded" "Alpha.dll|ID=Home|Beta.dll|ID=Settings|Gamma.dll|ID=About" "$(list_joined 1001)"
    check "entry 0 is selected" "sel 1001 0" "$(probe_line 'sel 1001' sel 1001)"
    check "the history list has the focus" "focus 1001 ListBox" "$(probe_line focus focus)"
    expect "Navigate is enabled once the dialog runs" "enabled 1003 1" enabled 1003
    key Down Down
    check "Down, Down selects entry 2" "sel 1001 2" "$(probe_line 'sel 1001' sel 1001)"
    key Up
    check "Up selects entry 1" "sel 1001 1" "$(probe_line 'sel 1001' sel 1001)"
    key Return
    expect "Enter opens a frame on the selected entry" "wait yes" wait "$(frame_title Beta.dll Settings)" 15000
    check "the framework was asked for a window on it" 1 \
        "$(calls | grep -c '^DoTovalenWindowA .*location=Beta.dll|ID=Settings')"
    check "the frame is subclassed once" 1 "$(debug_lines first | grep -c '^TovaCon: Subclassing frame window\.$')"
    check "a page already listed adds nothing" 3 "$(probe list 1001 | sed -n 's/^list 1001 //p')"
    activate_console
    click_list_entry "$TITLE" 1001 2 1 2
    expect "a double click navigates the open frame" "wait yes" wait "$(frame_title Gamma.dll About)" 15000
    check "through FRAME_MSG_NAVIGATE with wParam 8" 1 \
        "$(calls | grep -c '^FRAME_MSG_NAVIGATE wParam=8 location=Gamma.dll|ID=About$')"
    check "no second frame is opened" 1 "$(frames)"
    # A person moves to another page inside the frame: it joins the history.
    click_control "$(frame_title Gamma.dll About)" 100
    expect "the frame's link shows the Home page" "wait yes" wait "$(frame_title Gamma.dll Home)" 15000
    expect "the new page is added to the history" "item 1001 3 Gamma.dll|ID=Home" list 1001
    check "and selected" "sel 1001 3" "$(probe_line 'sel 1001' sel 1001)"
    check "and saved" "0=Alpha.dll|ID=Home|1=Beta.dll|ID=Settings|2=Gamma.dll|ID=About|3=Gamma.dll|ID=Home|Last=4" \
        "$(ini_history | paste -sd'|' -)"
    shot history-and-frame
    activate_console
    key Escape
    expect "Escape closes the console" "count 0" count "$TITLE"
    expect "and the tracked frame" "count 0" count "$(frame_title Gamma.dll Home)"
    check "the frame was asked to close with a posted WM_CLOSE" 1 "$(calls | grep -c 'WM_CLOSE wParam=0 lParam=0$')"
    end_case "Escape with a frame" "$CASE_DIR/first"
}

# The mnemonics of the dialog's buttons, with the focus in the history list.
case_mnemonics() {
    start_console "Alt+N, Alt+A, Alt+D" "$HISTORY3" || return
    expect "Navigate is enabled once the dialog runs" "enabled 1003 1" enabled 1003
    key alt+n
    expect "Alt+N navigates to the selected entry" "wait yes" wait "$(frame_title Alpha.dll Home)" 15000
    activate_console
    key alt+a
    expect "Alt+A opens the add-location dialog" "wait yes" wait "$ADD_TITLE" 10000
    key Escape
    expect "Escape closes it" "count 0" count "$ADD_TITLE"
    check "and adds nothing" 3 "$(probe list 1001 | sed -n 's/^list 1001 //p')"
    key alt+h Down
    check "Alt+H and Down select entry 1" "sel 1001 1" "$(probe_line 'sel 1001' sel 1001)"
    key alt+d
    check "Alt+D deletes it" "Alpha.dll|ID=Home|Gamma.dll|ID=About" "$(list_joined 1001)"
    check "the following entry is selected" "sel 1001 1" "$(probe_line 'sel 1001' sel 1001)"
    check "the file follows" "[History]|0=Alpha.dll|ID=Home|1=Gamma.dll|ID=About|2=Gamma.dll|ID=About|Last=2" \
        "$(ini_text | paste -sd'|' -)"
    key Escape
    expect "Escape closes the console" "count 0" count "$TITLE"
    expect "and its frame" "count 0" count "$(frame_title Alpha.dll Home)"
    end_case "mnemonics" "$CASE_DIR/first"
}

case_delete_button() {
    start_console "Delete with the mouse" "$HISTORY3" || return
    click_list_entry "$TITLE" 1001 1
    check "a click selects entry 1" "sel 1001 1" "$(probe_line 'sel 1001' sel 1001)"
    click_control "$TITLE" 1009
    check "Delete removes it" "Alpha.dll|ID=Home|Gamma.dll|ID=About" "$(list_joined 1001)"
    check "the following entry is selected" "sel 1001 1" "$(probe_line 'sel 1001' sel 1001)"
    check "keys 0 and 1 rewritten, the stale key 2 left, Last 2" \
        "[History]|0=Alpha.dll|ID=Home|1=Gamma.dll|ID=About|2=Gamma.dll|ID=About|Last=2" "$(ini_text | paste -sd'|' -)"
    click_control "$TITLE" 1009
    check "Delete of the last entry" "Alpha.dll|ID=Home" "$(list_joined 1001)"
    check "leaves no selection" "sel 1001 none" "$(probe_line 'sel 1001' sel 1001)"
    check "and Delete enabled" "enabled 1009 1" "$(probe_line 'enabled 1009' enabled 1009)"
    click_control "$TITLE" 1009
    check "Delete with no selection does nothing" "Alpha.dll|ID=Home" "$(list_joined 1001)"
    key Escape
    end_case "Delete" "$CASE_DIR/first"
}

# The close box and File, Exit also close a tracked frame.
case_close_box_with_frame() {
    start_console "close box with a frame" "$HISTORY3" || return
    key Return
    expect "Enter opens a frame" "wait yes" wait "$(frame_title Alpha.dll Home)" 15000
    activate_console
    close_box_click "$TITLE"
    expect "the close box closes the console" "count 0" count "$TITLE"
    expect "and the frame" "count 0" count "$(frame_title Alpha.dll Home)"
    check "the tracking saw the frame go" 1 "$(debug_lines first | grep -c '^TovaCon: Framewindow is destroyed\.$')"
    end_case "close box with a frame" "$CASE_DIR/first"
}

case_exit_with_frame() {
    start_console "File, Exit by keyboard with a frame" "$HISTORY3" || return
    key Return
    expect "Enter opens a frame" "wait yes" wait "$(frame_title Alpha.dll Home)" 15000
    activate_console
    key alt+f x
    expect "Alt+F, X closes the console" "count 0" count "$TITLE"
    expect "and the frame" "count 0" count "$(frame_title Alpha.dll Home)"
    end_case "File, Exit with a frame" "$CASE_DIR/first"
}

# The add-location dialog: focus and tab order as the template gives them,
# both fields typed, Enter on OK; Cancel after editing; Enter at once.
case_add_location() {
    start_console "add-location dialog" "$HISTORY3" || return
    click_control "$TITLE" 1008
    expect "Add opens the add-location dialog" "wait yes" wait "$ADD_TITLE" 10000
    check "OK has the focus" "focus 1 Button" "$(probe window "$ADD_TITLE" focus | grep -m1 '^focus')"
    shot add-location-open
    local want
    for want in "2 Button" "1002 Edit" "1005 Button" "1004 Edit" "1 Button"; do
        key Tab
        check "Tab moves to ${want% *}" "focus $want" "$(probe window "$ADD_TITLE" focus | grep -m1 '^focus')"
    done
    key shift+Tab
    check "Shift+Tab moves back to 1004" "focus 1004 Edit" "$(probe window "$ADD_TITLE" focus | grep -m1 '^focus')"
    key alt+l
    check "Alt+L goes to the library name" "focus 1002 Edit" "$(probe window "$ADD_TITLE" focus | grep -m1 '^focus')"
    type_text "Delta.dll"
    key alt+p
    check "Alt+P goes to the page name" "focus 1004 Edit" "$(probe window "$ADD_TITLE" focus | grep -m1 '^focus')"
    type_text "Details"
    check "the library name as typed" "text 1002 Delta.dll" "$(probe window "$ADD_TITLE" text 1002 | grep -m1 '^text')"
    check "the page name as typed" "text 1004 Details" "$(probe window "$ADD_TITLE" text 1004 | grep -m1 '^text')"
    shot add-location-filled
    key Return
    expect "Enter ends the dialog" "count 0" count "$ADD_TITLE"
    want=$(probe format "$WIN_CASE_DIR\\Tovalen.dll" Delta.dll Details | sed -n 's/^format //p')
    check "the framework's location for the two fields is added at the end" "item 1001 3 $want" \
        "$(probe_line 'item 1001 3' list 1001)"
    check "and selected" "sel 1001 3" "$(probe_line 'sel 1001' sel 1001)"
    check "the history list has the focus" "focus 1001 ListBox" "$(probe_line focus focus)"
    check "and the file holds it" "3=$want|Last=4" "$(ini_history | tail -2 | paste -sd'|' -)"

    local before
    before=$(ini_text)
    key alt+a
    expect "Alt+A opens it again" "wait yes" wait "$ADD_TITLE" 10000
    key alt+l
    type_text "Nothing.dll"
    key alt+p
    type_text "Nowhere"
    key Escape
    expect "Escape after editing ends the dialog" "count 0" count "$ADD_TITLE"
    check "and leaves the history" 4 "$(probe list 1001 | sed -n 's/^list 1001 //p')"
    check "and the file as they were" "$before" "$(ini_text)"

    key alt+a
    expect "Alt+A opens it once more" "wait yes" wait "$ADD_TITLE" 10000
    key Return
    expect "Enter at once ends it" "count 0" count "$ADD_TITLE"
    want=$(probe format "$WIN_CASE_DIR\\Tovalen.dll" "" "" | sed -n 's/^format //p')
    check "and adds the location of two empty fields" "item 1001 4 $want" "$(probe_line 'item 1001 4' list 1001)"
    key Escape
    end_case "add-location" "$CASE_DIR/first"
}

# --- the log pane's context menu ------------------------------------------------

# popup_item <index> <count>: sets PX, PY to the centre of item <index> of
# the open popup menu of <count> equal items, from the popup's rectangle.
popup_item() {
    local l t r b
    read -r _ _ l t r b <<<"$(probe_line classrect classrect '#32768')"
    [ "${l:-none}" != none ] || return 1
    PX=$(((l + r) / 2))
    PY=$((t + 3 + (b - t - 6) * (2 * $1 + 1) / (2 * $2)))
}

case_log_context_menu() {
    REG_PRESET="regset DebugLog 7"
    start_console "log pane: right click, Copy and Clear" || return
    check "the framework reports five Trace events" "debugevents 1" \
        "$(probe_line debugevents debugevents 1 5 numbered "event ")"
    expect "the log shows them" "item 1007 4 event 4" list 1007
    click_list_entry "$TITLE" 1007 1
    xdotool keydown shift
    click_list_entry "$TITLE" 1007 3
    xdotool keyup shift
    check "a click and a shift-click select lines 1 to 3" "sel 1007 1,2,3" "$(probe_line 'sel 1007' sel 1007)"
    probe clipset "before" >/dev/null
    click_list_entry "$TITLE" 1007 2 3
    if ! popup_item 0 2; then
        fail "a right click on the log opens its context menu"
    else
        pass "a right click on the log opens its context menu"
        shot log-context-menu
        click_at "$PX" "$PY"
        check "Copy puts the selected lines on the clipboard, each ending with CR LF" \
            'clip event 1\r\nevent 2\r\nevent 3\r\n' "$(probe_line clip clip)"
        check "and leaves the selection" "sel 1007 1,2,3" "$(probe_line 'sel 1007' sel 1007)"
    fi
    probe clipset "before" >/dev/null
    key ctrl+c
    check "Ctrl+C in the log copies the same" 'clip event 1\r\nevent 2\r\nevent 3\r\n' "$(probe_line clip clip)"
    click_list_entry "$TITLE" 1001 0 3
    sleep 0.5
    check "a right click on the history list shows no menu" "classrect #32768 none" "$(probe_line classrect classrect '#32768')"
    key alt+h shift+F10
    sleep 0.3
    check "Shift+F10 in the history list shows none either" "classrect #32768 none" "$(probe_line classrect classrect '#32768')"
    key alt+l shift+F10
    if popup_item 1 2; then
        pass "Shift+F10 in the log list opens the context menu from the keyboard"
        shot log-context-menu-keyboard
        key Escape
    else
        fail "Shift+F10 in the log list opens the context menu from the keyboard"
    fi
    click_list_entry "$TITLE" 1007 0 3
    if ! popup_item 1 2; then
        fail "the context menu opens again"
    else
        click_at "$PX" "$PY"
        check "Clear empties the log" "list 1007 0" "$(probe_line 'list 1007' list 1007)"
        check "and keeps the categories" "reg DebugLog 0x00000007" "$(probe_line 'reg DebugLog' reg DebugLog)"
    fi
    key Escape
    expect "Escape closes the console" "count 0" count "$TITLE"
    end_case "log context menu" "$CASE_DIR/first"
}

# --- robustness -----------------------------------------------------------------

# The framework reports Trace events from a worker thread at a high rate while
# the user navigates, deletes and adds; the console keeps answering, shows the
# last event, and the history file matches the list.
case_flood() {
    REG_PRESET="regset DebugLog 7"
    start_console "debug-event flood from a worker thread while the user works" "$HISTORY3" || return
    check "the framework starts a flood of 40000 Trace events on a worker thread" "debugevents 1" \
        "$(probe_line debugevents debugevents 1 40000 worker,numbered "flood line ")"
    check "the console answers within 2 s during the flood" "responsive yes" "$(probe_line responsive responsive 2000)"
    key Down Return
    expect "Down, Enter opens a frame during the flood" "wait yes" wait "$(frame_title Beta.dll Settings)" 20000
    activate_console
    key alt+d
    check "Alt+D deletes during the flood" "Alpha.dll|ID=Home|Gamma.dll|ID=About" "$(list_joined 1001)"
    key alt+a
    expect "Alt+A opens the add-location dialog during the flood" "wait yes" wait "$ADD_TITLE" 15000
    key alt+l
    type_text "Flood.dll"
    key Return
    expect "Enter adds the location" "count 0" count "$ADD_TITLE"
    check "a second flood, with numbers, from another worker" "debugevents 1" \
        "$(probe_line debugevents debugevents 1 20000 worker,numbered "second ")"
    click_list_entry "$TITLE" 1001 0 1 2
    expect "a double click navigates the frame during the flood" "wait yes" wait "$(frame_title Alpha.dll Home)" 20000
    check "the console answers within 2 s" "responsive yes" "$(probe_line responsive responsive 2000)"
    local i pending=""
    for i in $(seq 120); do
        pending=$(probe_line debugpending debugpending)
        [ "$pending" = "debugpending 0" ] && break
        sleep 1
    done
    check "the workers finish" "debugpending 0" "$pending"
    local log last count
    log=$(probe list 1007)
    count=$(printf '%s\n' "$log" | sed -n 's/^list 1007 //p')
    check "the log shows the first flood's last event" 1 "$(printf '%s\n' "$log" | grep -c '^item 1007 [0-9]* flood line 39999$')"
    check "and the second flood's" 1 "$(printf '%s\n' "$log" | grep -c '^item 1007 [0-9]* second 19999$')"
    last=$(printf '%s\n' "$log" | tail -1 | sed 's/^item 1007 [0-9]* //')
    echo "        log: $count lines, the last \"$last\""
    check_history_file "after the flood"
    key Escape
    expect "Escape closes the console after the flood" "count 0" count "$TITLE"
    expect "and the frame" "count 0" count "$(frame_title Alpha.dll Home)"
    end_case "flood" "$CASE_DIR/first"
}

# check_history_file <when>: TovaCon.ini is well formed and holds the list.
check_history_file() {
    local list file
    list=$(list_items 1001 | awk '{print NR - 1 "=" $0}'; echo "Last=$(probe list 1001 | sed -n 's/^list 1001 //p')")
    file=$(ini_history | awk -F= -v n="$(ini_history | sed -n 's/^Last=//p')" '/^Last=/ || ($1 ~ /^[0-9]+$/ && $1 < n)')
    check "$1: TovaCon.ini holds the list, key by key, and Last" "$list" "$file"
    check "$1: TovaCon.ini has one [History] section and only key=value lines" "ok" \
        "$(ini_text | awk '/^\[History\]$/ {h++; next} /^[^=]+=/ {next} {bad++} END {print (h == 1 && !bad) ? "ok" : "bad"}')"
}

# The user closes the frame while a navigation to it is under way; the next
# Navigate opens a new frame.
case_frame_closed_during_navigation() {
    start_console "frame closed during a navigation" "$HISTORY3" || return
    key Return
    expect "Enter opens a frame" "wait yes" wait "$(frame_title Alpha.dll Home)" 15000
    close_box_point "$(frame_title Alpha.dll Home)" || return
    local fx=$CX fy=$CY line height
    activate_console
    line=$(probe client 1001 itemheight 1001)
    read -r _ _ L T R B <<<"$(printf '%s\n' "$line" | grep -m1 '^client ')"
    height=$(printf '%s\n' "$line" | sed -n 's/^itemheight 1001 //p')
    # Double click on entry 2, then at once a click on the frame's close box.
    xdotool mousemove --sync $((OFFX + L + 20)) $((OFFY + T + 2 * height + height / 2)) click --repeat 2 --delay 80 1 \
        mousemove --sync $((OFFX + fx)) $((OFFY + fy)) click 1
    expect "the frame is gone" "classrect TovalenFrame none" classrect TovalenFrame
    check "the tracking saw it go" 1 "$(debug_lines first | grep -c '^TovaCon: Framewindow is destroyed\.$')"
    check "the console answers" "responsive yes" "$(probe_line responsive responsive 2000)"
    activate_console
    click_list_entry "$TITLE" 1001 1
    key Return
    expect "the next Navigate opens a new frame" "wait yes" wait "$(frame_title Beta.dll Settings)" 15000
    check "through DoTovalenWindowA again" 2 "$(calls | grep -c '^DoTovalenWindowA ')"
    check "and subclasses it" 2 "$(debug_lines first | grep -c '^TovaCon: Subclassing frame window\.$')"
    check_history_file "after the closed frame"
    activate_console
    key Escape
    expect "Escape closes the console" "count 0" count "$TITLE"
    expect "and the new frame" "count 0" count "$(frame_title Beta.dll Settings)"
    end_case "frame closed" "$CASE_DIR/first"
}

# run_case <function>: one case; CASES="name ..." in the environment runs
# only the cases named there.
run_case() {
    if [ -n "${CASES:-}" ] && [[ " $CASES " != *" $1 "* ]]; then return; fi
    "$@"
    abandon_case
}

run_case case_geometry
run_case case_close_box
run_case case_file_exit
run_case case_second_console
run_case case_settings_menu
run_case case_settings_stored
run_case case_log_context_menu
run_case case_history_keyboard
run_case case_mnemonics
run_case case_delete_button
run_case case_close_box_with_frame
run_case case_exit_with_frame
run_case case_add_location
run_case case_flood
run_case case_frame_closed_during_navigation

echo
echo "$PASSED passed, $FAILED failed"
if [ "$FAILED" -gt 0 ]; then
    printf 'failed: %s\n' "${FAILURES[@]}"
    exit 1
fi
exit 0
