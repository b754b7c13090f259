#!/usr/bin/env bash
# Runs COMMAND against the reference server's database copy with the link
# tests' fixtures: two subscribers sharing the user ID "twin", a subscriber
# "ledger" with client number 20077 and no usage yet, all with the demo
# subscriber's password (its hash copied, as the server keeps passwords
# hashed only), and the number of a station that has yearly rows, in
# TARVEX_TEST_STATION.
#
# Usage (inside tools/harness/with_server.sh): with_link_fixtures.sh COMMAND [ARGS...]
set -euo pipefail
: "${TARVEX_SERVER_DB:?run inside tools/harness/with_server.sh}"
query() {  # query SQL: rows of one value
  if [ -f "$TARVEX_SERVER_DB" ]; then sqlite3 "$TARVEX_SERVER_DB" "$1;"; else psql -X -A -t -q "$TARVEX_SERVER_DB" -c "$1"; fi
}
while read -r number user; do
  query "INSERT INTO client_mt(client_no, user_id, password) SELECT '$number', '$user', password FROM client_mt WHERE user_id = 'demo'"
done <<'ACCOUNTS'
20001 twin
20002 twin
20077 ledger
ACCOUNTS
TARVEX_TEST_STATION=$(query "SELECT sChiten FROM st_data_n ORDER BY sChiten LIMIT 1")
export TARVEX_TEST_STATION
exec "$@"
