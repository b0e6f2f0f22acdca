#!/usr/bin/env bash
# Whole downloads of generated images against the simulated unit, one table.
# Instant unit for every size; a unit paced like a real 4800-baud line for the
# sizes whose wire time is minutes, not hours.
#
#   bench/run_download_bench.sh [build-dir]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target tbx4_download_bench tbx4-hexgen tbx4-sim >/dev/null

images=$(mktemp -d)
trap 'rm -rf "$images"' EXIT
for size in 1024 65536 1048576 8388608; do
  "$build"/tools/sim/hexgen/tbx4-hexgen --bytes "$size" "$images/$size.hex" >/dev/null
done

printf '%9s  %7s  %5s  %8s  %8s  %6s  %7s  %7s  %7s  %8s  %6s  %7s  %s\n' \
  "bytes" "lines" "baud" "total s" "wire s" "ratio" "cpu" "p50 us" "p99 us" "lines/s" \
  "1st ms" "RSS MiB" "status"
for size in 1024 65536 1048576 8388608; do
  "$build"/bench/tbx4_download_bench "$images/$size.hex" 0
done
for size in 1024 65536; do
  "$build"/bench/tbx4_download_bench "$images/$size.hex" 4800
done
