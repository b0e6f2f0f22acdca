#!/usr/bin/env bash
# The Windows window program's speed under Wine and Xvfb, measured from the
# simulated unit's side of the wire: lines per second to an instant unit, the
# time from each "G" to the next line's first byte (p50, p99), the CPU of the
# idle window, and a 4800-baud download's total time against its wire time
# with the CPU it took. The same unit-side figures for the Linux command line
# come last, for comparison on the same machine.
#
#   bench/run_windows_bench.sh EXE DRIVER_EXE LINUX_BUILD_DIR [BYTES]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
exe=$(realpath "$1")
driver=$(realpath "$2")
linux_build=$(realpath "$3")
bytes=${4:-64000}
sim="$linux_build/tools/sim/tbx4-sim"
hexgen="$linux_build/tools/sim/hexgen/tbx4-hexgen"

work=$(mktemp -d "${TMPDIR:-/tmp}/tbx4-windows-bench.XXXXXX")
fail() { echo "bench: $*" >&2; }
# shellcheck source=tests/wine/wine-session.sh
source "$root/tests/wine/wine-session.sh"
# shellcheck source=tests/wine/window-session.sh
source "$root/tests/wine/window-session.sh"

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
cpu_seconds() { echo "scale=3; $1 / $(getconf CLK_TCK)" | bc; }

# One download by the window: $1 names the run, the rest go to the unit.
window_download() {
  local name=$1
  shift
  start_unit "$work/$name.bin" --gaps "$@"
  start_program "$work/$name" "$(settings_for "$image")"
  drive box 20 >/dev/null  # the setup instructions
  local before wall_start
  before=$(ticks "$program")
  wall_start=$(date +%s.%N)
  drive click "Download TBX4"
  drive wait-text Label3 3600 "Download Complete!" || fail "$name: the download did not complete"
  local wall cpu
  wall=$(echo "$(date +%s.%N) - $wall_start" | bc)
  cpu=$(cpu_seconds $(($(ticks "$program") - before)))
  close_program
  stop_unit
  echo "$name: $(sed -n 's/^tbx4-sim: //p' "$work/sim.err"); window CPU ${cpu} s in ${wall} s"
}

start_display || { echo "no free X display"; exit 1; }
mkdir -p "$work/wine"
wine_session_start "$work/wine" || { echo "Wine session did not start"; exit 1; }

image="$work/image.hex"
"$hexgen" --bytes "$bytes" "$image" >/dev/null
lines=$(wc -l <"$image")
echo "Image: $lines lines ($bytes data bytes)."

window_download instant

# The idle window: five seconds with nothing to do.
start_unit "$work/idle.bin"
start_program "$work/idle" "$(settings_for "$image")"
drive box 20 >/dev/null
before=$(ticks "$program")
sleep 5
echo "idle window: CPU $(cpu_seconds $(($(ticks "$program") - before))) s in 5 s"
close_program
stop_unit

# A real line's pace: every byte both ways at 4800 baud, 10 bits a character.
head -n 100 "$image" >"$work/short.hex"
tail -n 1 "$image" >>"$work/short.hex"
image="$work/short.hex"
wire_chars=$(($(tr -d '\r\n' <"$image" | wc -c) + 15 + 1 + $(wc -l <"$image")))
echo "4800 baud, $(wc -l <"$image") lines: wire time $(echo "scale=3; $wire_chars * 10 / 4800" | bc) s" \
  "(every character out, and a \"G\" back for each line)"
window_download paced --baud 4800

# The Linux command line, the same unit-side figures.
image="$work/image.hex"
start_unit "$work/cli.bin" --gaps
"$linux_build/tbx4-download" flash "$image" --port "$(wine_session_com_link 1)" --quiet
stop_unit
echo "Linux tbx4-download: $(sed -n 's/^tbx4-sim: //p' "$work/sim.err")"
