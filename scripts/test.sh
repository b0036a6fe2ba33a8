#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine (with a
# private Xvfb when there is no display). Exit status non-zero on any failure.
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash "$ROOT/scripts/setup.sh"
tovacon_pick_arch
# The product's own 32-bit build is always built, whichever build is tested.
if [ "$ARCH" != i686 ]; then
    ( WINE=/usr/lib/wine/wine; tovacon_build i686 "$ROOT/build/mingw-i686" )
fi
tovacon_build "$ARCH" "$BUILD_DIR"
# A short fuzzing run of the text and formatter routines (native build):
# about 20 s in all, from the kept seed corpora; fails on any crash.
bash "$ROOT/scripts/fuzz.sh" 6
trap tovacon_cleanup EXIT
tovacon_prefix
tovacon_display
"$WINESERVER" -p   # keep the server between the many short runs
# Start Wine's own services now, detached from our output: started by the first
# test they would inherit its pipes and CTest would wait for them forever.
"$WINE" wineboot >/dev/null 2>&1 </dev/null
cd "$BUILD_DIR"
ctest --output-on-failure "$@"
