#!/usr/bin/env bash
# CMake's crosscompiling emulator: runs one PE32 program in the test session's Wine prefix and display.
# Usage: wine-run.sh SESSION_DIR PROGRAM [ARGS...]
set -u
session=$1; shift
export WINEARCH=win32 WINEPREFIX=$session/prefix WINEDEBUG=${WINEDEBUG:--all}
if [ -f "$session/display" ]; then export DISPLAY=$(cat "$session/display"); fi
# Environment values reach the program as Windows paths where they name files.
for v in QUENNEX_SOURCE_DIR QUENNEX_FIXTURES; do
  if [ -n "${!v:-}" ]; then export "$v=Z:${!v//\//\\}"; fi
done
exec wine "$@"
