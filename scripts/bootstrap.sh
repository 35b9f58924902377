#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent; quiet when all is there.
# Usage: bootstrap.sh [i686|x86_64]   (the build to prepare, by default the one scripts/host.sh chooses;
# only i686 needs Wine's 32-bit part)
# Exits 0 when all is there, 3 when everything but Wine's 32-bit part is (the caller may fall back to the
# x86-64 build), 1 when a package that every build needs could not be installed.
set -euo pipefail

if [ -n "${1:-}" ]; then arch=$1; else source "$(dirname "$0")/host.sh"; arch=$quennex_arch; fi

need_root() {
  if [ "$(id -u)" != 0 ]; then
    if command -v sudo >/dev/null; then exec sudo -E bash "$0" "$@"; fi
    echo "bootstrap: run as root (or with sudo) to install packages" >&2
    exit 1
  fi
}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev cmake make ninja-build
  wine wine64 fonts-wine xvfb x11-utils xdotool imagemagick util-linux procps
  googletest dpkg-dev autoconf automake libtool pkg-config
  python3 python3-xlrd liblnk-utils unzip libarchive-tools zip clang-format git clang libclang-rt-14-dev
)
wine32=wine32:i386

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
wants_wine32=0
if [ "$arch" = i686 ] && ! installed $wine32; then wants_wine32=1; fi
srcs=/etc/apt/sources.list.d/debian.sources
needs_src=0
if [ -f "$srcs" ] && grep -q '^Types: deb$' "$srcs"; then needs_src=1; fi
if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list && ! grep -q '^deb-src ' /etc/apt/sources.list; then needs_src=1; fi

if [ ${#missing[@]} -eq 0 ] && [ $needs_src = 0 ] && [ $wants_wine32 = 0 ]; then exit 0; fi
need_root "$@"

export DEBIAN_FRONTEND=noninteractive
added_i386=0
if [ $wants_wine32 = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  added_i386=1
fi
if [ -f "$srcs" ]; then sed -i 's/^Types: deb$/Types: deb deb-src/' "$srcs"; fi
if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list && ! grep -q '^deb-src ' /etc/apt/sources.list; then
  sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >>/etc/apt/sources.list
fi

# A mirror in the middle of a sync serves an index of the wrong size for a while; apt then leaves that index out.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
update_index() {
  local try
  for try in 1 2 3; do
    apt-get update -qq >"$log" 2>&1 && return 0
    [ $try = 3 ] || sleep $((try * 5))
  done
  echo "bootstrap: apt-get update failed on some index three times ($(grep -m 1 -E '^(E|W):' "$log" || tail -n 1 "$log")); going on, the install decides" >&2
}

todo=("${missing[@]}")
if [ $wants_wine32 = 1 ]; then todo+=($wine32); fi
echo "bootstrap: installing ${todo[*]:-(source lists)}"
update_index
if [ ${#missing[@]} -gt 0 ] || [ $needs_src = 1 ]; then
  if ! apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null; then
    echo "bootstrap: the packages every build needs could not be installed (apt's message is above); stopping" >&2
    exit 1
  fi
fi
if [ $wants_wine32 = 1 ] && ! apt-get install -y -qq --no-install-recommends $wine32 >"$log" 2>&1; then
  echo "bootstrap: $wine32 cannot be installed now: $(grep -m 1 '^E:' "$log" || tail -n 1 "$log")" >&2
  # Leave the machine as it was: an i386 index that does not download would slow every later update.
  if [ $added_i386 = 1 ]; then dpkg --remove-architecture i386 2>/dev/null || true; fi
  exit 3
fi
exit 0
