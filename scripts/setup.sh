#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12: the i686 mingw-w64
# cross compilers, 32-bit Wine, Xvfb and the X tools the end-to-end tests use,
# and clang with libFuzzer for the fuzzing build.
# Skips the install when everything is already present. Safe to rerun.
set -euo pipefail

need_cmds=(i686-w64-mingw32-g++-posix i686-w64-mingw32-gcc-posix i686-w64-mingw32-windres
           x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres
           cmake wine Xvfb xdotool xwd convert clang++-14)
packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 xvfb xauth xdotool x11-apps
          imagemagick fonts-wine cmake googletest locales clang-14 libclang-rt-14-dev)

missing=()
for c in "${need_cmds[@]}"; do command -v "$c" >/dev/null 2>&1 || missing+=("$c"); done
[ -d /usr/src/googletest/googletest ] || missing+=("googletest sources")
dpkg -s wine32:i386 >/dev/null 2>&1 || missing+=("wine32:i386")
[ -x /usr/lib/wine/wine64 ] || missing+=("wine64")
locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$' || missing+=("ja_JP.UTF-8 locale")
# The fuzzing build (scripts/fuzz.sh) needs libFuzzer and the sanitizer runtimes.
compgen -G '/usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null || missing+=("libFuzzer runtime")

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: toolchain already installed"
    exit 0
fi
echo "setup: missing: ${missing[*]}"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
        echo "setup: ERROR: not root and no sudo; cannot install: ${packages[*]}" >&2
        exit 1
    fi
fi

$SUDO dpkg --add-architecture i386
# The i386 security index can lag behind amd64 and make 'update' exit 100;
# what it fetched is still usable, and the install takes the main suite.
$SUDO apt-get update || echo "setup: apt-get update reported errors; going on with the main suite"
if ! $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -t bookworm --no-install-recommends "${packages[@]}"; then
    echo "setup: ERROR: could not install: ${packages[*]}" >&2
    exit 1
fi

# Code-page 932 tests run Wine under ja_JP.UTF-8.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    if [ -f /etc/locale.gen ]; then
        $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
        grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
    $SUDO locale-gen || { echo "setup: ERROR: could not generate the ja_JP.UTF-8 locale" >&2; exit 1; }
fi

for c in "${need_cmds[@]}"; do
    command -v "$c" >/dev/null 2>&1 || { echo "setup: ERROR: '$c' still missing after install" >&2; exit 1; }
done
echo "setup: toolchain installed"
