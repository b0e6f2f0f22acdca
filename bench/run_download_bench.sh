#!/usr/bin/env bash
# Whole downloads of generated images against the simulated unit, one table.
# Instant unit for every size; a unit paced like a real 4800-baud line for the
# sizes whose wire time is minutes, not hours.
#
#   bench/run_download_bench.sh [build-dir]      (default: build)
#
# The window is drawn on a real X server (Xvfb) when Xvfb is installed, since
# painting is where a window spends its time, and offscreen otherwise.
#   TBX4_BENCH_DISPLAY=offscreen|xvfb   choose instead
#   TBX4_BENCH_SIZES="1024 65536"       image sizes for the instant unit
#   TBX4_BENCH_PACED_SIZES="1024"       image sizes for the 4800-baud unit ("": none)
#   TBX4_BENCH_UNIT_GAPS=1              also the unit's view: a line on stderr
#                                       after each row (tbx4-sim --gaps)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
sizes=${TBX4_BENCH_SIZES-1024 65536 1048576 8388608}
paced_sizes=${TBX4_BENCH_PACED_SIZES-1024 65536}
display=${TBX4_BENCH_DISPLAY:-}
if [ -z "$display" ]; then
  if command -v Xvfb >/dev/null; then display=xvfb; else display=offscreen; fi
fi
cmake --build "$build" --target tbx4_download_bench tbx4-hexgen tbx4-sim >/dev/null

scratch=$(mktemp -d)
xvfb=""
cleanup() {
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

case "$display" in
  xvfb)
    # Xvfb picks a free display itself and writes its number to the pipe.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
    [ -s "$scratch/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$(head -n1 "$scratch/display")" QT_QPA_PLATFORM=xcb
    ;;
  offscreen) export QT_QPA_PLATFORM=offscreen ;;
  *) echo "TBX4_BENCH_DISPLAY is offscreen or xvfb, not $display" >&2; exit 2 ;;
esac
echo "window: $display${DISPLAY:+ (DISPLAY=$DISPLAY)}"

for size in $sizes $paced_sizes; do
  [ -e "$scratch/$size.hex" ] ||
    "$build"/tools/sim/hexgen/tbx4-hexgen --bytes "$size" "$scratch/$size.hex" >/dev/null
done

printf '%9s  %7s  %5s  %8s  %8s  %6s  %7s  %7s  %7s  %8s  %6s  %7s  %s\n' \
  "bytes" "lines" "baud" "total s" "wire s" "ratio" "cpu" "p50 us" "p99 us" "lines/s" \
  "1st ms" "RSS MiB" "status"
for size in $sizes; do
  "$build"/bench/tbx4_download_bench "$scratch/$size.hex" 0
done
for size in $paced_sizes; do
  "$build"/bench/tbx4_download_bench "$scratch/$size.hex" 4800
done
