#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's private prefix, preparing
# the prefix on first use. This is the test emulator of the Windows build.
#
# Usage: tools/env/wine_run.sh PROGRAM.exe [ARGS...]
# WINEPREFIX selects the prefix (ctest sets it to <build>/wineprefix).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:=$PWD/wineprefix}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# How long the prefix's wineserver stays after the last program has ended,
# so that the programs of one test run, one after the other, all find it.
SERVER_LINGER_SECONDS=10

mkdir -p "$WINEPREFIX"
(
  flock 9
  "$here/wine_prefix.sh" "$WINEPREFIX"
  # A wineserver started on another X display makes dialogs end at once:
  # restart it when the display changed since it was started. xvfb-run hands
  # each virtual display a fresh XAUTHORITY, so a display number used again
  # by a later run counts as another display too.
  marker="$WINEPREFIX/.tarvex-display"
  display="${DISPLAY:-none} ${XAUTHORITY:-}"
  if [ "$(cat "$marker" 2>/dev/null)" != "$display" ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    echo "$display" > "$marker"
  fi
  # Start the prefix's wineserver and Wine's services (started by the first
  # program) here, with their output away from ours. Started by the program
  # below instead, they would inherit its output, and a caller reading that
  # output to its end (ctest) would wait until they exit, long after the
  # program. A second wineserver for the prefix exits at once, leaving the
  # running one and its services as they are. Neither may keep the lock.
  if wineserver -p"$SERVER_LINGER_SECONDS" </dev/null >/dev/null 2>&1 9>&-; then
    wine wineboot.exe </dev/null >/dev/null 2>&1 9>&- || true
  fi
) 9>"$WINEPREFIX.lock"

exec wine "$@"
