#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent; quiet when all is there.
set -euo pipefail

need_root() {
  if [ "$(id -u)" != 0 ]; then
    if command -v sudo >/dev/null; then exec sudo -E bash "$0" "$@"; fi
    echo "bootstrap: run as root (or with sudo) to install packages" >&2
    exit 1
  fi
}

source "$(dirname "$0")/host.sh"

packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev cmake make ninja-build
  wine wine64 fonts-wine xvfb x11-utils xdotool imagemagick
  googletest dpkg-dev autoconf automake libtool pkg-config
  python3 python3-xlrd liblnk-utils unzip libarchive-tools zip clang-format git clang libclang-rt-14-dev
)

# Wine's 32-bit part only where the host can run it.
i386=0
if host_runs_32bit_code; then
  i386=1
  packages+=(wine32:i386)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
srcs=/etc/apt/sources.list.d/debian.sources
needs_src=0
if [ -f "$srcs" ] && grep -q '^Types: deb$' "$srcs"; then needs_src=1; fi
if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list && ! grep -q '^deb-src ' /etc/apt/sources.list; then needs_src=1; fi

if [ ${#missing[@]} -eq 0 ] && [ $needs_src = 0 ] && { [ $i386 = 0 ] || dpkg --print-foreign-architectures | grep -qx i386; }; then
  exit 0
fi
need_root "$@"

export DEBIAN_FRONTEND=noninteractive
if [ $i386 = 1 ]; then dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386; fi
if [ -f "$srcs" ]; then sed -i 's/^Types: deb$/Types: deb deb-src/' "$srcs"; fi
if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list && ! grep -q '^deb-src ' /etc/apt/sources.list; then
  sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >>/etc/apt/sources.list
fi
echo "bootstrap: installing ${missing[*]:-(source lists)}"
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
