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
# Seeds: what the real archiver wrote, plus stored archives of our own.
exec "$root/scripts/fuzz.sh" ace "$1" "${2:-$root/build-ace-fuzz}" \
  --include "$decoder" --include "$tests" \
  --source "$tests/fuzz_ace_decoder.cpp" --source "$decoder/ace_decoder.cpp" \
  --hot "$decoder/ace_lz.cpp" --hot "$decoder/ace_bits.cpp" \
  --seeder "$tests/fuzz_ace_seeds.cpp" --seeder "$tests/ace_writer.cpp" --seeder "$decoder/ace_decoder.cpp" \
  --seeder "$decoder/ace_bits.cpp" --seeder "$decoder/ace_lz.cpp" \
  --seeds "$root/../shared/fixtures/ace/*.ace"
