#!/usr/bin/env bash
# The one command that runs every test: installs what is missing, builds and runs the native test
# suite with warnings as errors, then cross-builds Morvane.dll with its Windows test program and
# runs that under Wine, then makes the release artifacts and builds and runs consumers of them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)

start=$(date +%s)
step() { echo "== $* ($(( $(date +%s) - start )) s)"; }

scripts/setup.sh test
wine_kind=$(scripts/setup.sh wine | tail -n 1)
# A new Wine prefix takes minutes, most of them waiting: it is made while the native tests run.
scripts/run-wintest.sh "$wine_kind" --prepare &
prefix_made=$!
# Each build has a preset (CMakePresets.json) and a folder of its own; the test presets ask for
# every part explicitly, so that a missing dependency fails the run instead of skipping what it
# would test.
step "native build and tests"
cmake --preset test >/dev/null
cmake --build --preset test -j "$jobs"
ctest --preset test -j "$jobs"

# This build lays the vector walks out as the 32-bit DLL's are (for eight vector registers), so
# that the native tests check that layout too.
step "native tests under AddressSanitizer and UndefinedBehaviorSanitizer (clang)"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

step "the first calls, made by eight threads at once, under ThreadSanitizer (clang)"
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs" --target morvane_first_call
TSAN_OPTIONS=halt_on_error=1 build/tsan/bin/morvane_first_call

step "fuzzing (${MORVANE_FUZZ_SECONDS:-30} s per target)"
scripts/fuzz.sh

step "Windows build and tests ($wine_kind)"
win_preset=test-win${wine_kind#wine}
win_build=build/$win_preset
cmake --preset "$win_preset" >/dev/null
cmake --build --preset "$win_preset" -j "$jobs"
tests/exports/check_dll.sh "$win_build/bin/Morvane.dll"
wait "$prefix_made"
# The Windows test program runs on one processor while the release is built on the other.
scripts/run-wintest.sh "$wine_kind" "$win_build/bin" >build/wintest.log 2>&1 &
wintest=$!

step "release artifacts (built twice, in two folders, to compare the libraries' bytes)"
scripts/package.sh --check-reproducible
tests/exports/check_artifacts.sh build/dist
wintest_status=0
wait "$wintest" || wintest_status=$?
step "the Windows test program's run"
cat build/wintest.log
[ "$wintest_status" = 0 ] || { echo "the Windows test program failed" >&2; exit 1; }
step "consumers of the release"
tests/consumer/check_packages.sh build/dist build/release-check "$wine_kind"
step "all tests passed"
