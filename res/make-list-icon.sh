#!/usr/bin/env bash
# Draws the icon of wallpaper list files (.vdl) with ImageMagick: a page with
# a folded corner carrying a small landscape in VD's colours. The result is
# committed; run this only to change it.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 48x48 xc:none +antialias \
  -fill '#2E68AA' -draw 'polygon 8,2 32,2 42,12 42,46 8,46' \
  -fill '#FFFFFF' -draw 'polygon 10,4 31,4 40,13 40,44 10,44' \
  -fill '#2E68AA' -draw 'polygon 31,2 31,13 42,13' \
  -fill '#AACDF0' -draw 'rectangle 14,18 36,38' \
  -fill '#5A9650' -draw 'polygon 14,38 14,32 21,26 28,33 32,29 36,33 36,38' \
  -fill '#FFD23C' -draw 'circle 30,23 32,23' \
  -fill '#2E68AA' -draw 'rectangle 14,8 26,9' -draw 'rectangle 14,12 24,13' "$tmp/list48.png"
convert "$tmp/list48.png" -filter box -resize 32x32 "$tmp/list32.png"
convert "$tmp/list48.png" -filter box -resize 16x16 "$tmp/list16.png"
convert "$tmp/list16.png" "$tmp/list32.png" "$tmp/list48.png" vd-list.ico
