#!/usr/bin/env bash
# CMake's crosscompiling emulator: runs one Windows program in the test session's Wine prefix and display.
# Usage: wine-run.sh SESSION_DIR PROGRAM [ARGS...]
set -u
session=$1; shift
source "$(dirname "$0")/wine-env.sh"
export WINEDEBUG=${WINEDEBUG:--all}
if [ -f "$session/display" ]; then export DISPLAY=$(cat "$session/display"); fi
# Environment values reach the program as Windows paths where they name files.
for v in QUENNEX_SOURCE_DIR QUENNEX_FIXTURES; do
  if [ -n "${!v:-}" ]; then export "$v=Z:${!v//\//\\}"; fi
done
exec "$WINELOADER" "$@"
