#!/usr/bin/env bash
# Runs COMMAND after adding to the reference server's database
# ($TARVEX_SERVER_DB, set by tools/harness/with_server.sh) the account "capped"
# (client 20009, the demo's password "tarvex") with an allowance of 100 rows
# a month, of which the server has delivered 100 today: its observation
# requests are refused this month.
#
# Usage: tests/viewer/form/with_used_up_allowance.sh COMMAND [ARGS...]
set -euo pipefail
today=$(date +%Y-%m-%d)
sqlite3 "${TARVEX_SERVER_DB:?run under tools/harness/with_server.sh}" <<SQL
INSERT INTO client_mt(client_no, user_id, password, allowance)
  SELECT '20009', 'capped', password, 100 FROM client_mt WHERE user_id = 'demo';
INSERT INTO delivery_dt(client_no, delivered_on, delivered_rows) VALUES ('20009', '$today', 100);
SQL
exec "$@"
