#!/usr/bin/env bash
# The PostgreSQL backup of deploy/README, run against the private cluster of
# tools/harness/with_postgres.sh: pg_dump of the database in its custom format,
# pg_restore into a new, empty database, and a server on the restored one
# that signs in and holds the same accounts and ledger as the original.
set -uo pipefail
source "$(dirname "$0")/../../tools/harness/native_build.sh"
: "${TARVEX_POSTGRES:?runs inside tools/harness/with_postgres.sh}"
ADDRESS=${TEST_ADDRESS_DEPLOY_POSTGRES_BACKUP:?set by ctest}
PORT=8080
SIGN_IN="sql=BEGIN;SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';COMMIT;"
LEDGER="SELECT count(*), coalesce(sum(data_total), 0) FROM fee_history_dt"
ACCOUNTS="SELECT client_no, user_id FROM client_mt ORDER BY client_no, user_id"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
scratch=$(mktemp -d)
chmod 755 "$scratch"
server=
cleanup() {
  [ -n "$server" ] && kill "$server" && wait "$server"
  rm -rf "$scratch"
}
trap cleanup EXIT

original="$TARVEX_POSTGRES dbname=norda_sample"
restored="$TARVEX_POSTGRES dbname=norda_restored"
psql -X -q "$original" -c "INSERT INTO fee_history_dt(client_no, feeday, data_total) VALUES ('10001', '2026-12-07 12:00:00', 42)" ||
  fail "cannot add a ledger row"
pg_dump --format=custom --file="$scratch/norda.dump" "$original" || fail "pg_dump failed"
psql -X -q "$TARVEX_POSTGRES dbname=postgres" -c "CREATE DATABASE norda_restored" || fail "cannot create the database"
pg_restore --exit-on-error --no-owner --dbname="$restored" "$scratch/norda.dump" || fail "pg_restore failed"
for query in "$LEDGER" "$ACCOUNTS"; do
  [ "$(psql -X -At "$original" -c "$query")" = "$(psql -X -At "$restored" -c "$query")" ] ||
    fail "the restored database differs: $query"
done

"$native/server/norda_server" --database "$restored" --address $ADDRESS --port $PORT 2>"$scratch/server.log" &
server=$!
for _ in $(seq 50); do grep -q "^norda_server: serving" "$scratch/server.log" && break; sleep 0.2; done
reply=$(curl -s --data-binary "$SIGN_IN" "http://$ADDRESS:$PORT/norda/dbcommit.php")
[ "$reply" = $'OK\n10001\n;' ] || fail "the server on the restored database answered: $reply $(cat "$scratch/server.log")"
[ "$failures" = 0 ] && echo "postgres backup test passed"
