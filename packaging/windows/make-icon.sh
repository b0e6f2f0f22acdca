#!/usr/bin/env bash
# Writes tbx4-download.ico, the Windows program's icon, from the shapes of
# ../tbx4-download.svg drawn with ImageMagick's own primitives (so no SVG
# renderer is needed), at the sizes Windows asks for. The .ico is committed;
# run this again after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")"

pins=()
for y in 29 38 47; do
  pins+=(-draw "roundrectangle 9,$y 16,$((y + 4)) 1,1" -draw "roundrectangle 48,$y 55,$((y + 4)) 1,1")
done
for x in 23 30 37; do
  pins+=(-draw "roundrectangle $x,56 $((x + 4)),62 1,1")
done

convert -size 64x64 xc:none \
  -fill '#b0b7bf' "${pins[@]}" \
  -fill '#2e3436' -draw 'roundrectangle 14,24 50,58 4,4' \
  -fill '#555d61' -draw 'circle 20.5,30.5 20.5,33' \
  -fill '#d3d7cf' -font DejaVu-Sans-Bold -pointsize 9 -gravity north -draw 'text 0,41 "TBX4"' \
  -gravity northwest -fill '#3465a4' -stroke '#ffffff' -strokewidth 2 \
  -draw 'polygon 27,2 37,2 37,18 45,18 32,32 19,18 27,18' \
  -define icon:auto-resize=48,32,16 tbx4-download.ico
