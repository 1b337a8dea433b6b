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
# Every part is asked for explicitly, so that a missing dependency fails the run instead of
# skipping what it would test.
parts=(-DMORVANE_BUILD_TESTS=ON -DMORVANE_BUILD_BENCH=ON -DMORVANE_BUILD_TOOL=ON)

step "native build and tests"
cmake -S . -B build/native -G Ninja -DMORVANE_WERROR=ON "${parts[@]}" >/dev/null
cmake --build build/native -j "$jobs"
ctest --test-dir build/native --output-on-failure -j "$jobs"

# This build lays the vector walks out as the 32-bit DLL's are (for eight vector registers), so
# that the native tests check that layout too.
step "native tests under AddressSanitizer and UndefinedBehaviorSanitizer (clang)"
CC=clang CXX=clang++ cmake -S . -B build/asan -G Ninja -DMORVANE_SANITIZE=ON -DMORVANE_WERROR=ON \
  -DCMAKE_CXX_FLAGS=-DMORVANE_VECTOR_REGISTERS=8 \
  -DMORVANE_BUILD_TESTS=ON -DMORVANE_BUILD_BENCH=OFF -DMORVANE_BUILD_TOOL=ON >/dev/null
cmake --build build/asan -j "$jobs"
ctest --test-dir build/asan --output-on-failure -j "$jobs"

step "the first calls, made by eight threads at once, under ThreadSanitizer (clang)"
CC=clang CXX=clang++ cmake -S . -B build/tsan -G Ninja -DMORVANE_THREAD_SANITIZER=ON \
  -DMORVANE_WERROR=ON -DMORVANE_BUILD_TESTS=ON -DMORVANE_BUILD_BENCH=OFF -DMORVANE_BUILD_TOOL=OFF \
  >/dev/null
cmake --build build/tsan -j "$jobs" --target morvane_first_call
TSAN_OPTIONS=halt_on_error=1 build/tsan/bin/morvane_first_call

step "fuzzing (${MORVANE_FUZZ_SECONDS:-30} s per target)"
scripts/fuzz.sh

step "Windows build and tests ($wine_kind)"
if [ "$wine_kind" = wine32 ]; then
  toolchain=cmake/toolchain-i686-mingw.cmake win_build=build/win32
else
  toolchain=cmake/toolchain-x86_64-mingw.cmake win_build=build/win64
fi
cmake -S . -B "$win_build" -G Ninja -DMORVANE_WERROR=ON -DMORVANE_BUILD_TESTS=ON \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
cmake --build "$win_build" -j "$jobs"
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
