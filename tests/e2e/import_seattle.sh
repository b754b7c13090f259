#!/usr/bin/env bash
# Loads real observations into the reference server's database
# ($TARVEX_SERVER_DB) as an operator would, with norda_admin: Seattle's
# daily record of 2012 to 2015 (Debian's python3-vega-datasets) as station
# 99501 シアトル of ワシントン州 (95) in the block 北米 (12). The file has
# precipitation, the day's highest and lowest temperature and the mean wind.
#
# Usage (run_with_install.sh --prepare): import_seattle.sh
set -euo pipefail
SEATTLE_WEATHER=/usr/lib/python3/dist-packages/vega_datasets/_data/seattle-weather.csv
admin=${TARVEX_NATIVE_DIR:?}/server/norda_admin
database=${TARVEX_SERVER_DB:?run under tools/harness/with_server.sh}
[ -f "$SEATTLE_WEATHER" ] || { echo "import_seattle: install python3-vega-datasets (tools/env/install_deps.sh)" >&2; exit 2; }

stations=$(mktemp)
trap 'rm -f "$stations"' EXIT
echo "99501,シアトル,95,ワシントン州,12,北米" > "$stations"
"$admin" --database "$database" import-stations "$stations"
"$admin" --database "$database" import-daily "$SEATTLE_WEATHER" --station 99501 \
  --columns date=date,precipitation=precipitation,max_temperature=temp_max,min_temperature=temp_min,mean_wind=wind
