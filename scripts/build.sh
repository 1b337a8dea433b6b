#!/usr/bin/env bash
# The main job: installs what is missing, builds the native library with the morvane tool and
# Morvane.dll, and runs `morvane showcase`, which draws every operation into build/showcase.bmp.
# Only the main job: the tests, the bench and the Windows test program are scripts/test.sh's, in
# folders of its own, whatever packages this machine has.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)
scripts/setup.sh build
cmake --preset native -DMORVANE_BUILD_TOOL=ON >/dev/null
cmake --build --preset native -j "$jobs"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"
echo "built: build/native/bin/libmorvane.so, build/native/bin/morvane," \
     "build/win32/bin/Morvane.dll"
build/native/bin/morvane showcase -o build/showcase.bmp
