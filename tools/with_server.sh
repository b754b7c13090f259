#!/usr/bin/env bash
# Runs a command against a private reference server on one loopback address.
#
# Usage: tools/with_server.sh ADDRESS -- COMMAND [ARGS...]
#
# Copies the sample database of the native build to a fresh temporary file,
# starts norda_server on ADDRESS port 80 with it, waits until it listens,
# runs COMMAND with TARVEX_SERVER_ADDRESS and TARVEX_SERVER_DB (the copy's
# path) exported, then stops the server, removes the copy and exits with
# COMMAND's status.
#
# The native build folder is TARVEX_NATIVE_DIR; when that is empty, the test
# build folder TARVEX_BUILD_DIR if it holds the server (a native ctest run),
# else build/native of this checkout.
set -uo pipefail

usage() { echo "usage: $0 ADDRESS -- COMMAND [ARGS...]" >&2; exit 2; }
[ $# -ge 3 ] && [ "$2" = "--" ] || usage
address=$1
shift 2

root=$(cd "$(dirname "$0")/.." && pwd)
native=${TARVEX_NATIVE_DIR:-}
if [ -z "$native" ]; then
  if [ -n "${TARVEX_BUILD_DIR:-}" ] && [ -x "$TARVEX_BUILD_DIR/server/norda_server" ]; then
    native=$TARVEX_BUILD_DIR
  else
    native=$root/build/native
  fi
fi
server=$native/server/norda_server
sample=$native/sample/norda.sqlite
[ -x "$server" ] || { echo "with_server: no server at $server (build the native preset first)" >&2; exit 2; }
[ -f "$sample" ] || { echo "with_server: no sample database at $sample" >&2; exit 2; }

workdir=$(mktemp -d "${TMPDIR:-/tmp}/tarvex-server.XXXXXX")
database=$workdir/norda.sqlite
cp "$sample" "$database"
server_pid=

cleanup() {
  if [ -n "$server_pid" ]; then
    kill -TERM "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
  fi
  rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"$server" --address "$address" --port 80 --database "$database" 2>"$workdir/server.log" &
server_pid=$!

# Wait (at most about ten seconds) until the server reports that it listens.
# It says so only once its socket is bound, so another server already on the
# address is never taken for ours.
ready=0
for _ in $(seq 100); do
  if grep -q "^norda_server: serving" "$workdir/server.log" 2>/dev/null; then
    ready=1
    break
  fi
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.1
done
if [ "$ready" != 1 ]; then
  echo "with_server: norda_server did not start on $address:80" >&2
  cat "$workdir/server.log" >&2
  exit 2
fi

export TARVEX_SERVER_ADDRESS=$address TARVEX_SERVER_DB=$database
"$@"
status=$?
exit "$status"
