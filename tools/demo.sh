#!/usr/bin/env bash
# Runs the whole system on its embedded defaults: installs what is missing,
# builds, lays out the install folder, starts the reference server with the
# sample database on 127.0.0.1 (the viewer's built-in data server and the
# settings file's ServerIP), and starts the launcher under Wine.
#
# With a usable X display the launcher opens there; the demo ends when the
# launcher is closed (or on Ctrl-C), and everything it started is stopped.
# Without one, tools/screenshots.sh runs the same installation on a virtual
# display and writes screenshots of the launcher menu, the user settings, the
# viewer under each period type and a report into out/screenshots.
#
# Sign in with user ID "demo" and password "tarvex" (ユーザー設定).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)

tools/install_deps.sh
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  echo "no X display: writing screenshots instead of opening the launcher"
  exec tools/screenshots.sh
fi

cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs" --target norda_server sample_data
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs" --target tarvex marlop

out=$root/out/demo
install=$out/install
rm -rf "$install"
mkdir -p "$out"
tools/make_install.sh build/windows build/native "$install"
cp build/native/sample/norda.sqlite "$out/norda.sqlite"

export WINEPREFIX=$out/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
tools/wine_prefix.sh "$WINEPREFIX"

server_pid=
stop_all() {
  WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  return 0
}
trap stop_all EXIT
trap 'exit 130' INT TERM

build/native/server/norda_server --address 127.0.0.1 --port 80 --database "$out/norda.sqlite" \
  2>"$out/server.log" &
server_pid=$!
echo "reference server on http://127.0.0.1/norda/dbcommit.php (log: $out/server.log)"

wineserver -k 2>/dev/null || true
echo "starting the launcher on $DISPLAY; close it to end the demo"
# In the background and waited for, so that Ctrl-C reaches the traps at once.
(cd "$install" && exec wine marlop.exe) &
wait $!
