#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine.
set -euo pipefail
source "$(dirname "$0")/host.sh"
quennex_prepare_build
echo "test.sh: testing the $quennex_arch build in $quennex_build"
cmake --build "$quennex_build" -j "$(nproc)"
cd "$quennex_build"
ctest --output-on-failure -j 4 "$@"
