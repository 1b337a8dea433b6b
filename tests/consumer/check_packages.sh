#!/usr/bin/env bash
# Builds the consumer against the release artifacts as their users would, and runs it:
#  - the two Debian packages unpacked into a scratch folder (nothing is installed), with
#    find_package(Morvane) and with pkg-config;
#  - the zip's mingw import library with i686-w64-mingw32-gcc, and its MSVC one with clang for
#    i686-pc-windows-msvc and lld-link, both run beside the zip's DLL under 32-bit Wine.
#   check_packages.sh DIST_DIR SCRATCH_DIR wine32|wine64
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
dist=$(cd "$1" && pwd)
scratch=$2
wine_kind=$3
zip=$(ls "$dist"/Morvane-*-win32.zip)
version=${zip##*/Morvane-}
version=${version%-win32.zip}
rm -rf "$scratch"
mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)

for deb in "$dist"/*.deb; do dpkg-deb -x "$deb" "$scratch/root"; done
lib=$(dirname "$(ls "$scratch"/root/usr/lib/*/libmorvane.so)")
cmake -S "$here" -B "$scratch/cmake-consumer" -G Ninja -DCMAKE_PREFIX_PATH="$scratch/root/usr" \
  -DMORVANE_EXPECT_VERSION="$version" >/dev/null
cmake --build "$scratch/cmake-consumer" >/dev/null
LD_LIBRARY_PATH="$lib" "$scratch/cmake-consumer/consumer" "$version"
export PKG_CONFIG_PATH="$lib/pkgconfig"
[ "$(pkg-config --modversion morvane)" = "$version" ] ||
  { echo "morvane.pc does not declare $version"; exit 1; }
# Installed, the .pc file gives plain system paths; unpacked here, its prefix is moved.
flags=$(pkg-config --cflags --libs morvane | xargs)
[ "$flags" = -lmorvane ] || { echo "morvane.pc gives '$flags', want '-lmorvane'"; exit 1; }
pc="pkg-config --define-variable=prefix=$scratch/root/usr"
cc -o "$scratch/pc-consumer" "$here/consumer.c" $($pc --cflags --libs morvane)
LD_LIBRARY_PATH="$lib" "$scratch/pc-consumer" "$version"
# The examples the -dev package carries, built as their comments say.
examples=$scratch/root/usr/share/doc/libmorvane-dev/examples
for name in blend host; do
  cc -std=c99 -Wall -Wextra -Werror -o "$scratch/$name" "$examples/$name.c" \
    $($pc --cflags --libs morvane)
  LD_LIBRARY_PATH="$lib" "$scratch/$name" "$scratch/$name.bmp"
done
echo "packages: the unpacked packages' consumers and examples built (find_package, pkg-config)" \
     "and ran"

# Both Windows consumers land beside the DLL, as in a host author's folder.
win=$scratch/zip
unzip -q "$zip" -d "$win"
i686-w64-mingw32-gcc -O2 -static-libgcc -I "$win/include" -o "$win/consumer-mingw.exe" \
  "$here/consumer.c" "$win/lib/libMorvane.dll.a"
# The host example, as a Windows host author builds it from the zip alone.
i686-w64-mingw32-gcc -std=c99 -Wall -Wextra -Werror -O2 -static-libgcc -I "$win/include" \
  -o "$win/host.exe" "$root/examples/host.c" "$win/lib/libMorvane.dll.a"
# No MSVC C runtime exists here, so the MSVC-style consumer has none: three kernel32 calls are all
# it needs beyond the DLL, through an import library made the same way as Morvane.lib.
{
  printf 'LIBRARY KERNEL32.dll\nEXPORTS\n'
  printf '  %s\n' ExitProcess@4 GetStdHandle@4 WriteFile@20
} >"$scratch/kernel32.def"
llvm-dlltool -m i386 -k -d "$scratch/kernel32.def" -l "$scratch/kernel32.lib"
clang --target=i686-pc-windows-msvc -ffreestanding -O2 -I "$win/include" -c \
  -o "$scratch/consumer_nocrt.obj" "$here/consumer_nocrt.c"
lld-link -nologo -nodefaultlib -entry:Start -subsystem:console -out:"$win/consumer-msvc.exe" \
  "$scratch/consumer_nocrt.obj" "$win/lib/Morvane.lib" "$scratch/kernel32.lib"
# Whichever import library linked it, the program asks Morvane.dll for the undecorated names.
want="BlendBlt ClipBlt DllGetVersion RopBlt SaveToBitmapA SaveToBitmapW"
for exe in consumer-mingw.exe consumer-msvc.exe; do
  got=$(llvm-readobj --coff-imports "$win/$exe" |
        awk '/Name:/ {dll = $2} dll == "Morvane.dll" && /Symbol:/ {print $2}' | sort | xargs)
  [ "$got" = "$want" ] || { echo "$exe imports '$got' from Morvane.dll, want '$want'"; exit 1; }
done
echo "packages: the zip's consumers linked with its mingw and MSVC import libraries"

if [ "$wine_kind" != wine32 ]; then
  echo "packages: WARNING: no 32-bit Wine here; the zip's consumers were linked but not run" >&2
  exit 0
fi
# This Wine gives exit status 0 to a program killed by an unhandled exception, so each run must
# also have printed its closing line. Each start of emulated Wine costs most of a minute of one
# processor, so they run side by side.
runs=("consumer-mingw.exe $version" consumer-msvc.exe "host.exe host.bmp")
closing=('^consumer: every export called' '^consumer: every export called' 'as expected, saved')
pids=()
for i in "${!runs[@]}"; do
  "$root/scripts/run-wintest.sh" wine32 "$win" ${runs[$i]} >"$scratch/run-$i.log" 2>&1 &
  pids+=($!)
done
for i in "${!runs[@]}"; do
  status=0
  wait "${pids[$i]}" || status=$?
  cat "$scratch/run-$i.log"
  if [ "$status" != 0 ] || ! grep -q "${closing[$i]}" "$scratch/run-$i.log"; then
    echo "packages: ${runs[$i]} failed under Wine" >&2
    exit 1
  fi
done
echo "packages: both Windows consumers and the host example ran under 32-bit Wine"
