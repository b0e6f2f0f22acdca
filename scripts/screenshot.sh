#!/usr/bin/env bash
# Regenerates docs/screenshot.png: the real window under a virtual X display,
# part way through a download of the sample image to the simulated unit (paced
# like a real 4800-baud line), with dots and "G"s in the communications window
# and the progress bar under way.
set -euo pipefail
cd "$(dirname "$0")/.."

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

# Built first, so that the demo below starts at once.
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTBX4_WITH_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc)" --target TBX4_Download tbx4-sim >/dev/null

mkdir -p docs
out="$(pwd)/docs/screenshot.png"
export TBX4_SCREENSHOT_OUT="$out"
xvfb-run -a -s "-screen 0 800x700x24" bash -c '
  set -euo pipefail
  scripts/demo.sh >/tmp/tbx4-screenshot.log 2>&1 &
  demo=$!
  # The instructions box appears once the program has started.
  for _ in $(seq 600); do
    xdotool search --name "TBX4 Download Utility" >/dev/null 2>&1 && break
    sleep 0.2
  done
  sleep 0.5
  xdotool key Return        # close the setup instructions
  sleep 0.5
  xdotool key Return        # "Download TBX4" has the focus
  sleep 4
  window=$(xdotool search --name "Quenrick TBX4 Download Utility" | head -n1)
  import -window "$window" "$TBX4_SCREENSHOT_OUT"
  pkill -x TBX4_Download || true
  wait $demo || true
'
echo "Wrote $out"
