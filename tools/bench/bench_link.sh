#!/usr/bin/env bash
# The viewer at a distance: the largest road of the sample (every station,
# daily 1999-2003, two elements) with the real tarvex.exe under Wine, from
# the display command to the usage row in the ledger, through
# tools/bench/link_relay.py modelling a link of each round trip given, in clear to
# the reference server and with Secure=1 through the TLS front of the HTTPS
# tests (nginx before the server). Prints one line per link and output.
#
# Usage (from the repository, both builds made, the benchmark built):
#   cmake --build build/windows --target viewer_link_benchmark
#   flock /tmp/tarvex-tests.lock tools/bench/bench_link.sh [--connections N] [--runs N] [--viewer EXE] [ROUND_TRIP_MS...]
#
# Round trips default to 0 30 100; --connections sets the viewer's
# Connections key (default 6; 1 asks one station after the other); --runs
# the roads timed per output (default 2; the best is reported too);
# --viewer times another tarvex.exe than the build's (one built from an
# earlier commit, to compare).
#
# Addresses: the plain server on 127.0.16.9 and its relay on 127.0.16.1:80;
# the TLS front's relay on its RELAY address (named by the front's
# certificate) before the front, both of tests/https/with_tls_front.sh and
# read from the build's table of test addresses.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${TARVEX_WINDOWS_BUILD:-$root/build/windows}
benchmark=$build/tests/viewer/form/viewer_link_benchmark.exe

if [ "${1:-}" = --inside ]; then
  # One kind of link, inside its server:
  # --inside LEDGER RELAY TARGET SECURE CONNECTIONS RUNS VIEWER ROUND_TRIPS...
  shift
  ledger=$1 relay=$2 target=$3 secure=$4 connections=$5 runs=$6 viewer=$7
  shift 7
  kind=plain
  [ "$secure" = 1 ] && kind="Secure=1"
  for round_trip in "$@"; do
    fifo=$(mktemp -u "${TMPDIR:-/tmp}/tarvex-relay.XXXXXX")
    mkfifo "$fifo"
    python3 "$here/link_relay.py" --listen "$relay" --target "$target" --round-trip-ms "$round_trip" > "$fifo" &
    relay_pid=$!
    read -r _ < "$fifo"
    rm -f "$fifo"
    "$root/tools/env/wine_run.sh" "$benchmark" "$ledger" "${relay%:*}" "$secure" "$connections" "$runs" ${viewer:+"$viewer"} |
      sed "s/^/round trip $round_trip ms, $kind, Connections=$connections: /"
    kill -TERM "$relay_pid"
    wait "$relay_pid" || true
  done
  exit 0
fi

connections=6
runs=2
viewer=
while [ $# -gt 0 ]; do
  case $1 in
    --connections) connections=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --viewer) viewer=$(realpath "$2"); shift 2 ;;
    *) break ;;
  esac
done
round_trips=("$@")
[ ${#round_trips[@]} -gt 0 ] || round_trips=(0 30 100)
[ -f "$benchmark" ] || { echo "bench_link: build the target viewer_link_benchmark first" >&2; exit 2; }

export TARVEX_SOURCE_DIR=$root TARVEX_BUILD_DIR=$build
export TARVEX_NATIVE_DIR=${TARVEX_NATIVE_DIR:-$root/build/native}
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
set -a
source "$build/tests/support/test_addresses.env"
set +a

xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -e
  "$0/tools/harness/with_server.sh" 127.0.16.9 -- \
    "$0/tools/bench/bench_link.sh" --inside 127.0.16.9 127.0.16.1:80 127.0.16.9:80 0 "$1" "$2" "$3" "${@:4}"
  "$0/tests/https/with_tls_front.sh" -- \
    "$0/tools/bench/bench_link.sh" --inside "$TEST_ADDRESS_HTTPS_SERVER" \
      "$TEST_ADDRESS_HTTPS_RELAY:443" "$TEST_ADDRESS_HTTPS_FRONT:443" 1 "$1" "$2" "$3" "${@:4}"
' "$root" "$connections" "$runs" "$viewer" "${round_trips[@]}"
