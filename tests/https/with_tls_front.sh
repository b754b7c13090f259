#!/usr/bin/env bash
# Runs a command with the reference server behind nginx, which terminates
# TLS on loopback as the service's front does, and with a test certificate
# authority trusted by the Wine prefix for as long as the command runs.
#
#   FRONT:443           a certificate the test authority signed for this address;
#                       /norda/dbcommit.php goes to the server, every other path
#                       is a file of TARVEX_WEB_ROOT (the update files)
#   UNKNOWN_ISSUER:443  a certificate for its address from an authority nobody trusts
#   OTHER_HOST:443      a certificate of the test authority for another host name
#   EXPIRED:443         a certificate of the test authority that has expired
#   REDIRECTING:443     trusted like FRONT, but it redirects every request
#                       to the same address over plain http
#   each of these :80   plain listeners: whatever arrives there travelled in clear
#   RELAY               nothing listens; the trusted certificate names it too, so
#                       a relay there in front of FRONT:443 passes the checks
#                       (tools/bench/bench_link.sh models a link that way)
#
# The server runs on SERVER port 80 (tools/harness/with_server.sh) and trusts
# nginx, whose connections come from PROXY, to name the client in
# X-Real-IP. The test authority goes into the prefix's trusted root store
# (trusted_root.exe) before the command and out again afterwards. The
# addresses are TEST_ADDRESS_HTTPS_<NAME> of the table of test addresses.
#
# Exported besides what with_server.sh exports: TARVEX_WEB_ROOT and
# TARVEX_TLS_LOGS, a folder with nginx's logs of requests: secure.log (over
# TLS on FRONT and REDIRECTING), refused.log (over TLS on the other three, which no
# program may reach) and plain.log (in clear); one line a request:
#   ADDRESS:PORT PROTOCOL "REQUEST LINE" STATUS REQUEST_LENGTH "USER AGENT"
#
# Usage: tests/https/with_tls_front.sh -- COMMAND...
set -euo pipefail
[ "${1:-}" = "--" ] && shift
[ $# -ge 1 ] || { echo "usage: $0 -- COMMAND..." >&2; exit 2; }
root=$(cd "$(dirname "$0")/../.." && pwd)
: "${TARVEX_BUILD_DIR:?set by ctest}"
trusted_root=$TARVEX_BUILD_DIR/tests/support/trusted_root/trusted_root.exe
[ -f "$trusted_root" ] || { echo "with_tls_front: build the target trusted_root first" >&2; exit 2; }

FRONT=$TEST_ADDRESS_HTTPS_FRONT
UNKNOWN_ISSUER=$TEST_ADDRESS_HTTPS_UNKNOWN_ISSUER
OTHER_HOST=$TEST_ADDRESS_HTTPS_OTHER_HOST
EXPIRED=$TEST_ADDRESS_HTTPS_EXPIRED
REDIRECTING=$TEST_ADDRESS_HTTPS_REDIRECTING
RELAY=$TEST_ADDRESS_HTTPS_RELAY
PROXY=$TEST_ADDRESS_HTTPS_PROXY
SERVER=$TEST_ADDRESS_HTTPS_SERVER

work=$(mktemp -d "${TMPDIR:-/tmp}/tarvex-tls.XXXXXX")
# nginx's workers may run as another user: they read the web root.
chmod 755 "$work"
mkdir -p "$work/www" "$work/logs" "$work/temp" "$work/authority"
nginx_pid=
trusted=
cleanup() {
  if [ -n "$nginx_pid" ]; then
    kill -TERM "$nginx_pid" 2>/dev/null || true
    wait "$nginx_pid" 2>/dev/null || true
  fi
  [ -z "$trusted" ] || "$root/tools/env/wine_run.sh" "$trusted_root" remove "Z:$work/authority.pem" || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A certificate authority: NAME.pem and NAME.key.
authority() {
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$2" -keyout "$work/$1.key" -out "$work/$1.pem" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
}

# A server certificate NAME.pem (key NAME.key) of AUTHORITY for the names
# of SUBJECT_ALT_NAMES, valid from START to END (openssl ca dates).
server_certificate() {
  local name=$1 issuer=$2 names=$3 start=$4 end=$5
  printf '%s\n' "basicConstraints=CA:FALSE" "keyUsage=critical,digitalSignature,keyEncipherment" \
    "extendedKeyUsage=serverAuth" "subjectAltName=$names" > "$work/authority/$name.ext"
  local common_name=${names#*:}
  common_name=${common_name%%,*}
  openssl req -new -newkey rsa:2048 -nodes -subj "/CN=$common_name" -keyout "$work/$name.key" \
    -out "$work/authority/$name.csr" 2>/dev/null
  openssl ca -batch -config "$work/authority/ca.cnf" -name "$issuer" -in "$work/authority/$name.csr" \
    -out "$work/$name.pem" -extfile "$work/authority/$name.ext" -startdate "$start" -enddate "$end" -notext \
    2>"$work/authority/$name.log" || { cat "$work/authority/$name.log" >&2; exit 2; }
}

# An address in both forms a certificate can name it: the internet layer of
# Wine compares the host with the DNS names only, Windows with the IP entries.
names_of() { echo "IP:$1,DNS:$1"; }

make_certificates() {
  authority authority "Tarvex test authority"
  authority stranger "Stranger authority"
  : > "$work/authority/index.txt"
  echo 1000 > "$work/authority/serial"
  local section
  for section in authority stranger; do
    printf '%s\n' "[$section]" "database = $work/authority/index.txt" "serial = $work/authority/serial" \
      "new_certs_dir = $work/authority" "certificate = $work/$section.pem" "private_key = $work/$section.key" \
      "default_md = sha256" "policy = any" "unique_subject = no"
  done > "$work/authority/ca.cnf"
  printf '%s\n' "[any]" "commonName = supplied" >> "$work/authority/ca.cnf"
  local from until
  from=$(date -u -d '-1 day' +%Y%m%d%H%M%SZ)
  until=$(date -u -d '+2 days' +%Y%m%d%H%M%SZ)
  server_certificate trusted authority "$(names_of $FRONT),$(names_of $REDIRECTING),$(names_of $RELAY)" "$from" "$until"
  server_certificate unknown_issuer stranger "$(names_of $UNKNOWN_ISSUER)" "$from" "$until"
  server_certificate other_host authority "DNS:other.example" "$from" "$until"
  server_certificate expired authority "$(names_of $EXPIRED)" 20200101000000Z 20200201000000Z
}

# One TLS server block: ADDRESS CERTIFICATE LOG, then its body.
tls_server() {
  cat <<CONF
  server {
    listen $1:443 ssl;
    ssl_certificate $work/$2.pem;
    ssl_certificate_key $work/$2.key;
    access_log $work/logs/$3.log requests;
$4
  }
CONF
}

write_nginx_conf() {
  local to_server="    location = /norda/dbcommit.php {
      proxy_pass http://$SERVER:80;
      proxy_bind $PROXY;
      proxy_set_header X-Real-IP \$remote_addr;
    }"
  cat <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/logs/error.log info;
events { worker_connections 64; }
http {
  log_format requests '\$server_addr:\$server_port \$ssl_protocol "\$request" \$status \$request_length "\$http_user_agent"';
  default_type application/octet-stream;
  client_body_temp_path $work/temp/body;
  proxy_temp_path $work/temp/proxy;
  fastcgi_temp_path $work/temp/fastcgi;
  uwsgi_temp_path $work/temp/uwsgi;
  scgi_temp_path $work/temp/scgi;
  # TLS as the service's front terminates it: TLS 1.2 (what the programs'
  # internet layer speaks) and 1.3, forward-secret AEAD ciphers only.
  ssl_protocols TLSv1.2 TLSv1.3;
  ssl_ciphers ECDHE-ECDSA-AES128-GCM-SHA256:ECDHE-RSA-AES128-GCM-SHA256:ECDHE-ECDSA-AES256-GCM-SHA384:ECDHE-RSA-AES256-GCM-SHA384:ECDHE-ECDSA-CHACHA20-POLY1305:ECDHE-RSA-CHACHA20-POLY1305;
  ssl_prefer_server_ciphers off;
  ssl_session_cache shared:tls:1m;
$(tls_server $FRONT trusted secure "    root $work/www;
$to_server")
$(tls_server $UNKNOWN_ISSUER unknown_issuer refused "$to_server")
$(tls_server $OTHER_HOST other_host refused "$to_server")
$(tls_server $EXPIRED expired refused "$to_server")
$(tls_server $REDIRECTING trusted secure "    return 307 http://$REDIRECTING\$request_uri;")
  server {
    listen $FRONT:80;
    listen $UNKNOWN_ISSUER:80;
    listen $OTHER_HOST:80;
    listen $EXPIRED:80;
    listen $REDIRECTING:80;
    access_log $work/logs/plain.log requests;
    return 404;
  }
}
CONF
}

# Starts nginx and waits until it has bound its addresses (it writes its
# process id only then); fails with its error log when it ended first.
start_nginx() {
  nginx -p "$work" -e "$work/logs/error.log" -c "$work/nginx.conf" -g 'daemon off;' 2>>"$work/logs/error.log" &
  nginx_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/nginx.pid" ] && return 0
    kill -0 "$nginx_pid" 2>/dev/null || break
    sleep 0.1
  done
  cat "$work/logs/error.log" >&2
  echo "with_tls_front: nginx did not start" >&2
  exit 2
}

make_certificates
write_nginx_conf > "$work/nginx.conf"
: > "$work/logs/secure.log"
: > "$work/logs/refused.log"
: > "$work/logs/plain.log"
start_nginx
"$root/tools/env/wine_run.sh" "$trusted_root" add "Z:$work/authority.pem"
trusted=1

export TARVEX_WEB_ROOT=$work/www TARVEX_TLS_LOGS=$work/logs
status=0
TARVEX_SERVER_OPTIONS="--trusted-proxy $PROXY" "$root/tools/harness/with_server.sh" "$SERVER" -- "$@" || status=$?
exit "$status"
