#!/usr/bin/env bash
# Morvane.dll exports exactly the six undecorated names at ordinals 1 to 6, and imports only from
# system DLLs (no C++ runtime, libgcc or winpthread DLLs beside it).
set -euo pipefail
dll=$1
dump=$(objdump -p "$dll")  # Debian's binutils reads PE files of either width
exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          grep -E '^\s*\[ *[0-9]+\] [A-Za-z]' | tr -d '\t' | tr '\n' ' ')
want="[   0] BlendBlt [   1] ClipBlt [   2] DllGetVersion [   3] RopBlt [   4] SaveToBitmapA [   5] SaveToBitmapW "
[ "$exports" = "$want" ] || { echo "exports: got '$exports'"; echo "want '$want'"; exit 1; }
count=$(printf '%s\n' "$dump" | awk '/Export Address Table --/ {f=1; next} f && /\+base\[/ {n++} f && /^$/ {f=0} END {print n+0}')
[ "$count" = 6 ] || { echo "export address table holds $count entries, want 6"; exit 1; }
# It must load in a bare process: only the system's own DLLs.
imports=$(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p' | sort | xargs)
[ "$imports" = "GDI32.dll KERNEL32.dll msvcrt.dll" ] ||
  { echo "imports: got '$imports', want 'GDI32.dll KERNEL32.dll msvcrt.dll'"; exit 1; }
echo "Morvane.dll: six exports at ordinals 1 to 6; imports $imports"
