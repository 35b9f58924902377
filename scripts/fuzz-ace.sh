#!/usr/bin/env bash
# Fuzzes the ACE decoder natively with libFuzzer, ASan and UBSan (see fuzz.sh).
#   scripts/fuzz-ace.sh SECONDS [WORK_FOLDER]
# The work folder keeps the build, the growing corpus, the log and any crashing inputs
# (default: build-ace-fuzz in the repository). Fails on any crash, leak, timeout or sanitizer report.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 SECONDS [WORK_FOLDER]" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
decoder=$root/outside/unacev2
tests=$root/tests/ace
decoder_sources=("$decoder"/ace_*.cpp "$root/outside/common/byte_source.cpp")
args=(--include "$decoder" --include "$root/outside/common" --include "$tests" --source "$tests/fuzz_ace_decoder.cpp")
for src in "${decoder_sources[@]}"; do
  case $src in */ace_decoder.cpp) args+=(--source "$src") ;; *) args+=(--hot "$src") ;; esac
done
args+=(--seeder "$tests/fuzz_ace_seeds.cpp" --seeder "$tests/ace_writer.cpp" --seeder "$tests/blocked_writer.cpp")
for src in "${decoder_sources[@]}"; do args+=(--seeder "$src"); done
# Seeds: what the real archiver wrote, plus archives of our own.
exec "$root/scripts/fuzz.sh" ace "$1" "${2:-$root/build-ace-fuzz}" "${args[@]}" \
  --seeds "$root/../shared/fixtures/ace/*.ace" --seeds "$root/../shared/fixtures/ace-solid/*.ace" \
  --seeds "$root/../shared/fixtures/legacy/*.ace"
