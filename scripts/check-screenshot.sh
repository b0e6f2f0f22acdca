#!/usr/bin/env bash
# Checks that docs/screenshot.png is the picture scripts/screenshot.sh makes:
# the same size, and the same file-name label, pixel for pixel. The script
# names the image as a user would see it, so a label that shows a path of
# the machine that took the picture (or any other name) fails the check. The
# rest of the picture depends on how far the download had got, and is not
# compared.
#
#   scripts/check-screenshot.sh [BUILD_DIR]
#
# Skipped, with a line that says why, when Xvfb, xdotool or ImageMagick is
# missing.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
committed=docs/screenshot.png

for tool in xvfb-run xauth xdotool import compare identify convert; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "Screenshot check skipped: $tool not found (Debian packages xvfb, xauth, xdotool, imagemagick)."
    exit 0
  fi
done

# The file-name label (Label1) in client pixels at 96 dots per inch, from its
# twips in src/base/ui/layout.h (2640, 240, 5652, 372; 15 twips a pixel). The
# picture is the whole window: the menu bar stands above the client area,
# whose height is 7968 twips.
label_left=176 label_top=16 label_width=377 label_height=25
client_width=642 client_height=531

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

scripts/screenshot.sh --build "$build" --out "$work/fresh.png" >/dev/null

size_of() { identify -format '%wx%h' "$1"; }
committed_size=$(size_of "$committed")
fresh_size=$(size_of "$work/fresh.png")
if [ "$committed_size" != "$fresh_size" ]; then
  echo "FAIL: $committed is $committed_size, the script makes $fresh_size; run scripts/screenshot.sh" >&2
  exit 1
fi
width=${fresh_size%x*}
height=${fresh_size#*x}
if [ "$width" != "$client_width" ] || [ "$height" -le "$client_height" ]; then
  echo "FAIL: a picture of $fresh_size is not the window (client area ${client_width}x$client_height)" >&2
  exit 1
fi

label="${label_width}x${label_height}+${label_left}+$((height - client_height + label_top))"
convert "$committed" -crop "$label" +repage "$work/committed-label.png"
convert "$work/fresh.png" -crop "$label" +repage "$work/fresh-label.png"
# compare prints the number of pixels that differ, on stderr.
set +e
differing=$(compare -metric AE "$work/committed-label.png" "$work/fresh-label.png" null: 2>&1)
set -e
if [ "$differing" != "0" ]; then
  echo "FAIL: the file-name label of $committed differs from the script's in $differing pixels;" \
    "run scripts/screenshot.sh" >&2
  exit 1
fi
echo "Screenshot check: $committed is $committed_size and its file-name label is the script's."
