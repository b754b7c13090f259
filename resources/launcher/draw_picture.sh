#!/usr/bin/env bash
# Draws the launcher's pictures with ImageMagick and writes them beside this
# script: the menu picture (menu_picture.bmp, 368 by 206 pixels, the size of
# the 245 by 137 dialog-unit picture frame at the dialog font on Windows; the
# frame stretches it to its size on other fonts) and the program
# icon (marlop.ico, 16, 32 and 48 pixels). The results are kept in the tree;
# run this again only to change them.
#
# Usage: resources/launcher/draw_picture.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Sky from deep blue to pale blue, a sun, two clouds with rain, a strip of
# hills, and a small chart of a temperature curve over rainfall bars: a
# weather data service at a glance.
convert -size 368x206 gradient:'#1d4f91'-'#bfe3ff' \
  -fill '#ffd23f' -stroke '#f5a300' -strokewidth 3 -draw 'circle 306,44 306,72' \
  -stroke none -fill '#ffffffe6' \
  -draw 'ellipse 92,52 42,18 0,360' -draw 'ellipse 122,40 30,22 0,360' \
  -draw 'ellipse 150,56 34,15 0,360' \
  -fill '#f4f7fbcc' -draw 'ellipse 232,86 30,12 0,360' -draw 'ellipse 254,76 22,15 0,360' \
  -stroke '#3b7dd8' -strokewidth 2 \
  -draw 'line 80,78 74,92' -draw 'line 100,78 94,92' -draw 'line 120,78 114,92' \
  -draw 'line 140,78 134,92' -draw 'line 160,76 154,90' \
  -stroke none -fill '#3f8f4f' -draw 'path "M 0,168 Q 70,128 150,160 T 368,150 L 368,206 L 0,206 Z"' \
  -fill '#2e6e3b' -draw 'path "M 0,186 Q 110,158 220,184 T 368,176 L 368,206 L 0,206 Z"' \
  "$work/scene.png"

# The chart panel in the lower right: rainfall bars and a temperature line.
convert -size 132x78 xc:'#ffffffd9' -stroke '#5a6f8a' -strokewidth 1 -fill none \
  -draw 'rectangle 0,0 131,77' -draw 'line 12,66 124,66' -draw 'line 12,8 12,66' \
  -stroke none -fill '#4a90e2' \
  -draw 'rectangle 18,52 26,66' -draw 'rectangle 34,40 42,66' -draw 'rectangle 50,58 58,66' \
  -draw 'rectangle 66,30 74,66' -draw 'rectangle 82,46 90,66' -draw 'rectangle 98,36 106,66' \
  -draw 'rectangle 112,54 120,66' \
  -stroke '#e0482b' -strokewidth 2 -fill none \
  -draw 'polyline 22,34 38,26 54,22 70,16 86,20 102,28 116,38' \
  -fill '#e0482b' -stroke none \
  -draw 'circle 22,34 24,34' -draw 'circle 54,22 56,22' -draw 'circle 86,20 88,20' -draw 'circle 116,38 118,38' \
  "$work/chart.png"

convert "$work/scene.png" "$work/chart.png" -geometry +224+112 -composite \
  -font "$font" -pointsize 30 -fill '#0d2a52' -annotate +19+141 'Tarvex' \
  -fill '#ffffff' -annotate +17+139 'Tarvex' \
  -pointsize 13 -fill '#ffffff' -annotate +20+160 'Internet Weather Data' \
  -pointsize 11 -fill '#e8f1ff' -annotate +20+196 'Observations of every station, any period' \
  -alpha off -type TrueColor BMP3:"$here/menu_picture.bmp"

# The icon: a sun behind a cloud over a blue tile.
for size in 48 32 16; do
  convert -size 48x48 xc:none -fill '#2a66b8' -draw 'roundrectangle 1,1 46,46 8,8' \
    -fill '#ffd23f' -draw 'circle 30,17 30,5' \
    -fill '#ffffff' -draw 'ellipse 18,32 13,8 0,360' -draw 'ellipse 28,28 11,10 0,360' \
    -draw 'ellipse 36,34 9,6 0,360' \
    -resize ${size}x${size} "$work/icon$size.png"
done
convert "$work/icon16.png" "$work/icon32.png" "$work/icon48.png" "$here/marlop.ico"
