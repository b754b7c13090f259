#!/usr/bin/env bash
# tools/build/make_install.sh --secure: the laid-out settings file turns HTTPS on
# (Secure=1) and differs from the source's in that line alone, CR LF kept;
# without the option it is the source's, byte for byte.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
: "${TARVEX_BUILD_DIR:?set by ctest}" "${TARVEX_NATIVE_DIR:?set by ctest}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$root/tools/build/make_install.sh" "$TARVEX_BUILD_DIR" "$TARVEX_NATIVE_DIR" "$work/plain" >/dev/null
"$root/tools/build/make_install.sh" --secure "$TARVEX_BUILD_DIR" "$TARVEX_NATIVE_DIR" "$work/secure" >/dev/null
cmp "$root/data/qorvanet.ini" "$work/plain/qorvanet.ini"
grep -q $'^Secure=0\r$' "$work/plain/qorvanet.ini"
sed 's/^Secure=0\r$/Secure=1\r/' "$root/data/qorvanet.ini" > "$work/expected.ini"
cmp "$work/expected.ini" "$work/secure/qorvanet.ini"
grep -q $'^Secure=1\r$' "$work/secure/qorvanet.ini"
echo "secure settings laid out as expected"
