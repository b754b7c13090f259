#!/usr/bin/env bash
# Draws the viewer's icon (a sun behind a cloud) at 32 and 16 pixels and
# writes tarvex.ico beside this script. The .ico is kept in the tree, so the
# build does not need ImageMagick; run this again after changing the drawing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 32x32 xc:none \
  -stroke '#E08A00' -strokewidth 2 \
  -draw 'line 12,1 12,5' -draw 'line 1,12 5,12' -draw 'line 4,4 7,7' \
  -draw 'line 20,4 17,7' -draw 'line 4,20 7,17' \
  -stroke '#E08A00' -strokewidth 1 -fill '#FFC81E' -draw 'circle 12,12 12,5' \
  -stroke '#5A6E8C' -fill '#F4F7FB' \
  -draw 'circle 13,22 13,16' -draw 'circle 21,19 21,11' -draw 'circle 27,24 27,19' \
  -draw 'roundrectangle 8,21 30,29 4,4' \
  -stroke none -fill '#F4F7FB' -draw 'rectangle 10,22 28,28' \
  -draw 'circle 13,22 13,17' -draw 'circle 21,19 21,12' -draw 'circle 27,24 27,20' \
  "$work/icon32.png"
convert "$work/icon32.png" -resize 16x16 "$work/icon16.png"
convert "$work/icon32.png" "$work/icon16.png" "$here/tarvex.ico"
