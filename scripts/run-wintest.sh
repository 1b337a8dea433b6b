#!/usr/bin/env bash
# Runs the Windows test program beside the DLL under Wine.
#   scripts/run-wintest.sh wine32|wine64 BIN_DIR
# One program run holds every Windows check: each start of 32-bit Wine is emulated and slow.
set -euo pipefail
kind=$1
bin=$(cd "$2" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEDEBUG=-all
export WINEPREFIX=${MORVANE_WINEPREFIX:-$root/build/wineprefix${kind#wine}}
if [ "$kind" = wine32 ]; then
  loader=wine
else
  loader=/usr/lib/wine/wine64
  echo "run-wintest: WARNING: running the 64-bit fallback build under 64-bit Wine," \
       "not the 32-bit Morvane.dll" >&2
fi
[ -d "$WINEPREFIX" ] || echo "run-wintest: creating the Wine prefix $WINEPREFIX (minutes on first use)" >&2
cd "$bin"
"$loader" morvane_wintest.exe </dev/null
