#!/usr/bin/env bash
# Packs a laid-out install folder (tools/build/make_install.sh) into one setup
# program with makensis (installer/tarvex.nsi).
#
# Usage: tools/build/make_installer.sh INSTALL_DIR SETUP_EXE
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 INSTALL_DIR SETUP_EXE" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
command -v makensis >/dev/null || { echo "make_installer: makensis is missing (Debian package nsis)" >&2; exit 1; }
[ -f "$1/marlop.exe" ] || { echo "make_installer: $1 is no laid-out install folder (see tools/build/make_install.sh)" >&2; exit 1; }
source_dir=$(cd "$1" && pwd)
mkdir -p "$(dirname "$2")"
setup=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
makensis -V2 -DSOURCE_DIR="$source_dir" -DSETUP_FILE="$setup" "$root/installer/tarvex.nsi"
echo "setup program written to $setup"
