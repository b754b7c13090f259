#!/usr/bin/env bash
# Test wrapper: lays out the install folder from this build's programs and the
# native build's sample data, packs the setup program, and runs the test
# command with TARVEX_INSTALL_LAYOUT and TARVEX_SETUP_EXE naming both.
#
# Usage: with_setup_program.sh WORK_DIR -- TEST_COMMAND...
set -euo pipefail
work=${1:?work folder}
shift
[ "${1:-}" = "--" ] && shift
root=$(cd "$(dirname "$0")/../.." && pwd)
: "${TARVEX_BUILD_DIR:?set by ctest}"
: "${TARVEX_NATIVE_DIR:?set by ctest: the native build holding the sample data}"

rm -rf "$work"
mkdir -p "$work"
"$root/tools/build/make_install.sh" "$TARVEX_BUILD_DIR" "$TARVEX_NATIVE_DIR" "$work/layout" >/dev/null
"$root/tools/build/make_installer.sh" "$work/layout" "$work/tarvex-setup.exe" >/dev/null
export TARVEX_INSTALL_LAYOUT="$work/layout" TARVEX_SETUP_EXE="$work/tarvex-setup.exe"
status=0
"$@" || status=$?
rm -rf "$work"
exit $status
