#!/usr/bin/env bash
# Installs the native build into a scratch prefix and builds a tiny consumer against it twice:
# with find_package(Morvane) and with pkg-config; starts the installed tool when it was built.
#   check_install.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
scratch=$2
rm -rf "$scratch"
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
lib=$(ls -d "$scratch"/prefix/lib*/ | head -n 1)

cmake -S "$here" -B "$scratch/cmake-consumer" -DCMAKE_PREFIX_PATH="$scratch/prefix" >/dev/null
cmake --build "$scratch/cmake-consumer" >/dev/null
LD_LIBRARY_PATH="$lib" "$scratch/cmake-consumer/consumer"

export PKG_CONFIG_PATH="$lib/pkgconfig"
cc -o "$scratch/pc-consumer" "$here/consumer.c" $(pkg-config --cflags --libs morvane)
LD_LIBRARY_PATH="$lib" "$scratch/pc-consumer"
if [ -x "$build/bin/morvane" ]; then
  "$scratch/prefix/bin/morvane" --help >/dev/null  # the tool finds the installed library
fi
echo "install: both consumers built and ran"
