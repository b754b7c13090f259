#!/usr/bin/env bash
# Writes what the test server's database holds for the first two stations:
# their numbers (stations.txt) and every row of each observation table
# (<table>.csv, values separated by ",", one row a line), read from
# $TARVEX_SERVER_DB (a SQLite file with the sqlite3 shell, else a PostgreSQL
# connection string with psql), into a scratch folder exported as
# TARVEX_EXPECTED_DIR; then runs the command and removes the folder.
#
# Usage (inside tools/harness/with_server.sh): dump_observations.sh COMMAND [ARGS...]
set -euo pipefail
db=${TARVEX_SERVER_DB:?run inside tools/harness/with_server.sh}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
query() {  # query SQL: rows with values separated by ","
  if [ -f "$db" ]; then
    sqlite3 -list -separator , "$db" "$1;"
  else
    psql -X -A -t -F , "$db" -c "$1"
  fi
}
stations="SELECT DISTINCT sChiten FROM st_data_n ORDER BY sChiten LIMIT 2"
query "$stations" >"$dir/stations.txt"
for table in st_data_h st_data_th st_data_rh st_data_j st_data_t st_data_n; do
  query "SELECT * FROM $table WHERE sChiten IN ($stations)" >"$dir/$table.csv"
done
export TARVEX_EXPECTED_DIR=$dir
status=0
"$@" || status=$?
exit $status
