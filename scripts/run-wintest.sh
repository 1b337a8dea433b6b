#!/usr/bin/env bash
# Runs the Windows test program (or another program, with its arguments) beside the DLL under Wine.
#   scripts/run-wintest.sh wine32|wine64 BIN_DIR [PROGRAM [ARGUMENT...]]
#   scripts/run-wintest.sh wine32|wine64 --prepare    only makes the Wine prefix
# One program run holds every Windows check: each start of 32-bit Wine is emulated and slow.
# Making a new prefix takes minutes, mostly waiting on Wine's own services, so the test command
# has it made with --prepare while it builds and runs the native tests.
set -euo pipefail
kind=$1
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEDEBUG=-all
# A Wine process that crashes would start Wine's debugger, which under emulation has been seen to
# hang there and keep the session open. Crashes are caught by the closing line check below.
export WINEDLLOVERRIDES="winedbg.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
export WINEPREFIX=${MORVANE_WINEPREFIX:-$root/build/wineprefix${kind#wine}}
if [ "$kind" = wine32 ]; then
  loader=wine
else
  loader=/usr/lib/wine/wine64
  echo "run-wintest: WARNING: running the 64-bit fallback build under 64-bit Wine," \
       "not the 32-bit Morvane.dll" >&2
fi
if [ "$2" = --prepare ]; then
  [ -d "$WINEPREFIX" ] && exit 0
  # On a clean clone the test command starts this before anything has made the build folder.
  mkdir -p "$(dirname "$WINEPREFIX")"
  # Making a prefix starts a dozen Wine processes with many threads, the 32-bit ones emulated. On a
  # loaded machine one of them has now and then crashed under the emulator ("qemu: uncaught target
  # signal 11") or hung, and wineboot failed (status 53) or never returned. A failed or overlong
  # start (a quarter of an hour, where a good one takes about 4 minutes) is stopped, services and
  # all, and tried again on a clean prefix.
  tries=3
  for try in $(seq "$tries"); do
    status=0
    started=$(date +%s)
    timeout 900 "$loader" wineboot --init </dev/null >"$WINEPREFIX.log" 2>&1 || status=$?
    if [ "$status" = 0 ]; then
      # Until the prefix is written in full, but not for ever: a service that does not end only
      # keeps the session, which the test run can share.
      timeout 600 wineserver -w 2>/dev/null ||
        echo "run-wintest: Wine's services still run; going on" >&2
      exit 0
    fi
    echo "run-wintest: making the Wine prefix failed (status $status after" \
         "$(($(date +%s) - started)) s, try $try of $tries); its last words:" >&2
    tail -n 5 "$WINEPREFIX.log" >&2 || true
    # The server writes the registry as it ends: it must be gone before the prefix is.
    wineserver -k 2>/dev/null || true
    timeout 60 wineserver -w 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  done
  exit 1
fi
bin=$(cd "$2" && pwd)
shift 2
(($#)) || set -- morvane_wintest.exe
[ -d "$WINEPREFIX" ] || echo "run-wintest: creating the Wine prefix $WINEPREFIX (minutes on first use)" >&2
cd "$bin"
# This Wine gives a program that crashed the exit status 0, so the test program must also reach its
# closing line. (Wine's own crash reports are no guide: setting up a new prefix, its helpers
# report some of their own.)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
# Into a file, not a pipe: the services Wine starts for the session inherit the output and may
# outlive the program by minutes, and a pipe would wait for them.
"$loader" "$@" </dev/null >"$log" 2>&1 || status=$?
cat "$log"
if [ "$1" = morvane_wintest.exe ] && ! grep -Eq '^[0-9]+ passed, 0 failed' "$log"; then
  echo "run-wintest: $1 did not finish with every group passed (did it crash?)" >&2
  exit 1
fi
exit "$status"
