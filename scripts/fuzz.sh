#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each for a bounded time.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]     default: $MORVANE_FUZZ_SECONDS or 30
# A long local run: scripts/fuzz.sh 3600
# Seeds come from tests/fuzz/corpus/<target>/; what a run finds goes to build/fuzz/corpus/ and any
# crash to build/fuzz/artifacts/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-${MORVANE_FUZZ_SECONDS:-30}}
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DMORVANE_FUZZ=ON -DMORVANE_WERROR=ON \
  -DMORVANE_BUILD_TESTS=OFF -DMORVANE_BUILD_BENCH=OFF -DMORVANE_BUILD_TOOL=OFF >/dev/null
cmake --build build/fuzz -j "$(nproc)"
mkdir -p build/fuzz/artifacts
for target in build/fuzz/bin/fuzz_*; do
  name=$(basename "$target")
  corpus=build/fuzz/corpus/${name#fuzz_}
  mkdir -p "$corpus"
  seeds=tests/fuzz/corpus/${name#fuzz_}
  [ -d "$seeds" ] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
  echo "fuzz: $name for ${seconds}s"
  log=build/fuzz/$name.log
  if ! "$target" -max_total_time="$seconds" -print_final_stats=0 \
      -artifact_prefix=build/fuzz/artifacts/ "$corpus" >"$log" 2>&1; then
    grep -E '^(==|SUMMARY|artifact_prefix|Test unit written)' "$log" >&2 || tail -n 20 "$log" >&2
    echo "fuzz: $name found a failing input (build/fuzz/artifacts/, log $log)" >&2
    exit 1
  fi
  grep -E '^Done' "$log" || true
done
echo "fuzz: every target ran clean"
