#!/usr/bin/env bash
# Draws VD's own pictures with ImageMagick: the two notification-area icons.
# The results are committed; run this only to change them.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

icon() {  # icon <out.ico> <frame> <sky> <hill> <sun>
  convert -size 48x48 xc:none +antialias \
    -fill "$2" -draw 'roundrectangle 2,4 45,43 7,7' \
    -fill "$3" -draw 'rectangle 7,9 40,38' \
    -fill "$4" -draw 'polygon 7,38 7,29 17,20 27,30 33,25 40,31 40,38' \
    -fill "$5" -draw 'circle 31,16 35,16' "$tmp/icon48.png"
  convert "$tmp/icon48.png" -filter box -resize 32x32 "$tmp/icon32.png"
  convert "$tmp/icon48.png" -filter box -resize 16x16 "$tmp/icon16.png"
  convert "$tmp/icon16.png" "$tmp/icon32.png" "$tmp/icon48.png" "$1"
}
icon vd.ico '#2E68AA' '#AACDF0' '#5A9650' '#FFD23C'           # enabled
icon vd-disabled.ico '#7A7F86' '#D4D7DB' '#A3A7AC' '#EDEEF0'  # disabled

