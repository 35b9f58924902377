#!/usr/bin/env bash
# Extraction speed: quennex's extraction loop under Wine next to native bsdtar and unzip loops over
# the same 1,000 ZIP and 1,000 RAR archives; quennex's alone over 1,000 ACE archives; then, when the
# real archives of ../shared/fixtures are there, over 1,000 ZIP archives of the Shrink and Implode
# methods made from their members.
# Usage: bench/run.sh [BUILD_DIR]   (default: the build scripts/test.sh tests on this host, see
# QUENNEX_ARCH in scripts/host.sh; a finished build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/host.sh"
build=$(cd "${1:-$quennex_build}" && pwd)
exe=$build/bench/extraction_bench.exe
[ -f "$exe" ] || { echo "no $exe; build first" >&2; exit 1; }
data=$build/bench-data
windows_data="Z:${data//\//\\}"

# Measured as scripts/run.sh runs quennex: the whole Wine session on one CPU (QUENNEX_PIN=0: on every CPU),
# in a prefix in the home folder like run.sh's. The wineserver resolves every folder of a file's path on
# each open, so a prefix deep in the build folder makes every file call dearer than the user's are.
arch=$(cat "$build/wine-session/arch" 2>/dev/null || echo "$quennex_arch")
session=$HOME/.quennex-bench-$arch
mkdir -p "$session"
echo "$arch" >"$session/arch"
all_cpus=$(awk '/^Cpus_allowed_list:/ { print $2 }' /proc/self/status)
source "$root/cmake/wine-env.sh"
wine_pin_session bench
"$root/cmake/wine-session.sh" start "$session" >/dev/null
trap '"$root/cmake/wine-session.sh" stop "$session" >/dev/null' EXIT
run() { "$root/cmake/wine-run.sh" "$session" "$@"; }
# The probe pass and a whole run again in a session on every CPU, for comparison.
unpinned_probe() {
  [ "$(wine_one_cpu)" != "" ] || return 0
  "$root/cmake/wine-session.sh" stop "$session" >/dev/null
  taskset -p -c "$all_cpus" $$ >/dev/null
  "$root/cmake/wine-session.sh" start "$session" >/dev/null
  run wineboot >/dev/null 2>&1 || true
  echo "the same session on every CPU ($all_cpus):"
  run "$build/bench/probe_bench.exe" "$windows_data" | grep -E 'probe pass|whole run|wait for Stop' || true
}
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

rate() {  # rate LABEL FOLDER GLOB COMMAND... : runs COMMAND ARCHIVE for every archive GLOB matches, warm
  local label=$1 folder=$2 glob=$3 pinned=; shift 3
  # Native tools run where the system puts them.
  if [ -n "$(wine_one_cpu)" ]; then
    pinned=$(taskset -c -p $$ | sed 's/.*: //')
    taskset -c -p "$all_cpus" $$ >/dev/null
  fi
  for f in "$folder"/$glob; do "$@" "$f" >/dev/null 2>&1; done
  local start end n
  start=$(date +%s.%N)
  n=0
  for f in "$folder"/$glob; do "$@" "$f" >/dev/null 2>&1; n=$((n + 1)); done
  end=$(date +%s.%N)
  awk -v n="$n" -v s="$start" -v e="$end" -v l="$label" -v k="$glob" \
    'BEGIN { printf "native %-6s %-24s %5d archives, %7.0f archives/s (warm)\n", k, l ":", n, n / (e - s) }'
  if [ -n "$pinned" ]; then taskset -c -p "$pinned" $$ >/dev/null; fi
}
bsdtar_diz() { bsdtar -xOf "$1" file_id.diz; }
unzip_diz() { unzip -p "$1" file_id.diz; }
rate "bsdtar -xOf loop" "$data" "*.zip" bsdtar_diz
rate "unzip -p loop" "$data" "*.zip" unzip_diz
rate "bsdtar -xOf loop" "$data" "*.rar" bsdtar_diz

aces=$build/bench-ace
if [ ! -f "$aces/e0999.ace" ]; then
  rm -rf "$aces"
  run "$exe" make-ace "Z:${aces//\//\\}" 1000
fi
echo "ACE archives: $(ls "$aces"/*.ace | wc -l) of stored members, $(du -sh "$aces" | cut -f1) in all (no native loop reads ACE)"
run "$exe" run "Z:${aces//\//\\}" "*.ace"

fixtures=$root/../shared/fixtures
[ -d "$fixtures/legacy" ] || { echo "no $fixtures/legacy: no Shrink and Implode archives"; unpinned_probe; exit 0; }
fixtures=$(cd "$fixtures" && pwd)
legacy=$build/bench-legacy
windows_legacy="Z:${legacy//\//\\}"
if [ ! -f "$legacy/i0999.zip" ]; then
  rm -rf "$legacy"
  run "$exe" make-legacy "$windows_legacy" 1000 "Z:${fixtures//\//\\}"
fi
echo "legacy archives: $(ls "$legacy"/s*.zip | wc -l) Shrink, $(ls "$legacy"/i*.zip | wc -l) Implode, $(du -sh "$legacy" | cut -f1) in all"
run "$exe" run "$windows_legacy" "s*.zip" "i*.zip"
rate "unzip -p loop" "$legacy" "s*.zip" unzip_diz
rate "unzip -p loop" "$legacy" "i*.zip" unzip_diz
unpinned_probe
