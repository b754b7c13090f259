#!/usr/bin/env bash
# Runs COMMAND against the reference server's database copy with the link
# tests' fixtures: two subscribers sharing one user ID and password, and the
# number of a station that has yearly rows, in TARVEX_TEST_STATION.
#
# Usage (inside tools/with_server.sh): with_link_fixtures.sh COMMAND [ARGS...]
set -euo pipefail
: "${TARVEX_SERVER_DB:?run inside tools/with_server.sh}"
sqlite3 "$TARVEX_SERVER_DB" \
  "INSERT INTO client_mt(client_no, user_id, password) VALUES ('20001', 'twin', 'pair'), ('20002', 'twin', 'pair');"
TARVEX_TEST_STATION=$(sqlite3 "$TARVEX_SERVER_DB" "SELECT sChiten FROM st_data_n ORDER BY sChiten LIMIT 1;")
export TARVEX_TEST_STATION
exec "$@"
