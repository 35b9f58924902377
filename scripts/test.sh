#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${QUENNEX_DEPS_CACHE:-$HOME/.cache/quennex-deps}
build=${QUENNEX_BUILD:-$root/build}

bash "$root/scripts/bootstrap.sh"
bash "$root/scripts/build-deps.sh" "$cache"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw32.cmake" \
  -DQUENNEX_DEPS="$cache/i686" >/dev/null
cmake --build "$build" -j "$(nproc)"
cd "$build"
ctest --output-on-failure -j 4 "$@"
