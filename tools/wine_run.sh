#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's private prefix, preparing
# the prefix on first use. This is the test emulator of the Windows build.
#
# Usage: tools/wine_run.sh PROGRAM.exe [ARGS...]
# WINEPREFIX selects the prefix (ctest sets it to <build>/wineprefix).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:=$PWD/wineprefix}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

mkdir -p "$WINEPREFIX"
(
  flock 9
  "$here/wine_prefix.sh" "$WINEPREFIX"
  # A wineserver started on another X display makes dialogs end at once:
  # restart it when the display changed since it was started.
  marker="$WINEPREFIX/.tarvex-display"
  if [ "$(cat "$marker" 2>/dev/null)" != "${DISPLAY:-none}" ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    echo "${DISPLAY:-none}" > "$marker"
  fi
) 9>"$WINEPREFIX.lock"

exec wine "$@"
