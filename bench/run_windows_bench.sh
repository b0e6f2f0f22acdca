#!/usr/bin/env bash
# The Windows window program's speed under Wine and Xvfb, measured from the
# simulated unit's side of the wire: lines per second to an instant unit, the
# time from each "G" to the next line's first byte (p50, p99, after the
# enter-download command's "G", the longest), the CPU of the idle window; a
# 4800-baud download's total time against its wire time, with the CPU it took
# (the program's and the wineserver's, which does its port and window work);
# and, with acknowledgments off, how far apart the lines go to a silent
# 4800-baud unit. The same unit-side figures for the Linux command line come
# last, for comparison on the same machine.
#
#   bench/run_windows_bench.sh EXE DRIVER_EXE LINUX_BUILD_DIR [BYTES [PACED_LINES]]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
exe=$(realpath "$1")
driver=$(realpath "$2")
linux_build=$(realpath "$3")
bytes=${4:-64000}
paced_lines=${5:-100}
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

# This prefix's wineserver (other prefixes have servers of their own).
our_wineserver() {
  local pid
  for pid in $(pgrep -x wineserver64 || true) $(pgrep -x wineserver || true); do
    if tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      echo "$pid"
      return
    fi
  done
}

# One download by the window: $1 names the run, $2 its settings, the rest go
# to the unit. Sets $wall.
window_download() {
  local name=$1 settings=$2
  shift 2
  start_unit "$work/$name.bin" --gaps "$@"
  start_program "$work/$name" "$settings"
  drive box 20 >/dev/null  # the setup instructions
  local process server before server_before wall_start
  process=$program
  server=$(our_wineserver)
  before=$(ticks "$process")
  server_before=$(ticks "$server")
  wall_start=$(date +%s.%N)
  drive click "Download TBX4"
  # The driver's label polls would wake the program fifty times a second and
  # count in its CPU: watch the unit's record instead, and read the label
  # once the last byte is in.
  local expected size last=-1 still=0
  expected=$(($(tr -d '\r\n' <"$image" | wc -c) + 16))
  while size=$(stat -c %s "$work/$name.bin") && [ "$size" -lt "$expected" ] && [ "$still" -lt 100 ]; do
    if [ "$size" = "$last" ]; then still=$((still + 1)); else still=0; fi
    last=$size
    sleep 0.1
  done
  if ! drive wait-text Label3 30 "Download Complete!"; then
    fail "$name: the download did not complete; a box says: $(drive box 1)"
  fi
  local cpu server_cpu
  wall=$(echo "$(date +%s.%N) - $wall_start" | bc)
  cpu=$(cpu_seconds $(($(ticks "$process") - before)))
  server_cpu=$(cpu_seconds $(($(ticks "$server") - server_before)))
  close_program
  stop_unit
  echo "$name: $(sed -n 's/^tbx4-sim: //p' "$work/sim.err" | paste -sd ';' | sed 's/;/; /g')"
  echo "  window CPU ${cpu} s + wineserver ${server_cpu} s in ${wall} s" \
    "($(echo "scale=1; 100 * $cpu / $wall" | bc)% + $(echo "scale=1; 100 * $server_cpu / $wall" | bc)%)"
}

start_display || { echo "no free X display"; exit 1; }
mkdir -p "$work/wine"
wine_session_start "$work/wine" || { echo "Wine session did not start"; exit 1; }

image="$work/image.hex"
"$hexgen" --bytes "$bytes" "$image" >/dev/null
lines=$(wc -l <"$image")
echo "Image: $lines lines ($bytes data bytes)."

window_download instant "$(settings_for "$image")"

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
head -n "$paced_lines" "$image" >"$work/short.hex"
tail -n 1 "$image" >>"$work/short.hex"
image="$work/short.hex"
wire_chars=$(($(tr -d '\r\n' <"$image" | wc -c) + 15 + 1 + $(wc -l <"$image")))
wire=$(echo "scale=3; $wire_chars * 10 / 4800" | bc)
echo "4800 baud, $(wc -l <"$image") lines: wire time $wire s" \
  "(every character out, and a \"G\" back for each line)"
window_download paced "$(settings_for "$image")" --baud 4800
total=$(sed -n 's/.*gaps in \([0-9.]*\) s.*/\1/p' "$work/sim.err")
echo "  total / wire: $total / $wire s = $(echo "scale=4; $total / $wire" | bc)"

# Acknowledgments off, a unit that never answers: each wait runs its full
# quarter second, and the lines should go out that far apart.
window_download no-ack "$(settings_for "$image" | sed 's/#TRUE#/#FALSE#/')" --baud 4800 --silent

# The Linux command line, the same unit-side figures.
image="$work/image.hex"
start_unit "$work/cli.bin" --gaps
"$linux_build/tbx4-download" flash "$image" --port "$(wine_session_com_link 1)" --quiet
stop_unit
echo "Linux tbx4-download: $(sed -n 's/^tbx4-sim: //p' "$work/sim.err")"
