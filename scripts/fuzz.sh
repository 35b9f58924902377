#!/usr/bin/env bash
# Fuzzes one decoder, or the text path, natively with libFuzzer, ASan and UBSan.
#   scripts/fuzz.sh NAME SECONDS WORK_FOLDER [OPTION FILE]...
# Options (each may repeat):
#   --include DIR   a header folder
#   --source FILE   compiled into the fuzzer; one of them holds LLVMFuzzerTestOneInput
#   --hot FILE      as --source, but without comparison tracing: per-bit and per-byte loops run at
#                   half speed with it and it finds little there
#   --seeder FILE   built (without sanitizers) into a program that writes seed files into the folder
#                   it is given
#   --seeds FILE    copied in as a seed; a pattern that matches nothing is reported and skipped
# The work folder keeps the build, the growing corpus, the log and any crashing inputs. Fails on any
# crash, leak, timeout or sanitizer report, and on a "fuzz_...: " line from the target itself.
set -euo pipefail

usage() {
  echo "usage: $0 NAME SECONDS WORK_FOLDER [--include DIR|--source FILE|--hot FILE|--seeder FILE|--seeds FILE]..." >&2
  exit 2
}
if [ $# -lt 3 ] || ! [[ $2 =~ ^[0-9]+$ ]]; then usage; fi
name=$1
seconds=$2
work=$(mkdir -p "$3" && cd "$3" && pwd)
shift 3
includes=() sources=() hot=() seeders=() seeds=()
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case $1 in
    --include) includes+=("-I$2") ;;
    --source) sources+=("$2") ;;
    --hot) hot+=("$2") ;;
    --seeder) seeders+=("$2") ;;
    --seeds) seeds+=("$2") ;;
    *) usage ;;
  esac
  shift 2
done
cxx=${CXX_FUZZ:-clang++}

if ! command -v "$cxx" >/dev/null; then
  echo "fuzz $name: $cxx not found; run scripts/bootstrap.sh (installs clang and libclang-rt-14-dev)" >&2
  exit 1
fi

flags=(-std=c++20 -O1 -g -Wall -Wextra -Werror -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
  "${includes[@]}")
fuzzer=$work/fuzz_$name
seeder=$work/seeds_$name
headers=()
for dir in "${includes[@]}"; do headers+=("${dir#-I}"/*.h); done

stale() {  # target, then what it is made from
  local target=$1
  shift
  [ -x "$target" ] || return 0
  local f
  for f in "$@" "$0" "${headers[@]}"; do [ -e "$f" ] && [ "$f" -nt "$target" ] && return 0; done
  return 1
}

if stale "$fuzzer" "${sources[@]}" "${hot[@]}"; then
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' >"$work/probe.cpp"
  if ! "$cxx" -fsanitize=fuzzer,address,undefined "$work/probe.cpp" -o "$work/probe" 2>"$work/probe.log"; then
    cat "$work/probe.log" >&2
    echo "fuzz $name: $cxx cannot link a libFuzzer program; run scripts/bootstrap.sh (installs libclang-rt-14-dev)" >&2
    exit 1
  fi
  rm -f "$work/probe" "$work/probe.cpp" "$work/probe.log"
  echo "fuzz $name: building $fuzzer"
  mkdir -p "$work/obj"
  objects=()
  pids=()
  for src in "${sources[@]}" "${hot[@]}"; do
    obj=$work/obj/$(basename "$src" .cpp).o
    extra=()
    for h in "${hot[@]}"; do [ "$h" = "$src" ] && extra=(-fno-sanitize-coverage=trace-cmp); done
    "$cxx" "${flags[@]}" "${extra[@]}" -c "$src" -o "$obj" &
    pids+=($!)
    objects+=("$obj")
  done
  for pid in "${pids[@]}"; do wait "$pid"; done
  "$cxx" "${flags[@]}" "${objects[@]}" -o "$fuzzer"
fi
if [ ${#seeders[@]} -gt 0 ] && stale "$seeder" "${seeders[@]}"; then
  "$cxx" -std=c++20 -O1 -Wall -Wextra -Werror "${includes[@]}" "${seeders[@]}" -o "$seeder"
fi

rm -rf "$work/seeds"
mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts"
if [ ${#seeders[@]} -gt 0 ]; then "$seeder" "$work/seeds"; fi
for pattern in "${seeds[@]}"; do
  found=0
  for f in $pattern; do
    if [ -f "$f" ]; then
      cp "$f" "$work/seeds/"
      found=1
    fi
  done
  if [ $found = 0 ]; then echo "fuzz $name: no seed files at $pattern"; fi
done

log=$work/fuzz.log
echo "fuzz $name: fuzzing for $seconds s (log: $log)"
status=0
"$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -timeout=25 -rss_limit_mb=2048 \
  -artifact_prefix="$work/artifacts/" "$work/corpus" "$work/seeds" >"$log" 2>&1 || status=$?

grep -E '^stat::' "$log" || true
executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
finding='ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error:|^fuzz_[a-z_]+: '
reports=$(grep -cE "$finding" "$log" || true)
if [ "$status" != 0 ] || [ "$reports" != 0 ] || [ -z "$executed" ]; then
  first=$(grep -nE -m1 "$finding" "$log" | cut -d: -f1)
  if [ -n "$first" ]; then sed -n "$((first > 5 ? first - 5 : 1)),$((first + 40))p" "$log" >&2; fi
  tail -n 12 "$log" >&2
  echo "fuzz $name: FAILED (exit $status, $reports reports); inputs kept in $work/artifacts" >&2
  exit 1
fi
echo "fuzz $name: $executed inputs run, no findings"
