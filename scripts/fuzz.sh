#!/usr/bin/env bash
# Builds the fuzz target for the bound texts with clang and libFuzzer and runs it.
# Usage: scripts/fuzz.sh [SECONDS]   (default 60; e.g. scripts/fuzz.sh 3600 for an hour)
# The seed corpus in tests/fuzz/corpus is only read; new inputs go to a scratch folder.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

./scripts/install-deps.sh clang libclang-rt-14-dev
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVODAZI_WITH_WINDOWS=OFF -DVODAZI_BUILD_TESTS=OFF -DVODAZI_BUILD_FUZZ=ON >/dev/null
cmake --build build-fuzz --target bound_text_fuzzer

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
status=0
./build-fuzz/tests/fuzz/bound_text_fuzzer -max_total_time="$seconds" -print_final_stats=1 \
  -max_len=256 -artifact_prefix="$scratch/" "$scratch" tests/fuzz/corpus >"$scratch/log" 2>&1 || status=$?
grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|ERROR|SUMMARY' "$scratch/log" || true
if [ "$status" -ne 0 ]; then
  tail -n 40 "$scratch/log"
  for artifact in "$scratch"/crash-* "$scratch"/leak-* "$scratch"/timeout-*; do
    [ -e "$artifact" ] && { echo "failing input ($artifact):"; od -c "$artifact" | head; }
  done
  echo "fuzzing found a fault" >&2
  exit 1
fi
echo "fuzzing: no fault found in ${seconds}s"
