#!/usr/bin/env bash
# The Debian package norda-server on this machine: it installs with dpkg,
# brings its files, the user norda and its conffile; the installed server
# runs on the installed settings file against a fresh database and signs
# in; removal keeps settings and data, purge deletes them. Needs root.
set -uo pipefail
source "$(dirname "$0")/../../tools/harness/native_build.sh"
ADDRESS=${TEST_ADDRESS_DEPLOY_PACKAGE:?set by ctest}
PORT=8080
CONF=/etc/norda/norda-main.conf
SIGN_IN="sql=BEGIN;SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';COMMIT;"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
server=
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server"
  dpkg -P norda-server >/dev/null 2>&1
}
trap cleanup EXIT

cmake --build "$native" --target deb_package >/dev/null || { echo "cannot build the package"; exit 1; }
deb=$(ls "$native"/norda-server_*.deb)
dpkg -P norda-server >/dev/null 2>&1
dpkg -i "$deb" >/dev/null || { echo "dpkg -i failed"; exit 1; }

for file in /usr/bin/norda_server /usr/bin/norda_admin /usr/bin/norda_sample \
  /lib/systemd/system/norda-server@.service $CONF /etc/logrotate.d/norda-server \
  /usr/share/doc/norda-server/copyright /usr/share/doc/norda-server/changelog.gz \
  /usr/share/man/man1/norda_admin.1.gz /usr/share/man/man1/norda_sample.1.gz; do
  [ -f "$file" ] || fail "$file is not installed"
done
getent passwd norda >/dev/null || fail "no user norda"
[ "$(stat -c %U /var/lib/norda 2>/dev/null)" = norda ] || fail "/var/lib/norda does not belong to norda"
[ "$(stat -c %U /var/log/norda 2>/dev/null)" = norda ] || fail "/var/log/norda does not belong to norda"
dpkg-query -W -f='${Conffiles}\n' norda-server | grep -q "^ $CONF " || fail "$CONF is no conffile"
logrotate --debug /etc/logrotate.d/norda-server >/dev/null 2>&1 || fail "logrotate refuses its rule"
findings=$(systemd-analyze verify /lib/systemd/system/norda-server@.service 2>&1)
[ $? = 0 ] && [ -z "$findings" ] || fail "systemd-analyze verify of the installed unit: $findings"
man -w norda_server >/dev/null 2>&1 || fail "no manual page of norda_server"

# The installed programs on the installed settings, as the user norda.
runuser -u norda -- norda_sample --database /var/lib/norda/norda.sqlite || fail "norda_sample failed"
log=$(mktemp)
runuser -u norda -- /usr/bin/norda_server --config $CONF --address $ADDRESS --port $PORT 2>"$log" &
server=$!
for _ in $(seq 50); do grep -q "^norda_server: serving" "$log" && break; sleep 0.2; done
reply=$(curl -s --data-binary "$SIGN_IN" "http://$ADDRESS:$PORT/norda/dbcommit.php")
[ "$reply" = $'OK\n10001\n;' ] || fail "sign-in through the installed server answered: $reply $(cat "$log")"
runuser -u norda -- norda_admin --config $CONF list | grep -q " demo$" || fail "norda_admin --config does not list demo"
kill "$server" && wait "$server"
server=
rm -f "$log"

# Removal keeps what the operator made; purge takes it away.
echo "# changed by the operator" >>$CONF
dpkg -r norda-server >/dev/null || fail "dpkg -r failed"
[ ! -e /usr/bin/norda_server ] || fail "removal left the server"
grep -q "changed by the operator" $CONF || fail "removal did not keep the changed settings"
[ -f /var/lib/norda/norda.sqlite ] || fail "removal did not keep the database"
dpkg -P norda-server >/dev/null || fail "dpkg -P failed"
for gone in /etc/norda /var/lib/norda /var/log/norda /etc/logrotate.d/norda-server; do
  [ ! -e "$gone" ] || fail "purge left $gone"
done
[ "$failures" = 0 ] && echo "package test passed"
