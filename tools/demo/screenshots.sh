#!/usr/bin/env bash
# Writes PNG screenshots of the whole system for anyone reviewing its look:
# the launcher menu, the user settings dialog, the viewer form under each of
# the six period types, a validation message, and two HTML reports as a
# browser shows them: a daily one whole, charts and table (report.png), and
# the charts of a monthly one of five years (report-charts.png).
#
# Builds what it needs, lays out an install folder, starts the reference
# server with a copy of the sample database on 127.0.0.1 port 80 (the
# settings file's ServerIP and the viewer's built-in data server), runs
# review_screenshots.exe under Wine on a virtual display, converts its
# pictures to PNG and renders the reports with headless Chromium once their
# charts and table are shown. Stops everything it started and prints the
# folder of the pictures.
#
# Usage: tools/demo/screenshots.sh
# Build folders: TARVEX_NATIVE_DIR and TARVEX_WINDOWS_DIR (default
# build/native and build/windows of this checkout).
# Output: out/screenshots (its Wine prefix is kept between runs).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"

native=$(realpath -m "${TARVEX_NATIVE_DIR:-build/native}")
windows=$(realpath -m "${TARVEX_WINDOWS_DIR:-build/windows}")
out=$root/out/screenshots
install=$out/install
reports=$out/reports
pictures=$out/bmp
SERVER_ADDRESS=127.0.0.1
PORT_WAIT_SECONDS=120
# The report page shows its table once it is read, then draws its charts one by one.
REPORT_READY="document.readyState === 'complete' && typeof ReportCharts === 'object' && ReportCharts.complete && ReportCharts.charts.length > 0"
MIN_COLOURS=4  # fewer means a blank or nearly blank picture
PICTURES=(launcher-menu user-settings viewer-validation-message viewer-daily viewer-pentad-of-year
  viewer-pentad-of-month viewer-ten-day viewer-monthly viewer-yearly)

fail() {
  echo "screenshots: $*" >&2
  exit 1
}

# The programs always use port 80, so only one server may hold the address.
wait_for_free_address() {
  for _ in $(seq "$PORT_WAIT_SECONDS"); do
    ss -ltn | grep -q "$SERVER_ADDRESS:80 " || return 0
    sleep 1
  done
  fail "$SERVER_ADDRESS:80 is still in use by another server"
}

build() {
  tools/env/install_deps.sh
  cmake --preset native -B "$native" >/dev/null
  cmake --build "$native" -j"$(nproc)" --target norda_server sample_data
  cmake --preset windows -B "$windows" -DTARVEX_NATIVE_DIR="$native" >/dev/null
  cmake --build "$windows" -j"$(nproc)" --target tarvex marlop review_screenshots open_recorder
}

stop_all() {
  WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
  return 0
}

# Runs the tour on a virtual display of its own, white behind the windows;
# the prefix's wineserver is ended before the display goes away.
capture_screens() {
  # shellcheck disable=SC2016  # the inner script expands its own arguments
  TARVEX_NATIVE_DIR=$native tools/harness/with_server.sh "$SERVER_ADDRESS" -- \
    xvfb-run -a -s "-screen 0 1280x1024x24 -wr -nolisten tcp" \
    env TARVEX_BUILD_DIR="$windows" bash -c '
      status=0
      tools/env/wine_run.sh "$1/tests/screenshots/review_screenshots.exe" "$2" "$3" "$4" || status=$?
      wineserver -k 2>/dev/null || true
      exit "$status"' tour "$windows" "$install" "$pictures" "$reports"
}

to_png() {
  for name in "${PICTURES[@]}"; do
    [ -f "$pictures/$name.bmp" ] || fail "the tour left no $name.bmp"
    convert "$pictures/$name.bmp" "$out/$name.png"
  done
}

# render_report COPY PICTURE [--full-page]: the report the tour kept as
# COPY.html, as PICTURE.png.
render_report() {
  local page=$reports/$1.html
  [ -f "$page" ] || fail "the tour kept no $1.html in $reports"
  python3 tools/harness/headless_page.py --wait-for "$REPORT_READY" --window-size 1280,900 ${3:+"$3"} \
    "file://$page" "$out/$2.png" || fail "chromium could not render $1.html"
}

check_pictures() {
  for picture in "$out"/*.png; do
    colours=$(identify -format '%k' "$picture")
    [ "$colours" -ge "$MIN_COLOURS" ] || fail "$(basename "$picture") looks blank ($colours colours)"
  done
}

build
rm -rf "$install" "$reports" "$pictures" "$out"/*.png
mkdir -p "$reports" "$pictures"
tools/build/make_install.sh "$windows" "$native" "$install" >/dev/null
export WINEPREFIX=$out/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap stop_all EXIT
trap 'exit 130' INT TERM
tools/env/wine_prefix.sh "$WINEPREFIX"
# The virtual display has no window manager: Wine draws the captions and
# frames itself, so they are in the pictures.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
wineserver -w

wait_for_free_address
capture_screens || fail "the tour did not reach every screen (pictures so far: $pictures)"
to_png
render_report report-daily report --full-page  # its charts and its table
render_report report-charts report-charts
check_pictures
echo "screenshots written to $out:"
ls -1 "$out"/*.png
