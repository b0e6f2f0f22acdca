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
