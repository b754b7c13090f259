#!/usr/bin/env bash
# Runs the user road end to end: lays out an install folder from this build,
# starts the reference server on the viewer's built-in data server address
# (127.0.0.1, which also serves sign-in and the ledger here), runs the road
# under Wine and checks what it left with check_reports.py. Screenshots and
# the spreadsheet's reading of the CSV land in <build>/e2e-artifacts.
#
# With --deployment the programs meet the scaled-out service of deploy/
# instead (tools/with_deployment.sh: nginx on 127.0.0.1 before two front
# servers on 127.0.22.x over PostgreSQL), and the artifacts land in
# <build>/e2e-deploy-artifacts.
#
# Usage: run_user_road.sh [--deployment] TEST_COMMAND...   (ctest passes the Wine command)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
: "${TARVEX_BUILD_DIR:?}" "${TARVEX_NATIVE_DIR:?}"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export TARVEX_INSTALL_DIR=$scratch/install
export TARVEX_REPORTS_DIR=$scratch/reports
export TARVEX_USAGE_MESSAGE=$scratch/usage-message.txt
mkdir -p "$TARVEX_REPORTS_DIR"
"$root/tools/make_install.sh" "$TARVEX_BUILD_DIR" "$TARVEX_NATIVE_DIR" "$TARVEX_INSTALL_DIR" >/dev/null

service=("$root/tools/with_server.sh" 127.0.0.1)
artifacts=$TARVEX_BUILD_DIR/e2e-artifacts
if [ "${1:-}" = --deployment ]; then
  shift
  service=("$root/tools/with_deployment.sh" 127.0.0.1 127.0.22.10)
  artifacts=$TARVEX_BUILD_DIR/e2e-deploy-artifacts
fi
rm -rf "$artifacts"
"${service[@]}" -- bash -c '
  set -e
  "$@"
  python3 "'"$here"'/check_reports.py" --db "$TARVEX_SERVER_DB" \
    --reports "$TARVEX_REPORTS_DIR" --usage-message "$TARVEX_USAGE_MESSAGE" \
    --artifacts "'"$artifacts"'"
' road "$@"
