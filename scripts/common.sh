# Shared by the scripts: which build to run under which Wine, building, the
# Wine prefix and a private X display. Source it; do not run it.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The product is 32-bit. Where this machine cannot execute 32-bit code (some
# virtual machines have no 32-bit user mode, so 32-bit Wine cannot start), the
# same sources are also built for x86-64 and run under 64-bit Wine instead.
tovacon_pick_arch() {
    if [ -n "${TOVACON_ARCH:-}" ]; then
        ARCH=$TOVACON_ARCH
    elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
        ARCH=i686
    else
        ARCH=x86_64
        echo "note: this machine cannot run 32-bit programs; running the x86-64 build of the same sources under 64-bit Wine" >&2
    fi
    BUILD_DIR=${TOVACON_BUILD_DIR:-$ROOT/build/mingw-$ARCH}
    if [ "$ARCH" = i686 ]; then
        WINE=/usr/lib/wine/wine; WINESERVER=/usr/lib/wine/wineserver; export WINEARCH=win32
    else
        WINE=/usr/lib/wine/wine64; WINESERVER=/usr/lib/wine/wineserver64; export WINEARCH=win64
        export WINELOADER=$WINE
    fi
    export WINEPREFIX=${TOVACON_WINEPREFIX:-$BUILD_DIR/wine}
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINE WINESERVER
}

# tovacon_build <arch> <build dir>: configure (first time) and build.
tovacon_build() {
    local arch=$1 dir=$2
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-$arch.cmake" \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$WINE" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}

tovacon_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "creating the Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        "$WINE" wineboot -i >/dev/null 2>&1 || true
        "$WINESERVER" -w
        [ -f "$WINEPREFIX/system.reg" ] || { echo "error: could not create the Wine prefix" >&2; return 1; }
    fi
}

XVFB_PID=""
tovacon_display() {
    if [ -n "${DISPLAY:-}" ]; then return 0; fi
    local n
    for n in $(seq 91 120); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
    echo "error: Xvfb did not start" >&2
    return 1
}

tovacon_cleanup() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
}
