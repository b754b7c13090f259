#!/usr/bin/env bash
# A private PostgreSQL cluster for tests and benchmarks: its own folder,
# socket, address and port, run by an unprivileged user (initdb refuses
# root; as root the clusters run as "postgres", the Debian package's user).
#
#   postgres_cluster.sh init DIR ADDRESS PORT     create and start a cluster
#   postgres_cluster.sh replica DIR ADDRESS PORT PRIMARY_ADDRESS PRIMARY_PORT
#                                                 a streaming replica of the primary, started
#   postgres_cluster.sh start DIR                 start an existing cluster again
#   postgres_cluster.sh stop DIR                  stop it (fast shutdown), waiting until it is down
#   postgres_cluster.sh promote DIR               turn a replica into a primary
#
# Clients reach it at host=ADDRESS port=PORT user=postgres (trusted, no
# password: the clusters listen on loopback addresses only). Extra server
# settings may be given in POSTGRES_SETTINGS ("-c name=value ...").
set -euo pipefail

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bindir/initdb" ] || { echo "postgres_cluster: no PostgreSQL server installed" >&2; exit 2; }

as_owner() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

prepare_folder() {  # prepare_folder DIR
  mkdir -p "$1"
  [ "$(id -u)" = 0 ] && chown postgres: "$1"
  chmod 700 "$1"
}

start() {  # start DIR
  as_owner "$bindir/pg_ctl" -D "$1/data" -l "$1/server.log" -w -t 60 start >/dev/null
}

listen_settings() {  # listen_settings DIR ADDRESS PORT
  cat >>"$1/data/postgresql.conf" <<CONF
listen_addresses = '$2'
port = $3
unix_socket_directories = '$1'
max_connections = 200
$(for s in ${POSTGRES_SETTINGS:-}; do [ "$s" = -c ] || echo "$s"; done)
CONF
}

command=${1:-}
case "$command" in
  init)
    [ $# = 4 ] || { echo "usage: $0 init DIR ADDRESS PORT" >&2; exit 2; }
    dir=$2
    prepare_folder "$dir"
    as_owner "$bindir/initdb" -D "$dir/data" -U postgres --auth=trust -E UTF8 --locale=C.UTF-8 >/dev/null
    cat >>"$dir/data/pg_hba.conf" <<HBA
host all all 127.0.0.0/8 trust
host replication all 127.0.0.0/8 trust
HBA
    listen_settings "$dir" "$3" "$4"
    start "$dir"
    ;;
  replica)
    [ $# = 6 ] || { echo "usage: $0 replica DIR ADDRESS PORT PRIMARY_ADDRESS PRIMARY_PORT" >&2; exit 2; }
    dir=$2
    prepare_folder "$dir"
    as_owner "$bindir/pg_basebackup" -h "$5" -p "$6" -U postgres -D "$dir/data" -R -X stream -c fast
    # The copy carries the primary's listen settings; the last ones count.
    listen_settings "$dir" "$3" "$4"
    start "$dir"
    ;;
  start)
    start "$2"
    ;;
  stop)
    as_owner "$bindir/pg_ctl" -D "$2/data" -m fast -w -t 60 stop >/dev/null
    ;;
  promote)
    as_owner "$bindir/pg_ctl" -D "$2/data" -w promote >/dev/null
    ;;
  *)
    sed -n '2,16p' "$0" >&2
    exit 2
    ;;
esac
