#!/usr/bin/env bash
# Checks the systemd units of deploy/systemd: systemd-analyze verify finds
# nothing to say about the template (its program path pointed at this
# build's server, which it requires to exist), every variable its command
# line uses is set in each example settings file, and each front server
# those files describe is one that deploy/nginx/norda.conf balances over.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
deploy=$(cd "$here/../../deploy" && pwd)
source "$here/../../tools/native_build.sh"
unit=$deploy/systemd/norda-server@.service
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
grep -q "^ExecStart=/usr/local/bin/norda_server " "$unit" || fail "ExecStart does not run /usr/local/bin/norda_server"
sed "s#/usr/local/bin/norda_server#$native/server/norda_server#" "$unit" >"$scratch/norda-server@.service"
findings=$(systemd-analyze verify "$scratch/norda-server@.service" 2>&1) || fail "systemd-analyze verify failed"
[ -z "$findings" ] || fail "systemd-analyze verify: $findings"

variables=$(grep "^ExecStart=" "$unit" | grep -o '\${[A-Z_]*}' | tr -d '${}' | sort -u)
[ -n "$variables" ] || fail "ExecStart uses no settings"
for settings in "$deploy"/systemd/server-*.env; do
  for name in $variables; do
    grep -q "^$name=." "$settings" || fail "$(basename "$settings") does not set $name"
  done
  address=$(sed -n 's/^NORDA_ADDRESS=//p' "$settings"):$(sed -n 's/^NORDA_PORT=//p' "$settings")
  grep -q "^ *server $address max_fails=1 " "$deploy/nginx/norda.conf" ||
    fail "$(basename "$settings"): nginx does not balance over $address"
  grep -q "^ *server $address backup " "$deploy/nginx/norda.conf" ||
    fail "$(basename "$settings"): nginx has no backup entry for $address"
done
[ "$failures" = 0 ]
