#!/usr/bin/env bash
# Installs what is missing, builds, and starts TovaCon.exe under Wine with the
# stand-in framework beside it. The first run gives it a short history to
# try. With no display it runs under a private Xvfb, opens the stand-in's
# frame on a history entry, saves a screenshot to build/tovacon.png and
# closes the console.
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash "$ROOT/scripts/setup.sh"
tovacon_pick_arch
tovacon_build "$ARCH" "$BUILD_DIR"
tovacon_prefix
BIN=$BUILD_DIR/bin

# A short history to start from: pages of the stand-in, one of a library
# file that exists (the stand-in itself) and one of a file that does not.
if [ ! -f "$BIN/TovaCon.ini" ]; then
    printf '[History]\r\n0=Tovalen.dll|ID=Home\r\n1=Tovalen.dll|ID=Details\r\n2=Sample.dll|ID=About\r\nLast=3\r\n' \
        >"$BIN/TovaCon.ini"
fi

if [ -n "${DISPLAY:-}" ]; then
    cd "$BIN"
    exec "$WINE" TovaCon.exe
fi

trap tovacon_cleanup EXIT
tovacon_display
cd "$BIN"
# A virtual desktop gives the window its caption and frame; at this size the
# frame (placed at its top left) leaves the centred console uncovered.
"$WINE" explorer /desktop=TovaCon,1024x768 TovaCon.exe &
for _ in $(seq 100); do
    xdotool search --name "Orvane Tovalen Console" >/dev/null 2>&1 && break
    sleep 0.3
done
sleep 2
# Keys go to the X window under the pointer (there is no window manager):
# the virtual desktop, which hands them to the console. Down, Down, Enter
# navigates to the third entry; the frame opens and the log shows the
# stand-in's warning about the missing library file.
xdotool mousemove 4 4 key Down Down Return 2>/dev/null || true
sleep 2
SHOT=$ROOT/build/tovacon.png
xwd -root -silent | convert xwd:- -crop 1024x768+0+0 "$SHOT"
echo "screenshot saved to $SHOT"
# Close the console as a user would (Escape is Cancel; a click on its caption
# first gives it the keyboard back from the frame) and let it end.
xdotool mousemove 600 218 click 1 sleep 0.5 key Escape 2>/dev/null || true
"$WINESERVER" -w &
WAITER=$!
for _ in $(seq 50); do kill -0 "$WAITER" 2>/dev/null || break; sleep 0.2; done
