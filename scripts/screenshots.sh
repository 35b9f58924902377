#!/usr/bin/env bash
# Draws a picture of every window of quennex and setup under Wine, on a private display, and keeps them as
# PNG files for the README. Builds what is missing first, as scripts/test.sh does.
# Usage: scripts/screenshots.sh [FOLDER]   (default: docs/pictures)
set -euo pipefail
source "$(dirname "$0")/host.sh"
out=${1:-$quennex_root/docs/pictures}
command -v convert >/dev/null || { echo "ImageMagick's convert is needed" >&2; exit 1; }
[ -f "$quennex_build/CMakeCache.txt" ] || quennex_prepare_build
cmake --build "$quennex_build" --target quennex_pictures setup_pictures

# A session of its own beside the tests' one, of the build's Wine kind.
session=$quennex_build/pictures-session
mkdir -p "$session"
echo "$quennex_arch" >"$session/arch"
"$quennex_root/cmake/wine-session.sh" start "$session" >/dev/null
trap '"$quennex_root/cmake/wine-session.sh" stop "$session" >/dev/null' EXIT

# The credits tune plays into ALSA's null output rather than complain about a missing sound card.
quiet_home=$session/null-sound-home
mkdir -p "$quiet_home"
echo 'pcm.!default { type null }' >"$quiet_home/.asoundrc"

cd "$quennex_build/tests/pictures"
rm -rf bmp
# A window that nobody answers would keep a program waiting.
HOME=$quiet_home QUENNEX_SOURCE_DIR=$quennex_root timeout 300 "$quennex_root/cmake/wine-run.sh" "$session" \
  ./quennex_pictures.exe bmp
HOME=$quiet_home timeout 300 "$quennex_root/cmake/wine-run.sh" "$session" ./setup_pictures.exe bmp

mkdir -p "$out"
for bmp in bmp/*.bmp; do
  name=$(basename "${bmp%.bmp}")
  convert "$bmp" -strip -define png:compression-level=9 "$out/$name.png"
done
echo "pictures in $out:"
ls -l "$out"
