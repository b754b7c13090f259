#!/usr/bin/env bash
# Runs a command against the scaled-out service of deploy/, brought up on
# loopback addresses the way deploy/README.md sets it up: a PostgreSQL
# primary with a streaming replica, the roles and grants of
# deploy/postgresql/, the schema made by norda_admin init and the sample
# data loaded with psql's \copy, two norda_server front servers reading
# observations from the replica, and nginx with deploy/nginx/norda.conf.
#
# Usage: tools/harness/with_deployment.sh FRONT BACK -- COMMAND [ARGS...]
#
# nginx listens on FRONT port 80 and, with a certificate for FRONT of a test
# authority made for the run, port 443. BACK is the first of four consecutive
# addresses: the primary and the replica (port 54320), then the front
# servers (port 8080). COMMAND runs with these exported:
#   TARVEX_DEPLOY_FRONT          FRONT, where nginx listens
#   TARVEX_DEPLOY_AUTHORITY      the test authority's certificate (PEM), which
#                                signed the one nginx offers on port 443
#   TARVEX_DEPLOY_SERVERS        the front servers, "ADDRESS:PORT ADDRESS:PORT"
#   TARVEX_DEPLOY_SERVER_PIDS    their process IDs, in the same order
#   TARVEX_DEPLOY_DATABASE       the primary as the front servers reach it (role norda_server)
#   TARVEX_DEPLOY_READ_DATABASE  the replica, likewise
#   TARVEX_DEPLOY_DIR            the working folder (nginx/access.log, server logs)
#   TARVEX_SERVER_ADDRESS        FRONT, as tools/harness/with_server.sh exports it
#   TARVEX_SERVER_DB             the primary as its superuser reaches it, for checks
# At the end everything is stopped and removed; the exit status is COMMAND's.
set -uo pipefail

