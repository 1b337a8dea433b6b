#!/usr/bin/env bash
# Makes the release artifacts in build/dist/, every name and version taken from the project
# version in CMakeLists.txt:
#   Morvane-VERSION-win32.zip         Morvane.dll, include/morvane.h, lib/Morvane.lib (MSVC),
#                                     lib/libMorvane.dll.a (mingw), lib/Morvane.def, README.txt,
#                                     LICENSE.txt
#   libmorvane0_VERSION_ARCH.deb      the shared library
#   libmorvane-dev_VERSION_ARCH.deb   header, CMake package, morvane.pc
#   SHA256SUMS
#
#   scripts/package.sh [--check-reproducible]
# With --check-reproducible it then builds both libraries a second time from a copy of the sources
# in another folder and fails unless the bytes are the same.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)
scripts/setup.sh package

version=$(sed -n 's/^project(Morvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# The dates written into the packages' changelog and the zip are the commit's, not today's.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
fi
export SOURCE_DATE_EPOCH
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)

# Builds the shipped libraries of the sources in $1 into $1/build/release-native (installed under
# /usr in the multiarch library folder, as the packages lay it out) and $1/build/release-win32.
build_libraries() {
  (
    cd "$1"
    cmake --preset ship -DCMAKE_INSTALL_LIBDIR="lib/$multiarch" >/dev/null
    cmake --build --preset ship -j "$jobs"
    cmake --preset ship-win32 >/dev/null
    cmake --build --preset ship-win32 -j "$jobs"
  )
}

echo "== package: Morvane $version"
build_libraries "$root"
dist=build/dist
rm -rf "$dist"
mkdir -p "$dist"

# The Debian packages.
cpack --config build/release-native/CPackConfig.cmake -B build/release-native/cpack >/dev/null
mv build/release-native/cpack/*.deb "$dist"/

# The zip, laid out for a Windows host author. The MSVC import library maps the stdcall names a
# compiler asks for (_BlendBlt@36) to the DLL's undecorated ones (-k); the mingw one is the
# linker's own.
win=build/release-win32
stage=$win/zip
rm -rf "$stage"
mkdir -p "$stage/include" "$stage/lib"
cp "$win/bin/Morvane.dll" "$stage"/
cp include/morvane.h "$stage/include"/
cp src/shell/morvane.def "$stage/lib/Morvane.def"
cp "$win/libMorvane.dll.a" "$stage/lib"/
llvm-dlltool -m i386 -k -d src/shell/morvane.def -l "$stage/lib/Morvane.lib"
# README.txt is the host guide, copied whole: a host author needs nothing else beside the header
# and the DLL. Text files get Windows line ends.
sed 's/$/\r/' docs/host-guide.md >"$stage/README.txt"
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
files=(Morvane.dll include/morvane.h lib/Morvane.lib lib/libMorvane.dll.a lib/Morvane.def
       README.txt LICENSE.txt)
touch -d "@$SOURCE_DATE_EPOCH" "${files[@]/#/$stage/}"
zip_name=Morvane-$version-win32.zip
(cd "$stage" && TZ=UTC zip -q -X -D "$root/$dist/$zip_name" "${files[@]}")

(cd "$dist" && sha256sum "$zip_name" *.deb >SHA256SUMS)
echo "package: built in $dist:"
ls -l "$dist"

if [ "${1:-}" = --check-reproducible ]; then
  echo "== package: a second build in another folder"
  copy=build/reproducible/morvane
  rm -rf "$copy"
  mkdir -p "$copy"
  tar --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf -
  build_libraries "$root/$copy"
  for lib in release-native/bin/libmorvane.so.$version release-win32/bin/Morvane.dll \
             release-win32/libMorvane.dll.a; do
    cmp "build/$lib" "$copy/build/$lib"
  done
  echo "package: libmorvane.so.$version, Morvane.dll and libMorvane.dll.a are the same bytes" \
       "from both folders"
fi
