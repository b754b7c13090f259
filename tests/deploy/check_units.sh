#!/usr/bin/env bash
# Checks the systemd units of deploy/systemd: systemd-analyze verify finds
# nothing to say about the template (its program path pointed at this
# build's server, which it requires to exist), the server takes each
# example settings file, and each front server those files describe is one
# that deploy/nginx/norda.conf balances over.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
deploy=$(cd "$here/../../deploy" && pwd)
source "$here/../../tools/harness/native_build.sh"
unit=$deploy/systemd/norda-server@.service
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
server=/usr/bin/norda_server
grep -q "^ExecStart=$server --config /etc/norda/norda-%i.conf$" "$unit" || fail "ExecStart does not run $server on its settings file"
grep -q "^Type=notify$" "$unit" && grep -q "^WatchdogSec=[1-9]" "$unit" || fail "the unit does not watch the server"
sed "s#$server#$native/server/norda_server#" "$unit" >"$scratch/norda-server@.service"
# Its manual page comes with the package, not with this checkout.
findings=$(systemd-analyze verify --man=no "$scratch/norda-server@.service" 2>&1) || fail "systemd-analyze verify failed"
[ -z "$findings" ] || fail "systemd-analyze verify: $findings"

setting() { sed -n "s/^$1 = //p" "$2"; }
for settings in "$deploy"/systemd/norda-*.conf "$deploy"/package/norda-main.conf; do
  # Refused settings end the server with status 2; taken ones let it go on
  # to open its database, here a missing one, which ends it with status 1.
  said=$("$native/server/norda_server" --config "$settings" --database "$scratch/missing.sqlite" 2>&1)
  [ $? = 1 ] || fail "$(basename "$settings"): $said"
done
for settings in "$deploy"/systemd/norda-*.conf; do
  address=$(setting address "$settings"):$(setting port "$settings")
  grep -q "^ *server $address max_fails=1 " "$deploy/nginx/norda.conf" ||
    fail "$(basename "$settings"): nginx does not balance over $address"
  grep -q "^ *server $address backup " "$deploy/nginx/norda.conf" ||
    fail "$(basename "$settings"): nginx has no backup entry for $address"
done
[ "$failures" = 0 ]
