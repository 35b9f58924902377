#!/usr/bin/env bash
# Installs what is missing, builds quennex and starts it under Wine on this display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${QUENNEX_DEPS_CACHE:-$HOME/.cache/quennex-deps}
build=${QUENNEX_BUILD:-$root/build}

if [ -z "${DISPLAY:-}" ]; then
  echo "quennex is a desktop program and needs a display, but DISPLAY is not set." >&2
  echo "Run this from a graphical session (or under Xvfb with a VNC viewer)." >&2
  exit 1
fi
bash "$root/scripts/bootstrap.sh"
bash "$root/scripts/build-deps.sh" "$cache"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw32.cmake" \
  -DQUENNEX_DEPS="$cache/i686" >/dev/null
cmake --build "$build" -j "$(nproc)" --target quennex
app=$build/extractor
echo "Source folder to try: $root/demo (in the folder picker: My Computer, Z:, then that path)"
cd "$app"
export WINEARCH=win32 WINEPREFIX=${WINEPREFIX:-$HOME/.wine-quennex} WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine ./quennex.exe
