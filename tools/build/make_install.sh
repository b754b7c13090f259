#!/usr/bin/env bash
# Lays out one install folder: both programs (the viewer a second time as
# "vindra.exe", the name the launcher's 気象データ button starts), the
# settings file, the master files and station list (written by
# `norda_admin masters` from the server's database, so the pick lists list
# what the server holds: the build's sample database, or the database named
# by TARVEX_MASTERS_DATABASE), the report template, the commentary page,
# the version list and the guide.
#
# The report template (Shift-JIS, as the viewer reads it) is copied as it
# is: it carries its charts' script itself, so the report the viewer writes
# into %TEMP% draws its charts with nothing beside it.
#
# The Japanese texts of data/ are kept as UTF-8 and written here as Shift-JIS
# with CR LF line ends; data/qorvanet.ini and data/version.txt are ASCII with
# CR LF already and are copied as they are, except that --secure writes
# Secure=1 into the settings file: both programs then talk HTTPS from their
# first start (a setup program packed from the folder installs it so).
#
# Usage: tools/build/make_install.sh [--secure] WINDOWS_BUILD NATIVE_BUILD OUT_DIR
set -euo pipefail
secure=0
if [ "${1:-}" = --secure ]; then
  secure=1
  shift
fi
if [ $# -ne 3 ]; then
  echo "usage: $0 [--secure] WINDOWS_BUILD NATIVE_BUILD OUT_DIR" >&2
  exit 2
fi
windows=$1
native=$2
out=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
data=$root/data
database=${TARVEX_MASTERS_DATABASE:-$native/sample/norda.sqlite}

fail() {
  echo "make_install: $*" >&2
  exit 1
}

require() {
  [ -f "$1" ] || fail "$1 is missing: $2"
}

require "$windows/viewer/tarvex.exe" "build the target tarvex of the Windows build first"
require "$windows/launcher/marlop.exe" "build the target marlop of the Windows build first"
require "$native/server/norda_admin" "build the native build first"
[ -n "${TARVEX_MASTERS_DATABASE:-}" ] || require "$database" "build the target sample_data of the native build first"
require "$root/viewer/report/output.html" "the report template belongs to the source tree"

# Shift-JIS with CR LF, from a UTF-8 source with LF line ends.
to_shift_jis() {
  iconv -f UTF-8 -t CP932 "$1" | sed 's/$/\r/' > "$2" || fail "$1 could not be written as Shift-JIS"
}

mkdir -p "$out/doc"
cp "$windows/viewer/tarvex.exe" "$out/tarvex.exe"
cp "$windows/viewer/tarvex.exe" "$out/vindra.exe"
cp "$windows/launcher/marlop.exe" "$out/marlop.exe"
"$native/server/norda_admin" --database "$database" masters --out "$out" ||
  fail "the master files could not be written from $database"
cp "$root/viewer/report/output.html" "$out/output.html"
cp "$data/qorvanet.ini" "$data/version.txt" "$out/"
if [ "$secure" = 1 ]; then
  sed -i 's/^Secure=.*\r$/Secure=1\r/' "$out/qorvanet.ini"
  grep -q $'^Secure=1\r$' "$out/qorvanet.ini" || fail "$data/qorvanet.ini has no line Secure= to set"
fi
to_shift_jis "$data/norda.html" "$out/norda.html"
to_shift_jis "$data/doc/Kaisetu.txt" "$out/doc/Kaisetu.txt"
echo "install folder laid out in $out"
