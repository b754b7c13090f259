#!/usr/bin/env bash
# Prepares a private Wine prefix for the programs and their tests, the same
# way every time: no Mono or Gecko prompts, the dialog font "ＭＳ Ｐゴシック"
# mapped to the IPA P Gothic font so Japanese captions render, and windows
# left unmanaged: the tests' display has no window manager, and Wine would
# wait two seconds for one each time a window (a dialog, a message box, the
# progress window) is hidden.
#
# Usage: tools/env/wine_prefix.sh [PREFIX]   (default: $WINEPREFIX)
set -euo pipefail
prefix=${1:-${WINEPREFIX:?give a prefix folder or set WINEPREFIX}}
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# Named for what the prefix holds, so a prefix made before a change is redone.
ready_mark="$prefix/.tarvex-ready-unmanaged"
[ -f "$ready_mark" ] && exit 0

wineboot --init >/dev/null 2>&1 || true
wineserver -w

# regedit takes a UTF-16LE file with a byte-order mark.
reg_utf8=$(mktemp)
cat > "$reg_utf8" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"MS PGothic"="IPAPGothic"
"MS Gothic"="IPAGothic"
"MS UI Gothic"="IPAPGothic"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
REG
reg_file="$prefix/tarvex-settings.reg"
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$reg_utf8" | sed 's/\x0a\x00/\x0d\x00\x0a\x00/g'; } > "$reg_file"
rm -f "$reg_utf8"
wine regedit /S "$(winepath -w "$reg_file")" >/dev/null 2>&1
wineserver -w
touch "$ready_mark"
