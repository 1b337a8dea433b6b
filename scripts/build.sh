#!/usr/bin/env bash
# The main job: installs what is missing, builds the native library with the morvane tool and
# Morvane.dll, and runs `morvane showcase`, which draws every operation into build/showcase.bmp.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)
scripts/setup.sh build
cmake -S . -B build/native -G Ninja -DMORVANE_BUILD_TOOL=ON >/dev/null
cmake --build build/native -j "$jobs"
cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake >/dev/null
cmake --build build/win32 -j "$jobs"
echo "built: build/native/bin/libmorvane.so, build/native/bin/morvane," \
     "build/win32/bin/Morvane.dll"
build/native/bin/morvane showcase -o build/showcase.bmp
