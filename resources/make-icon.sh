#!/usr/bin/env bash
# Redraws app.ico (the program's own artwork) with ImageMagick: a teal tile with a drop arrow
# that splits into three channels. Run by hand when the icon changes; app.ico is committed.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
convert -size 256x256 xc:none \
  -fill '#13717a' -draw 'roundrectangle 8,8 248,248 44,44' \
  -fill '#0d5057' -draw 'roundrectangle 8,168 248,248 44,44' -draw 'rectangle 8,168 248,200' \
  -stroke white -strokewidth 18 -fill none -draw 'line 128,40 128,118' \
  -draw 'path "M 128,118 C 128,150 70,150 64,196"' \
  -draw 'line 128,118 128,196' \
  -draw 'path "M 128,118 C 128,150 186,150 192,196"' \
  -stroke none -fill white \
  -draw 'polygon 128,72 100,40 156,40' \
  "$tmp/icon.png"
convert "$tmp/icon.png" -define icon:auto-resize=256,64,48,32,24,16 app.ico
