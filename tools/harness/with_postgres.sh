#!/usr/bin/env bash
# Runs a command with a private PostgreSQL cluster that holds the sample
# database.
#
# Usage: tools/harness/with_postgres.sh ADDRESS -- COMMAND [ARGS...]
#
# Starts a cluster (tools/harness/postgres_cluster.sh) in a temporary folder on
# ADDRESS port 54320, writes the sample database into its database
# "norda_sample", which tests copy with CREATE DATABASE ... TEMPLATE
# norda_sample, runs COMMAND with
#   TARVEX_POSTGRES      "host=ADDRESS port=54320 user=postgres" (add dbname=...)
#   TARVEX_POSTGRES_DIR  the cluster folder (for postgres_cluster.sh stop/start)
#   TARVEX_POSTGRES_ADDRESS, TARVEX_POSTGRES_PORT  where it listens
# exported, then stops the cluster, removes the folder and exits with
# COMMAND's status.
set -uo pipefail

usage() { echo "usage: $0 ADDRESS -- COMMAND [ARGS...]" >&2; exit 2; }
[ $# -ge 3 ] && [ "$2" = "--" ] || usage
address=$1
shift 2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/native_build.sh"
port=54320

workdir=$(mktemp -d "${TMPDIR:-/tmp}/tarvex-postgres.XXXXXX")
chmod 755 "$workdir"
cluster=$workdir/cluster
cleanup() {
  "$here/postgres_cluster.sh" stop "$cluster" 2>/dev/null
  rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

base="host=$address port=$port user=postgres"
if ! "$here/postgres_cluster.sh" init "$cluster" "$address" "$port"; then
  echo "with_postgres: the cluster did not start on $address:$port" >&2
  cat "$cluster/server.log" >&2 2>/dev/null
  exit 2
fi
psql -q -X "$base dbname=postgres" -c "CREATE DATABASE norda_sample" >/dev/null &&
  "$native/server/norda_sample" --database "$base dbname=norda_sample" ||
  { echo "with_postgres: cannot write the sample database" >&2; exit 2; }

export TARVEX_POSTGRES=$base TARVEX_POSTGRES_DIR=$cluster TARVEX_POSTGRES_ADDRESS=$address TARVEX_POSTGRES_PORT=$port
"$@"