usage() { echo "usage: $0 FRONT BACK -- COMMAND [ARGS...]" >&2; exit 2; }
[ $# -ge 4 ] && [ "$3" = "--" ] || usage
front=$1
back=$2
shift 3
[[ $back =~ ^([0-9]+\.[0-9]+\.[0-9]+)\.([0-9]+)$ ]] && [ "${BASH_REMATCH[2]}" -le 251 ] || usage
net=${BASH_REMATCH[1]}
first=${BASH_REMATCH[2]}
primary_address=$net.$first
replica_address=$net.$((first + 1))
server_addresses=("$net.$((first + 2))" "$net.$((first + 3))")

here=$(cd "$(dirname "$0")" && pwd)
deploy=$(cd "$here/../../deploy" && pwd)
source "$here/native_build.sh"

POSTGRES_PORT=54320
SERVER_PORT=8080
METRICS_PORT=9464
FRONT_PORT=80
FRONT_TLS_PORT=443
STATUS_PORT=8081
# The sample data reaches the service the way an operator loads data: one
# \copy per table.
LOADED_TABLES=(client_mt block_mt prefecture_mt station_mt st_data_h st_data_th st_data_rh st_data_j st_data_t st_data_n)
# nginx reaches the front servers from this machine's own loopback address;
# they believe the client address nginx passes on from it alone.
PROXY_ADDRESS=127.0.0.1
WAIT_STEPS=100  # of 0.1 s

workdir=$(mktemp -d "${TMPDIR:-/tmp}/tarvex-deployment.XXXXXX")
chmod 755 "$workdir"
server_pids=()
nginx_pid=

cleanup() {
  if [ -n "$nginx_pid" ]; then
    kill -TERM "$nginx_pid" 2>/dev/null
    wait "$nginx_pid" 2>/dev/null
  fi
  for pid in "${server_pids[@]}"; do
    kill -TERM "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  for cluster in replica primary; do
    [ -d "$workdir/$cluster/data" ] && "$here/postgres_cluster.sh" stop "$workdir/$cluster" 2>/dev/null
  done
  rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() {
  echo "with_deployment: $1" >&2
  shift
  for log in "$@"; do cat "$log" >&2 2>/dev/null; done
  exit 2
}

# conninfo ADDRESS ROLE DATABASE
conninfo() { echo "host=$1 port=$POSTGRES_PORT user=$2 dbname=$3"; }

sql() {  # sql CONNINFO ARGS...: psql that stops at the first error
  local target=$1
  shift
  psql -X -q -v ON_ERROR_STOP=1 "$target" "$@"
}

start_databases() {
  "$here/postgres_cluster.sh" init "$workdir/primary" "$primary_address" "$POSTGRES_PORT" ||
    fail "the primary did not start on $primary_address" "$workdir/primary/server.log"
  "$here/postgres_cluster.sh" replica "$workdir/replica" "$replica_address" "$POSTGRES_PORT" \
    "$primary_address" "$POSTGRES_PORT" ||
    fail "the replica did not start on $replica_address" "$workdir/replica/server.log"
}

load_data() {
  local admin owner staging table
  admin=$(conninfo "$primary_address" postgres postgres)
  owner=$(conninfo "$primary_address" norda_owner norda)
  staging=$(conninfo "$primary_address" postgres norda_staging)
  sql "$admin" -f "$deploy/postgresql/roles.sql" >/dev/null || fail "roles.sql failed"
  "$native/server/norda_admin" --database "$owner" init || fail "norda_admin init failed"
  sql "$admin" -c "CREATE DATABASE norda_staging" &&
    "$native/server/norda_sample" --database "$staging" || fail "cannot write the sample data"
  for table in "${LOADED_TABLES[@]}"; do
    sql "$staging" -c "\\copy $table TO STDOUT" | sql "$owner" -c "\\copy $table FROM STDIN" ||
      fail "cannot load $table"
  done
  sql "$owner" -c "ANALYZE $(IFS=,; echo "${LOADED_TABLES[*]}")" -f "$deploy/postgresql/grants.sql" ||
    fail "grants.sql failed"
  sql "$admin" -c "DROP DATABASE norda_staging" || fail "cannot drop the staging database"
}

# Waits until the replica has replayed everything the primary has written.
await_replica() {
  local position
  position=$(psql -X -At "$(conninfo "$primary_address" postgres postgres)" -c "SELECT pg_current_wal_lsn()") ||
    fail "cannot read the primary's WAL position"
  for _ in $(seq $WAIT_STEPS); do
    [ "$(psql -X -At "$(conninfo "$replica_address" postgres postgres)" \
        -c "SELECT pg_last_wal_replay_lsn() >= '$position'")" = t ] && return
    sleep 0.1
  done
  fail "the replica did not catch up with the primary" "$workdir/replica/server.log"
}

start_servers() {
  local address log
  for address in "${server_addresses[@]}"; do
    log=$workdir/server-$address.log
    sed -e "s#^address = .*#address = $address#" -e "s#^port = .*#port = $SERVER_PORT#" \
      -e "s#^database = .*#database = $(conninfo "$primary_address" norda_server norda)#" \
      -e "s#^read-database = .*#read-database = $(conninfo "$replica_address" norda_server norda)#" \
      -e "s#^trusted-proxy = .*#trusted-proxy = $PROXY_ADDRESS#" \
      -e "s#^metrics-address = .*#metrics-address = $address:$METRICS_PORT#" \
      "$deploy/systemd/norda-a.conf" >"$workdir/norda-$address.conf"
    "$native/server/norda_server" --config "$workdir/norda-$address.conf" 2>"$log" &
    server_pids+=($!)
  done
  for address in "${server_addresses[@]}"; do
    log=$workdir/server-$address.log
    for _ in $(seq $WAIT_STEPS); do
      grep -q "^norda_server: serving" "$log" 2>/dev/null && continue 2
      sleep 0.1
    done
    fail "norda_server did not start on $address:$SERVER_PORT" "$log"
  done
}

# A test authority (tls/authority.pem) and the certificate it signed for
# FRONT, under the names deploy/nginx/norda.conf gives them.
make_certificate() {
  local tls=$workdir/nginx/tls
  mkdir -p "$tls"
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Deployment test authority" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" \
    -keyout "$tls/authority.key" -out "$tls/authority.pem" 2>/dev/null &&
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$front" \
    -addext "basicConstraints=critical,CA:FALSE" -addext "subjectAltName=IP:$front,DNS:$front" \
    -addext "extendedKeyUsage=serverAuth" \
    -CA "$tls/authority.pem" -CAkey "$tls/authority.key" \
    -keyout "$tls/norda.key" -out "$tls/norda.pem" 2>"$tls/openssl.log" ||
    fail "no test certificate could be made" "$tls/openssl.log"
}

# deploy/nginx/norda.conf with this machine's addresses and folders in place
# of the examples; fails when an example is left over.
render_nginx_site() {
  sed -e "s/server 192\.0\.2\.11:8080 /server ${server_addresses[0]}:$SERVER_PORT /" \
      -e "s/server 192\.0\.2\.12:8080 /server ${server_addresses[1]}:$SERVER_PORT /" \
      -e "s/listen 80 default_server;/listen $front:$FRONT_PORT default_server;/" \
      -e "s/listen 443 ssl default_server;/listen $front:$FRONT_TLS_PORT ssl default_server;/" \
      -e "s/listen 127\.0\.0\.1:8081;/listen $front:$STATUS_PORT;/" \
      -e "s#/var/log/nginx/#$workdir/nginx/#" \
      -e "s#/etc/nginx/tls/#$workdir/nginx/tls/#" \
      "$deploy/nginx/norda.conf" >"$workdir/nginx/norda.conf"
  ! grep -q -e "192\.0\.2\." -e "/var/log" -e "/etc/nginx/tls" -e "listen 80 " -e "listen 443 " \
      "$workdir/nginx/norda.conf" ||
    fail "deploy/nginx/norda.conf no longer has the example lines this script replaces"
}

# The main configuration that Debian's /etc/nginx/nginx.conf stands for,
# with every file inside the working folder.
start_nginx() {
  local dir=$workdir/nginx
  mkdir -p "$dir"
  make_certificate
  render_nginx_site
  cat >"$dir/nginx.conf" <<CONF
worker_processes 2;
pid $dir/nginx.pid;
error_log $dir/error.log;
events { worker_connections 512; }
http {
    client_body_temp_path $dir/body;
    proxy_temp_path $dir/proxy;
    fastcgi_temp_path $dir/fastcgi;
    uwsgi_temp_path $dir/uwsgi;
    scgi_temp_path $dir/scgi;
    include $dir/norda.conf;
}
CONF
  nginx -t -q -p "$dir" -c "$dir/nginx.conf" -e "$dir/error.log" || fail "nginx rejects the configuration"
  nginx -p "$dir" -c "$dir/nginx.conf" -e "$dir/error.log" -g "daemon off;" &
  nginx_pid=$!
  # nginx writes its pid file once it listens.
  for _ in $(seq $WAIT_STEPS); do
    [ -s "$dir/nginx.pid" ] && return
    kill -0 "$nginx_pid" 2>/dev/null || break
    sleep 0.1
  done
  fail "nginx did not start on $front:$FRONT_PORT" "$dir/error.log"
}

start_databases
load_data
await_replica
start_servers
start_nginx

export TARVEX_DEPLOY_FRONT=$front
export TARVEX_DEPLOY_AUTHORITY=$workdir/nginx/tls/authority.pem
export TARVEX_DEPLOY_SERVERS="${server_addresses[0]}:$SERVER_PORT ${server_addresses[1]}:$SERVER_PORT"
export TARVEX_DEPLOY_SERVER_PIDS="${server_pids[*]}"
export TARVEX_DEPLOY_DATABASE=$(conninfo "$primary_address" norda_server norda)
export TARVEX_DEPLOY_READ_DATABASE=$(conninfo "$replica_address" norda_server norda)
export TARVEX_DEPLOY_DIR=$workdir
export TARVEX_SERVER_ADDRESS=$front
export TARVEX_SERVER_DB=$(conninfo "$primary_address" postgres norda)
"$@"
