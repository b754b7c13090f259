#!/usr/bin/env bash
# Runs COMMAND after adding usage ledger rows to the reference server's
# database ($TARVEX_SERVER_DB, set by tools/harness/with_server.sh): for the demo
# client 10001, 120 and 35 records in the current local month and 999 in
# July 1998; for another client, 7 records in the current month. The demo
# client's sum for this month is therefore 155.
#
# Usage: tests/launcher/with_ledger_rows.sh COMMAND [ARGS...]
set -euo pipefail
month=$(date +%Y-%m)
sqlite3 "${TARVEX_SERVER_DB:?run under tools/harness/with_server.sh}" <<SQL
INSERT INTO fee_history_dt(client_no, feeday, data_total) VALUES
  ('10001', '$month-01 09:00:00', 120),
  ('10001', '$month-02 10:30:00', 35),
  ('10001', '1998-07-15 12:00:00', 999),
  ('10002', '$month-03 08:00:00', 7);
SQL
exec "$@"
