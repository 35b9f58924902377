#!/usr/bin/env bash
# Fuzzes the ACE decoder natively with libFuzzer, ASan and UBSan.
#   scripts/fuzz-ace.sh SECONDS [WORK_FOLDER]
# The work folder keeps the build, the growing corpus, the log and any crashing inputs
# (default: build-ace-fuzz in the repository). Fails on any crash, leak, timeout or sanitizer report.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 SECONDS [WORK_FOLDER]" >&2
  exit 2
fi
seconds=$1
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mkdir -p "${2:-$root/build-ace-fuzz}" && cd "${2:-$root/build-ace-fuzz}" && pwd)
decoder=$root/outside/unacev2
tests=$root/tests/ace
cxx=${CXX_FUZZ:-clang++}

if ! command -v "$cxx" >/dev/null; then
  echo "fuzz-ace: $cxx not found; run scripts/bootstrap.sh (installs clang and libclang-rt-14-dev)" >&2
  exit 1
fi

flags=(-std=c++20 -O1 -g -Wall -Wextra -Werror -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
  -I"$decoder" -I"$tests")
decoder_sources=("$decoder"/ace_*.cpp)
sources=("${decoder_sources[@]}" "$tests/fuzz_ace_decoder.cpp")
fuzzer=$work/fuzz_ace_decoder
seeder=$work/fuzz_ace_seeds

stale() {  # target, then what it is made from
  local target=$1
  shift
  [ -x "$target" ] || return 0
  local f
  for f in "$@" "$0" "$decoder"/*.h "$tests"/*.h; do [ "$f" -nt "$target" ] && return 0; done
  return 1
}

if stale "$fuzzer" "${sources[@]}"; then
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' >"$work/probe.cpp"
  if ! "$cxx" -fsanitize=fuzzer,address,undefined "$work/probe.cpp" -o "$work/probe" 2>"$work/probe.log"; then
    cat "$work/probe.log" >&2
    echo "fuzz-ace: $cxx cannot link a libFuzzer program; run scripts/bootstrap.sh (installs libclang-rt-14-dev)" >&2
    exit 1
  fi
  rm -f "$work/probe" "$work/probe.cpp" "$work/probe.log"
  echo "fuzz-ace: building $fuzzer"
  mkdir -p "$work/obj"
  objects=()
  pids=()
  for src in "${sources[@]}"; do
    obj=$work/obj/$(basename "$src" .cpp).o
    # Comparison tracing in the per-bit and per-byte loops halves the speed and finds little there;
    # the header checks keep it.
    extra=()
    case $src in */ace_decoder.cpp | */fuzz_*.cpp) ;; *) extra=(-fno-sanitize-coverage=trace-cmp) ;; esac
    "$cxx" "${flags[@]}" "${extra[@]}" -c "$src" -o "$obj" &
    pids+=($!)
    objects+=("$obj")
  done
  for pid in "${pids[@]}"; do wait "$pid"; done
  "$cxx" "${flags[@]}" "${objects[@]}" -o "$fuzzer"
fi
writers=("$tests/ace_writer.cpp" "$tests/blocked_writer.cpp")
if stale "$seeder" "$tests/fuzz_ace_seeds.cpp" "${writers[@]}" "${decoder_sources[@]}"; then
  "$cxx" -std=c++20 -O1 -Wall -Wextra -Werror -I"$decoder" -I"$tests" "$tests/fuzz_ace_seeds.cpp" "${writers[@]}" \
    "${decoder_sources[@]}" -o "$seeder"
fi

# Seeds: what the real archiver wrote, plus stored archives of our own.
rm -rf "$work/seeds"
mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts"
"$seeder" "$work/seeds"
fixtures=$root/../shared/fixtures/ace
if [ -d "$fixtures" ]; then
  cp "$fixtures"/*.ace "$work/seeds/"
else
  echo "fuzz-ace: no fixture archives at $fixtures; seeding with our own only"
fi

log=$work/fuzz.log
echo "fuzz-ace: fuzzing for $seconds s (log: $log)"
status=0
"$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -timeout=25 -rss_limit_mb=2048 \
  -artifact_prefix="$work/artifacts/" "$work/corpus" "$work/seeds" >"$log" 2>&1 || status=$?

grep -E '^stat::' "$log" || true
executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
finding='ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error:|fuzz_ace_decoder: member'
reports=$(grep -cE "$finding" "$log" || true)
if [ "$status" != 0 ] || [ "$reports" != 0 ] || [ -z "$executed" ]; then
  first=$(grep -nE -m1 "$finding" "$log" | cut -d: -f1)
  if [ -n "$first" ]; then sed -n "$((first > 5 ? first - 5 : 1)),$((first + 40))p" "$log" >&2; fi
  tail -n 12 "$log" >&2
  echo "fuzz-ace: FAILED (exit $status, $reports reports); inputs kept in $work/artifacts" >&2
  exit 1
fi
echo "fuzz-ace: $executed inputs run, no findings"
