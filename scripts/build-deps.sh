#!/usr/bin/env bash
# Cross-builds the third-party libraries from Debian's source packages into a cache folder.
# Usage: build-deps.sh CACHE_DIR [i686|x86_64]   (a library already in the cache is not built again)
set -euo pipefail
cache=${1:?cache folder}
arch=${2:-i686}
here=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$here/cmake/toolchain-mingw32.cmake
triple=$arch-w64-mingw32
prefix=$cache/$arch
mkdir -p "$cache/src" "$prefix"
jobs=$(nproc)
log=$cache/build-$arch.log
# The toolchain file builds for the architecture it is given.
cross=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQUENNEX_ARCH="$arch")
# libarchive's configure runs a test program; a 64-bit one runs under wine64.
if [ "$arch" = x86_64 ]; then cross+=(-DCMAKE_CROSSCOMPILING_EMULATOR=/usr/lib/wine/wine64); fi

# Runs a build step with its output in the log; shows the log's end when the step fails.
quietly() {
  if ! "$@" >>"$log" 2>&1; then
    echo "build-deps: failed: $*" >&2
    tail -n 40 "$log" >&2
    exit 1
  fi
}

fetch_source() { # package -> prints the unpacked source folder
  local pkg=$1 dir
  dir=$(find "$cache/src" -maxdepth 1 -type d -name "$pkg-*" | head -n 1)
  if [ -z "$dir" ]; then
    (cd "$cache/src" && apt-get source -qq "$pkg" >/dev/null 2>&1) ||
      { echo "build-deps: apt-get source $pkg failed (is deb-src enabled? run scripts/bootstrap.sh)" >&2; exit 1; }
    dir=$(find "$cache/src" -maxdepth 1 -type d -name "$pkg-*" | head -n 1)
  fi
  echo "$dir"
}

build_libjpeg() {
  [ -f "$prefix/lib/libjpeg.a" ] && return
  echo "build-deps: libjpeg-turbo"
  local src; src=$(fetch_source libjpeg-turbo)
  rm -rf "$cache/build-jpeg-$arch"
  quietly cmake -S "$src" -B "$cache/build-jpeg-$arch" "${cross[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
  quietly cmake --build "$cache/build-jpeg-$arch" --target jpeg-static -j "$jobs"
  mkdir -p "$prefix/include" "$prefix/lib"
  cp "$cache/build-jpeg-$arch/libjpeg.a" "$prefix/lib/"
  cp "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$cache/build-jpeg-$arch/jconfig.h" "$prefix/include/"
}

build_libarchive() {
  [ -f "$prefix/lib/libarchive.a" ] && return
  echo "build-deps: libarchive"
  local src; src=$(fetch_source libarchive)
  rm -rf "$cache/build-archive-$arch"
  quietly cmake -S "$src" -B "$cache/build-archive-$arch" "${cross[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_OPENSSL=OFF -DENABLE_LZMA=OFF -DENABLE_BZip2=OFF -DENABLE_ZSTD=OFF \
    -DENABLE_LZ4=OFF -DENABLE_LIBXML2=OFF -DENABLE_EXPAT=OFF -DENABLE_ICONV=OFF -DENABLE_CNG=OFF -DENABLE_ACL=OFF \
    -DENABLE_XATTR=OFF -DENABLE_TEST=OFF -DENABLE_TAR=OFF -DENABLE_CPIO=OFF -DENABLE_CAT=OFF \
    -DENABLE_LIBB2=OFF -DENABLE_PCREPOSIX=OFF -DENABLE_PCRE2POSIX=OFF -Wno-dev -DENABLE_MBEDTLS=OFF -DENABLE_NETTLE=OFF -DENABLE_WERROR=OFF \
    -DZLIB_LIBRARY=/usr/$triple/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/$triple/include \
    -DCMAKE_C_FLAGS=-DZLIB_STATIC
  quietly cmake --build "$cache/build-archive-$arch" --target archive_static -j "$jobs"
  mkdir -p "$prefix/include" "$prefix/lib"
  cp "$cache/build-archive-$arch/libarchive/libarchive_static.a" "$prefix/lib/libarchive.a"
  cp "$src/libarchive/archive.h" "$src/libarchive/archive_entry.h" "$prefix/include/"
}

build_libopenmpt() {
  [ -f "$prefix/lib/libopenmpt.a" ] && return
  echo "build-deps: libopenmpt"
  local src; src=$(fetch_source libopenmpt)
  rm -rf "$cache/build-openmpt-$arch"
  mkdir -p "$cache/build-openmpt-$arch"
  (cd "$src" && [ -x configure ] || autoreconf -fi >/dev/null 2>&1)
  quietly env -C "$cache/build-openmpt-$arch" "$src/configure" --host=$triple --prefix="$prefix" --disable-shared --enable-static \
    CC=$triple-gcc-posix CXX=$triple-g++-posix \
    --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile --without-zlib --without-portaudio \
    --without-portaudiocpp --without-pulseaudio --without-sndfile --without-flac \
    --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc
  quietly make -C "$cache/build-openmpt-$arch" -j "$jobs"
  quietly make -C "$cache/build-openmpt-$arch" install
}

build_libjpeg
build_libarchive
build_libopenmpt
echo "build-deps: all in $prefix"
