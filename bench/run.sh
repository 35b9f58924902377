#!/usr/bin/env bash
# Extraction speed: quennex's extraction loop under Wine next to native bsdtar and unzip loops over
# the same 1,000 ZIP and 1,000 RAR archives.
# Usage: bench/run.sh [BUILD_DIR]   (default: the build scripts/test.sh tests on this host, see
# QUENNEX_ARCH in scripts/host.sh; a finished build whose Wine session no test uses now)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/host.sh"
build=$(cd "${1:-$quennex_build}" && pwd)
exe=$build/bench/extraction_bench.exe
[ -f "$exe" ] || { echo "no $exe; build first" >&2; exit 1; }
session=$build/wine-session
data=$build/bench-data
windows_data="Z:${data//\//\\}"

"$root/cmake/wine-session.sh" start "$session" >/dev/null
trap '"$root/cmake/wine-session.sh" stop "$session" >/dev/null' EXIT
run() { "$root/cmake/wine-run.sh" "$session" "$@"; }
run wineboot >/dev/null 2>&1 || true

if [ ! -f "$data/a0999.rar" ]; then
  rm -rf "$data"
  run "$exe" make "$windows_data" 1000
fi
echo "archives: $(ls "$data"/*.zip | wc -l) ZIP, $(ls "$data"/*.rar | wc -l) RAR, $(du -sh "$data" | cut -f1) in all"
# Wine keeps itself busy for some seconds after the session starts; a first round lets it settle.
run "$exe" run "$windows_data" >/dev/null
run "$exe" run "$windows_data"
run "$build/bench/probe_bench.exe" "$windows_data"

rate() {  # rate LABEL COMMAND... : runs COMMAND ARCHIVE for every archive of the label's kind, warm
  local label=$1 kind=$2; shift 2
  for f in "$data"/*."$kind"; do "$@" "$f" >/dev/null 2>&1; done
  local start end n
  start=$(date +%s.%N)
  n=0
  for f in "$data"/*."$kind"; do "$@" "$f" >/dev/null 2>&1; n=$((n + 1)); done
  end=$(date +%s.%N)
  awk -v n="$n" -v s="$start" -v e="$end" -v l="$label" -v k="$kind" \
    'BEGIN { printf "native %-4s %-28s %5d archives, %7.0f archives/s (warm)\n", k, l ":", n, n / (e - s) }'
}
bsdtar_diz() { bsdtar -xOf "$1" file_id.diz; }
unzip_diz() { unzip -p "$1" file_id.diz; }
rate "bsdtar -xOf loop" zip bsdtar_diz
rate "unzip -p loop" zip unzip_diz
rate "bsdtar -xOf loop" rar bsdtar_diz
