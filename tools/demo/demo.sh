#!/usr/bin/env bash
# Runs the whole system on its embedded defaults: installs what is missing,
# builds, lays out the install folder, starts the reference server with the
# sample database on 127.0.0.1 (the viewer's built-in data server and the
# settings file's ServerIP), and starts the launcher under Wine.
#
# With a usable X display the launcher opens there; the demo ends when the
# launcher is closed (or on Ctrl-C), and everything it started is stopped.
# Without one, tools/demo/screenshots.sh runs the same installation on a virtual
# display and writes screenshots of the launcher menu, the user settings, the
# viewer under each period type and a report into out/screenshots.
#
# Sign in with user ID "demo" and password "tarvex" (ユーザー設定).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
jobs=$(nproc)

tools/env/install_deps.sh
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  echo "no X display: writing screenshots instead of opening the launcher"
  exec tools/demo/screenshots.sh
fi

cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs" --target norda_server sample_data
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs" --target tarvex marlop

out=$root/out/demo
install=$out/install
rm -rf "$install"
mkdir -p "$out"
tools/build/make_install.sh build/windows build/native "$install"

# The demo's own Wine prefix, prepared by wine_run.sh on first use.
export WINEPREFIX=$out/wineprefix
stop_wine() { wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT
trap 'exit 130' INT TERM

echo "starting the reference server on 127.0.0.1 and the launcher on $DISPLAY; close the launcher to end the demo"
# In the background and waited for, so that Ctrl-C or TERM reaches the traps
# at once: ending Wine ends the launcher, and with_server.sh then stops the
# server. A server that cannot start ends the demo with its log.
tools/harness/with_server.sh 127.0.0.1 -- \
  bash -c 'cd "$1" && exec "$2" marlop.exe' demo "$install" "$root/tools/env/wine_run.sh" &
wait $!
