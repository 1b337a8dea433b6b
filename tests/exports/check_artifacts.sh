#!/usr/bin/env bash
# The release artifacts (scripts/package.sh) carry the project version everywhere, ship the same
# exports as the builds the tests ran, are fit to ship, and pass lintian but for the tags
# docs/packaging.md explains.
#   check_artifacts.sh DIST_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
dist=$(cd "$1" && pwd)
fail() {
  echo "artifacts: $*" >&2
  exit 1
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# One version: the project's, in every file name, both packages' control files, the .so's name,
# and the DLL's version record (fixed part and text).
version=$(sed -n 's/^project(Morvane VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
arch=$(dpkg --print-architecture)
zip=$dist/Morvane-$version-win32.zip
runtime=$dist/libmorvane0_${version}_$arch.deb
dev=$dist/libmorvane-dev_${version}_$arch.deb
for f in "$zip" "$runtime" "$dev" "$dist/SHA256SUMS"; do [ -f "$f" ] || fail "no $f"; done
(cd "$dist" && sha256sum --quiet --strict -c SHA256SUMS) || fail "SHA256SUMS does not match"
[ "$(wc -l <"$dist/SHA256SUMS")" = 3 ] || fail "SHA256SUMS should list exactly the three artifacts"
for deb in "$runtime" "$dev"; do
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "${deb##*/}: Version is not $version"
done
[ "$(dpkg-deb -f "$dev" Depends)" = "libmorvane0 (= $version)" ] || fail "libmorvane-dev: Depends"
dpkg-deb -x "$runtime" "$scratch/root"
dpkg-deb -x "$dev" "$scratch/root"
"$here/check_native_exports.sh" "$(ls "$scratch"/root/usr/lib/*/libmorvane.so)"
unzip -q "$zip" -d "$scratch/zip"
dll=$scratch/zip/Morvane.dll
IFS=. read -r major minor build revision <<<"$version"
# VS_FIXEDFILEINFO: the signature 0xFEEF04BD, the structure's version, then file and product
# version, each as the 16-bit words minor, major, revision, build (little-endian).
at=$(LC_ALL=C grep -obUaP '\xBD\x04\xEF\xFE' "$dll" | head -n 1 | cut -d: -f1)
[ -n "$at" ] || fail "Morvane.dll has no version record"
fixed=$(od -An -tu2 -j $((at + 8)) -N 16 "$dll" | xargs)
want="$minor $major $revision $build $minor $major $revision $build"
[ "$fixed" = "$want" ] || fail "Morvane.dll's version record holds $fixed, want $want"
texts=$(strings -el "$dll" | grep -cx "$major, $minor, $build, $revision" || true)
[ "$texts" = 2 ] || fail "Morvane.dll's FileVersion and ProductVersion texts are not $version"
echo "artifacts: version $version in the file names, packages, .so and version record"

# The DLL as shipped: six exports, system imports only, no debug sections, no link time, no build
# folder, and still relocatable with ASLR and NX.
"$here/check_dll.sh" "$dll"
pe=$(objdump -p "$dll")
for flag in DYNAMIC_BASE NX_COMPAT; do
  grep -qw "$flag" <<<"$pe" || fail "Morvane.dll lacks $flag"
done
grep -Eq 'Base Relocation Directory \[\.reloc\]' <<<"$pe" || fail "Morvane.dll has no relocations"
grep -Eq '^Time/Date\s+Thu Jan  1 00:00:00 1970' <<<"$pe" || fail "Morvane.dll has a link time"
! objdump -h "$dll" | grep -q '\.debug' || fail "Morvane.dll has debug sections"
for bin in "$dll" "$scratch"/root/usr/lib/*/libmorvane.so.*.*; do
  ! strings -a "$bin" | grep -qF "$root" || fail "${bin##*/} holds the build folder's path"
done

# The import libraries give a compiler the stdcall names morvane.h declares, each imported from
# Morvane.dll by its undecorated name: llvm-dlltool -k writes that as name type "undecorate".
stdcall="_BlendBlt@36 _ClipBlt@36 _DllGetVersion@0 _RopBlt@36 _SaveToBitmapA@8 _SaveToBitmapW@8"
for lib in Morvane.lib libMorvane.dll.a; do
  got=$(llvm-nm --defined-only "$scratch/zip/lib/$lib" | awk '$3 ~ /^_[A-Za-z]+@/ {print $3}' |
        sort | xargs)
  [ "$got" = "$stdcall" ] || fail "$lib defines '$got', want '$stdcall'"
done
got=$(llvm-readobj "$scratch/zip/lib/Morvane.lib" |
      awk '/^Name type:/ {type = $3} /^Symbol: _[A-Za-z]/ {print type ":" $2}' | sort | xargs)
want=$(printf 'undecorate:%s\n' $stdcall | xargs)
[ "$got" = "$want" ] || fail "Morvane.lib imports '$got', want '$want'"
echo "artifacts: both import libraries name the six stdcall exports"

# The zip's README.txt is the host guide whole, with Windows line ends.
unzip -p "$zip" README.txt | tr -d '\r' | cmp -s - "$root/docs/host-guide.md" ||
  fail "the zip's README.txt is not docs/host-guide.md"

# lintian, pedantic and experimental tags included, finds nothing but what docs/packaging.md
# explains.
# Its spelling check reads every run of printable bytes in the library as text, machine code too;
# a word it finds only in the code is instructions that happen to spell it, and any change to the
# walks can make or unmake one, so only words the library holds outside its code count.
explained="I: libmorvane0: hardening-no-fortify-functions
I: libmorvane0: no-symbols-control-file
W: libmorvane0: maintscript-calls-ldconfig"
objcopy --remove-section=.text "$(ls "$scratch"/root/usr/lib/*/libmorvane.so.*.*)" "$scratch/no-code"
tags=$(lintian --allow-root --pedantic -I -E "$runtime" "$dev" |
       while read -r severity package tag word rest; do
         if [ "$tag" = spelling-error-in-binary ] && ! strings -a "$scratch/no-code" | grep -qF "$word"
         then continue
         fi
         echo "$severity $package $tag"
       done | sort -u)
[ "$tags" = "$explained" ] || { printf 'lintian:\n%s\n' "$tags" >&2; fail "lintian's tags changed"; }
echo "artifacts: lintian reports only the explained tags"
