#!/usr/bin/env bash
# Installs what is missing, builds quennex and starts it under Wine on this display.
set -euo pipefail
source "$(dirname "$0")/host.sh"

if [ -z "${DISPLAY:-}" ]; then
  echo "quennex is a desktop program and needs a display, but DISPLAY is not set." >&2
  echo "Run this from a graphical session (or under Xvfb with a VNC viewer)." >&2
  exit 1
fi
quennex_prepare_build
cmake --build "$quennex_build" -j "$(nproc)" --target quennex
echo "Source folder to try: $quennex_root/demo (in the folder picker: My Computer, Z:, then that path)"
cd "$quennex_build/extractor"
source "$quennex_root/cmake/wine-env.sh"
if [ "$quennex_arch" = x86_64 ]; then prefix=$HOME/.wine-quennex64; else prefix=$HOME/.wine-quennex; fi
wine_use "$quennex_arch" "${WINEPREFIX:-$prefix}"
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine_pin_session run.sh
wine_make_prefix "$WINEPREFIX.log"
exec "$WINELOADER" ./quennex.exe
