#!/usr/bin/env bash
# Runs a command against a private reference server on one loopback address.
#
# Usage: tools/harness/with_server.sh ADDRESS -- COMMAND [ARGS...]
#
# Copies the sample database of the native build to a fresh temporary file,
# starts norda_server on ADDRESS port 80 with it, waits until it listens,
# runs COMMAND with TARVEX_SERVER_ADDRESS and TARVEX_SERVER_DB (the copy's
# path) exported, then stops the server, removes the copy and exits with
# COMMAND's status.
#
# TARVEX_SERVER_OPTIONS, when set, holds further norda_server options
# separated by blanks (e.g. "--trusted-proxy 127.0.15.8" behind a proxy).
#
# With TARVEX_SERVER_ENGINE=postgresql the server runs on a copy of the
# sample database in a private PostgreSQL cluster instead (tools/harness/with_postgres.sh
# on ADDRESS, its own port), and TARVEX_SERVER_DB is its connection string.
#
# The native build folder is found by tools/harness/native_build.sh.
set -uo pipefail

usage() { echo "usage: $0 ADDRESS -- COMMAND [ARGS...]" >&2; exit 2; }
[ $# -ge 3 ] && [ "$2" = "--" ] || usage
address=$1
shift 2

here=$(cd "$(dirname "$0")" && pwd)
source "$here/native_build.sh"
server=$native/server/norda_server
sample=$native/sample/norda.sqlite
[ -f "$sample" ] || { echo "with_server: no sample database at $sample" >&2; exit 2; }

if [ "${TARVEX_SERVER_ENGINE:-sqlite}" = postgresql ] && [ -z "${TARVEX_POSTGRES:-}" ]; then
  exec "$here/with_postgres.sh" "$address" -- "$0" "$address" -- "$@"
fi

workdir=$(mktemp -d "${TMPDIR:-/tmp}/tarvex-server.XXXXXX")
if [ "${TARVEX_SERVER_ENGINE:-sqlite}" = postgresql ]; then
  psql -q -X "$TARVEX_POSTGRES dbname=postgres" -c "CREATE DATABASE norda_copy TEMPLATE norda_sample" >/dev/null ||
    { echo "with_server: cannot copy the sample database" >&2; exit 2; }
  database="$TARVEX_POSTGRES dbname=norda_copy"
else
  database=$workdir/norda.sqlite
  cp "$sample" "$database"
fi
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

read -r -a options <<< "${TARVEX_SERVER_OPTIONS:-}"
"$server" --address "$address" --port 80 --database "$database" "${options[@]}" 2>"$workdir/server.log" &
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
