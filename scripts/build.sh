#!/usr/bin/env bash
# The main job: installs what is missing, builds the native library and Morvane.dll, and runs the
# example host against the native library.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)
scripts/setup.sh >/dev/null
cmake -S . -B build/native -G Ninja >/dev/null
cmake --build build/native -j "$jobs"
cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake >/dev/null
cmake --build build/win32 -j "$jobs"
echo "built: build/native/bin/libmorvane.so and build/win32/bin/Morvane.dll"
build/native/bin/example_host
