#!/usr/bin/env bash
# Draws a picture of every window of quennex and setup under Wine, on a private display, and keeps them as
# PNG files for the README. Run it after a build (scripts/test.sh, or QUENNEX_BUILD naming the build folder).
# Usage: scripts/screenshots.sh [FOLDER]   (default: docs/pictures)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUENNEX_BUILD:-$root/build}
out=${1:-$root/docs/pictures}
if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "no build in $build: run scripts/test.sh first, or set QUENNEX_BUILD" >&2
  exit 1
fi
command -v convert >/dev/null || { echo "ImageMagick's convert is needed" >&2; exit 1; }
cmake --build "$build" --target quennex_pictures setup_pictures

# A session of its own beside the tests' one, of the same Wine kind.
session=$build/pictures-session
mkdir -p "$session"
if [ -f "$build/wine-session/arch" ]; then cp "$build/wine-session/arch" "$session/"; fi
"$root/cmake/wine-session.sh" start "$session" >/dev/null
trap '"$root/cmake/wine-session.sh" stop "$session" >/dev/null' EXIT

work=$build/tests/pictures
rm -rf "$work/bmp"
cd "$work"
# A window that nobody answers would keep a program waiting.
QUENNEX_SOURCE_DIR=$root timeout 300 "$root/cmake/wine-run.sh" "$session" ./quennex_pictures.exe bmp
timeout 300 "$root/cmake/wine-run.sh" "$session" ./setup_pictures.exe bmp

mkdir -p "$out"
for bmp in bmp/*.bmp; do
  name=$(basename "${bmp%.bmp}")
  convert "$bmp" -strip -define png:compression-level=9 "$out/$name.png"
done
echo "pictures in $out:"
ls -l "$out"
