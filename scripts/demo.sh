#!/usr/bin/env bash
# Builds the utility and starts it against the simulated TBX4 unit, in a demo
# folder of its own (build/demo) so that your real settings are never touched:
# press "Download TBX4" to watch the sample image go out, "Get F/W Rev." to read
# the simulated unit's revision.
#
# Options for the simulated unit can follow, e.g. scripts/demo.sh --silent to see
# what a unit that never answers looks like. Set TBX4_DEMO_BAUD=0 for an instant
# unit instead of one paced like a real 4800-baud line.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

usage() {
  cat <<'USAGE'
Usage: scripts/demo.sh [SIMULATOR OPTION...]

Builds TBX4_Download and the simulated TBX4 unit (tbx4-sim), links the unit as
COM1 of a demo folder of its own (build/demo) and starts the utility there, so
your real settings are never touched. Needs a desktop (an X or Wayland display).

  TBX4_DEMO_BAUD=N   pace the unit like an N-baud line (default 4800; 0: instant)
  --help             show this text and exit

Every other option goes to the simulated unit. Its options:
USAGE
}

sim_options() {
  if [ ! -x build/tools/sim/tbx4-sim ]; then
    echo "(building tbx4-sim to list them...)"
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTBX4_WITH_TESTS=OFF >/dev/null
    cmake --build build -j "$(nproc)" --target tbx4-sim >/dev/null
  fi
  # Its own usage line and the run-down of what it is are the simulator's;
  # the demo lists the options.
  # --link and --help are the demo's own business.
  build/tools/sim/tbx4-sim --help | awk '
    /^  --/ { skip = ($1 == "--link" || $1 == "--help") }
    /^  --/ || /^    / { if (!seen_option) seen_option = /^  --/; if (seen_option && !skip) print; next }
    seen_option { print }'
}

if [ "${1:-}" = "--help" ] || [ "${1:-}" = "-h" ]; then
  usage
  sim_options
  exit 0
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "The demo needs a desktop (neither DISPLAY nor WAYLAND_DISPLAY is set); without one," \
    "flash the simulated unit from the command line:" \
    "build/tools/sim/tbx4-sim --link /tmp/tbx4-com1 & build/tbx4-download flash" \
    "samples/tbx4_sample.hex --port /tmp/tbx4-com1 (after cmake -S . -B build &&" \
    "cmake --build build), or run the tests: scripts/test.sh" >&2
  exit 1
fi

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTBX4_WITH_TESTS=OFF
cmake --build build -j "$(nproc)" --target TBX4_Download tbx4-sim

demo="$root/build/demo"
mkdir -p "$demo/ports"
# The program keeps its settings beside its executable, so the demo runs a copy.
cp build/TBX4_Download "$demo/TBX4_Download"
cp samples/tbx4_sample.hex "$demo/tbx4_sample.hex"
printf '1,"%s",#TRUE#\r\n' "$demo/tbx4_sample.hex" > "$demo/tbx4_dld.ini"

baud=${TBX4_DEMO_BAUD:-4800}
sim_args=(--link "$demo/ports/com1" --quiet)
[ "$baud" != 0 ] && sim_args+=(--baud "$baud")
build/tools/sim/tbx4-sim "${sim_args[@]}" "$@" > "$demo/sim-device.txt" &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$demo/ports/com1" ] && break; sleep 0.1; done
echo "Simulated TBX4 on $(head -n1 "$demo/sim-device.txt"), linked as COM1 ($demo/ports/com1)"

"$demo/TBX4_Download"
