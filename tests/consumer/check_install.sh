#!/usr/bin/env bash
# Installs the native build into a scratch prefix and builds a tiny consumer against it twice:
# with find_package(Morvane) and with pkg-config; starts the installed tool when it was built.
# Then builds the same consumer in a project that adds the checkout with add_subdirectory.
#   check_install.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
scratch=$2
rm -rf "$scratch"
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
lib=$(ls -d "$scratch"/prefix/lib*/ | head -n 1)
# Each consumer checks that DllGetVersion answers for the version the installed files declare.
export PKG_CONFIG_PATH="$lib/pkgconfig"
version=$(pkg-config --modversion morvane)

cmake -S "$here" -B "$scratch/cmake-consumer" -G Ninja -DCMAKE_PREFIX_PATH="$scratch/prefix" \
  -DMORVANE_EXPECT_VERSION="$version" >/dev/null
cmake --build "$scratch/cmake-consumer" >/dev/null
LD_LIBRARY_PATH="$lib" "$scratch/cmake-consumer/consumer" "$version"

pc="pkg-config --define-variable=prefix=$scratch/prefix"  # installed away from its prefix
cc -o "$scratch/pc-consumer" "$here/consumer.c" $($pc --cflags --libs morvane)
LD_LIBRARY_PATH="$lib" "$scratch/pc-consumer" "$version"
if [ -x "$build/bin/morvane" ]; then
  "$scratch/prefix/bin/morvane" --help >/dev/null  # the tool finds the installed library
fi

# With no build type, as a parent project often has, the library's own objects are still optimised.
cmake -S "$here/subdir" -B "$scratch/subdir-consumer" -G Ninja -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
  -DMORVANE_SOURCE_DIR="$(cd "$here/../.." && pwd)" >/dev/null
cmake --build "$scratch/subdir-consumer" >/dev/null
grep '"command":.*blend_blt\.cpp' "$scratch/subdir-consumer/compile_commands.json" |
  grep -q -- '-O2.*-DNDEBUG\|-DNDEBUG.*-O2' ||
  { echo "install: add_subdirectory without a build type compiled Morvane unoptimised"; exit 1; }
"$scratch/subdir-consumer/consumer" "$version"
echo "install: the installed-package, pkg-config and add_subdirectory consumers built and ran"
