#!/usr/bin/env bash
# Runs a command so that the Windows programs it starts under Wine see the
# system code page CODE_PAGE:
#   1252  the Western code page, in the prefix WINEPREFIX as given;
#   932   the Japanese code page, in a prefix of its own beside it
#         (WINEPREFIX-cp932), which tools/env/wine_run.sh prepares on first use.
# Wine takes the code page from the locale of the environment (LC_ALL), not
# from the prefix's registry; for 932 that is ja_JP.UTF-8, compiled once
# into a private folder (no system locale is changed) and found via LOCPATH.
# TARVEX_CODE_PAGE tells the command which code page it runs under.
#
# Usage: tools/env/with_code_page.sh CODE_PAGE -- COMMAND [ARGS...]
set -euo pipefail
usage() { echo "usage: $0 1252|932 -- COMMAND [ARGS...]" >&2; exit 2; }
[ $# -ge 3 ] && [ "$2" = "--" ] || usage
code_page=$1
shift 2
: "${WINEPREFIX:?set WINEPREFIX}"

case "$code_page" in
  1252)
    export LC_ALL=C.UTF-8
    ;;
  932)
    locale_dir=$WINEPREFIX-cp932.locale
    (
      flock 9
      if [ ! -f "$locale_dir/ja_JP.UTF-8/LC_CTYPE" ]; then
        mkdir -p "$locale_dir"
        # localedef also ends non-zero for mere warnings: the file decides.
        localedef -i ja_JP -f UTF-8 "$locale_dir/ja_JP.UTF-8" >/dev/null 2>&1 || true
        [ -f "$locale_dir/ja_JP.UTF-8/LC_CTYPE" ] ||
          { echo "with_code_page: cannot compile the locale ja_JP.UTF-8 (package locales)" >&2; exit 2; }
      fi
    ) 9>"$locale_dir.lock"
    export LOCPATH=$locale_dir LC_ALL=ja_JP.UTF-8 WINEPREFIX=$WINEPREFIX-cp932
    ;;
  *)
    usage
    ;;
esac
export TARVEX_CODE_PAGE=$code_page
exec "$@"
