#!/usr/bin/env bash
# Runs one end-to-end test: starts the reference server on the viewer's
# built-in data server address (127.0.0.1, which also serves sign-in and the
# ledger here) on a fresh copy of the sample database, lays out an install
# folder from this build whose master files are written from that copy (so
# its pick lists list what the server holds), runs the test under Wine, then
# its checker on what the test left. The checker's pictures and other
# findings land in <build>/e2e-artifacts/NAME.
#
# Usage: run_with_install.sh [--deployment] [--prepare COMMAND] NAME CHECKER -- TEST_COMMAND...
# (ctest passes the Wine command). With --deployment the programs meet the
# scaled-out service of deploy/ instead (tools/harness/with_deployment.sh: nginx on
# 127.0.0.1 before two front servers on TEST_ADDRESS_E2E_DEPLOY_BACK over PostgreSQL). With
# --prepare, COMMAND first adds to
# the server's database (TARVEX_SERVER_DB) what the test needs, before the
# master files are written. The test sees TARVEX_INSTALL_DIR, the install
# folder, and TARVEX_REPORTS_DIR, an empty folder for what it leaves; the
# checker is run as
#   python3 CHECKER --db SERVER_DB --reports REPORTS_DIR --artifacts ARTIFACTS_DIR
set -euo pipefail
usage() { echo "usage: $0 [--deployment] [--prepare COMMAND] NAME CHECKER -- TEST_COMMAND..." >&2; exit 2; }
root=$(cd "$(dirname "$0")/../.." && pwd)
service=("$root/tools/harness/with_server.sh" 127.0.0.1)
if [ "${1:-}" = --deployment ]; then
  service=("$root/tools/harness/with_deployment.sh" 127.0.0.1 "${TEST_ADDRESS_E2E_DEPLOY_BACK:?set by ctest}")
  shift
fi
prepare=
if [ "${1:-}" = --prepare ]; then
  [ $# -ge 2 ] || usage
  prepare=$2
  shift 2
fi
[ $# -ge 4 ] && [ "$3" = "--" ] || usage
name=$1
checker=$2
shift 3
: "${TARVEX_BUILD_DIR:?}" "${TARVEX_NATIVE_DIR:?}"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export TARVEX_INSTALL_DIR=$scratch/install
export TARVEX_REPORTS_DIR=$scratch/reports
mkdir -p "$TARVEX_REPORTS_DIR"

artifacts=$TARVEX_BUILD_DIR/e2e-artifacts/$name
rm -rf "$artifacts"
mkdir -p "$artifacts"
"${service[@]}" -- bash -c '
  set -e
  root=$1 prepare=$2 checker=$3 artifacts=$4
  shift 4
  [ -z "$prepare" ] || "$prepare"
  TARVEX_MASTERS_DATABASE=$TARVEX_SERVER_DB \
    "$root/tools/build/make_install.sh" "$TARVEX_BUILD_DIR" "$TARVEX_NATIVE_DIR" "$TARVEX_INSTALL_DIR" >/dev/null
  "$@"
  python3 "$checker" --db "$TARVEX_SERVER_DB" --reports "$TARVEX_REPORTS_DIR" --artifacts "$artifacts"
' test "$root" "$prepare" "$checker" "$artifacts" "$@"
