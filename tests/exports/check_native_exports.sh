#!/usr/bin/env bash
# libmorvane.so exports exactly the host's six C names and the four of the ordinary-buffer API, and
# carries the project version in its file name.
set -euo pipefail
so=$1
want="BlendBlt ClipBlt DllGetVersion RopBlt SaveToBitmapA SaveToBitmapW morvane_blend morvane_clip"
want="$want morvane_rop morvane_save_bmp"
got=$(nm -D --defined-only "$so" | awk '$2 ~ /^[TDBRVW]$/ {print $3}' | sort | tr '\n' ' ' | sed 's/ $//')
[ "$got" = "$want" ] || { echo "exports: got '$got', want '$want'"; exit 1; }
soname=$(objdump -p "$so" | awk '$1 == "SONAME" {print $2}')
[ "$soname" = libmorvane.so.0 ] || { echo "SONAME: got '$soname'"; exit 1; }
version=$(sed -n 's/^project(Morvane VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
real=$(readlink -f "$so")
[ "${real##*/}" = "libmorvane.so.$version" ] ||
  { echo "file: got '${real##*/}', want libmorvane.so.$version"; exit 1; }
echo "libmorvane.so: exports and version as expected"
