#!/usr/bin/env bash
# Runs COMMAND while update_web_server.py serves a fresh, empty folder on
# ADDRESS port 80. The folder's path is exported as TARVEX_WEB_ROOT and the
# address as TARVEX_WEB_ADDRESS; the command fills the folder. The server and
# the folder are gone afterwards, and the script exits with COMMAND's status.
#
# Usage: tests/launcher/with_web_server.sh ADDRESS -- COMMAND [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
address=$1
shift
[ "${1:-}" = "--" ] && shift

work=$(mktemp -d)
mkdir "$work/www"
server=
cleanup() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# Starts the server and waits until it listens; false when it ended first
# (another server holds the address).
start_server() {
  python3 "$here/update_web_server.py" "$address" "$work/www" 2>"$work/server.log" &
  server=$!
  for _ in $(seq 100); do
    [ -f "$work/ready" ] && return 0
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
  done
  wait "$server" 2>/dev/null || true
  server=
  return 1
}

# A server of another test run may hold the address for a while: retry for a
# bounded time before giving up.
for attempt in $(seq 60); do
  start_server && break
  if [ "$attempt" = 60 ]; then
    cat "$work/server.log" >&2
    echo "web server did not start on $address port 80" >&2
    exit 1
  fi
  sleep 1
done

export TARVEX_WEB_ROOT="$work/www" TARVEX_WEB_ADDRESS="$address"
status=0
"$@" || status=$?
exit "$status"
