#!/usr/bin/env bash
# Runs the programs installed in a folder whose name Shift-JIS cannot hold,
# under the system code page CODE_PAGE: lays out an install folder from this
# build in "<scratch>/José Ñúñez/Tarvex", a TEMP folder "<scratch>/Temp Ñandú",
# and starts around the test
#   - the ledger server (ServerIP: sign-in and usage ledger),
#   - the data server (DataServer: observations), whose database
#     holds no account and one observation of its own (precipitation 4321 at
#     11001 on 1999/01/01), so a report shows which server it came from,
#   - the update web server,
# on the addresses TEST_ADDRESS_E2E_FOREIGN_<CODE_PAGE>_{LEDGER,DATA,WEB}.
#
# Usage: run_foreign_folder.sh CODE_PAGE -- TEST_COMMAND...
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
[ $# -ge 3 ] && [ "$2" = "--" ] || { echo "usage: $0 1252|932 -- COMMAND..." >&2; exit 2; }
code_page=$1
shift 2
: "${TARVEX_BUILD_DIR:?}" "${TARVEX_NATIVE_DIR:?}"
addresses=TEST_ADDRESS_E2E_FOREIGN_$code_page
ledger=${addresses}_LEDGER data=${addresses}_DATA web=${addresses}_WEB
[ -n "${!ledger:-}" ] && [ -n "${!data:-}" ] && [ -n "${!web:-}" ] ||
  { echo "run_foreign_folder: no addresses for code page $code_page" >&2; exit 2; }
ledger=${!ledger} data=${!data} web=${!web}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export TARVEX_INSTALL_DIR="$scratch/José Ñúñez/Tarvex"
export TARVEX_TEMP_DIR="$scratch/Temp Ñandú"
mkdir -p "$TARVEX_TEMP_DIR"
"$root/tools/build/make_install.sh" "$TARVEX_BUILD_DIR" "$TARVEX_NATIVE_DIR" "$TARVEX_INSTALL_DIR" >/dev/null
export TARVEX_LEDGER_ADDRESS=$ledger TARVEX_DATA_ADDRESS=$data

# The data server holds no accounts: it serves its observations to any
# address (--open-reads), as a data-only server does.
TARVEX_SERVER_OPTIONS=--open-reads "$root/tools/harness/with_server.sh" "$data" -- bash -c '
  unset TARVEX_SERVER_OPTIONS
  sqlite3 "$TARVEX_SERVER_DB" "DELETE FROM client_mt;
    UPDATE st_data_h SET d8 = 4321 WHERE sChiten = 11001 AND d2 = 1999 AND d3 = 1 AND d7 = 1;"
  exec "$@"' data-server \
  "$root/tools/harness/with_server.sh" "$ledger" -- \
  "$root/tests/launcher/with_web_server.sh" "$web" -- \
  "$root/tools/env/with_code_page.sh" "$code_page" -- "$@"
