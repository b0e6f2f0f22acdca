#!/usr/bin/env bash
# Regenerates docs/screenshot.png: the real window under a virtual X display,
# part way through a download of the sample image to the simulated unit (paced
# like a real 4800-baud line), with dots and "G"s in the communications window
# and the progress bar under way.
#
#   scripts/screenshot.sh [--build DIR] [--out FILE]
#
# DIR (default build) is configured, without the tests, only when it is not
# configured yet; FILE defaults to docs/screenshot.png. The test command makes
# a picture elsewhere to check the committed one (scripts/check-screenshot.sh).
#
# Everything runs in a temporary folder of its own, and the image is named
# ~/firmware/tbx4_v1.05.hex there (a folder literally named "~" in the
# program's working folder), so the picture shows no path of this machine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

build=build
out="$root/docs/screenshot.png"
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --out) out=$(realpath -m "$2"); shift 2 ;;
    *) echo "usage: scripts/screenshot.sh [--build DIR] [--out FILE]" >&2; exit 2 ;;
  esac
done

tools=(xvfb xauth xdotool imagemagick)
missing=()
for package in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

scripts/install-deps.sh
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTBX4_WITH_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target TBX4_Download tbx4-sim >/dev/null

work=$(mktemp -d)
sim=""
cleanup() {
  [ -n "$sim" ] && kill "$sim" 2>/dev/null
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/app/ports" "$work/~/firmware"
cp "$build/TBX4_Download" "$work/app/"
cp samples/tbx4_sample.hex "$work/~/firmware/tbx4_v1.05.hex"
printf '1,"~/firmware/tbx4_v1.05.hex",#TRUE#\r\n' >"$work/app/tbx4_dld.ini"
"$build/tools/sim/tbx4-sim" --link "$work/app/ports/com1" --quiet --baud 4800 >"$work/sim.txt" &
sim=$!
for _ in $(seq 50); do [ -e "$work/app/ports/com1" ] && break; sleep 0.1; done

mkdir -p "$(dirname "$out")"
export TBX4_SCREENSHOT_OUT="$out" TBX4_WORK="$work"
# The script in single quotes runs under the virtual display and expands its
# variables there.
# shellcheck disable=SC2016
xvfb-run -a -s "-screen 0 800x700x24" bash -c '
  set -euo pipefail
  cd "$TBX4_WORK"
  app/TBX4_Download >"$TBX4_WORK/program.log" 2>&1 &
  program=$!
  # The instructions box (titled exactly so) appears once the program has
  # started, and must be gone before the next key goes to the window.
  box="^TBX4 Download Utility\$"
  for _ in $(seq 600); do
    xdotool search --onlyvisible --name "$box" >/dev/null 2>&1 && break
    sleep 0.2
  done
  sleep 0.5
  xdotool key Return        # close the setup instructions
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "$box" >/dev/null 2>&1 || break
    sleep 0.1
  done
  sleep 0.5
  xdotool key Return        # "Download TBX4" has the focus
  sleep 4
  window=$(xdotool search --name "Quenrick TBX4 Download Utility" | head -n1)
  import -window "$window" "$TBX4_SCREENSHOT_OUT"
  kill "$program"
  wait "$program" || true
'
echo "Wrote ${out#"$root"/}"
