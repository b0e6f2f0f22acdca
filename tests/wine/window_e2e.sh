#!/usr/bin/env bash
# The real TBX4_Download.exe, end to end under Wine and a virtual X display,
# against the simulated unit on a pseudo-terminal mapped as COM1. A small
# Win32 driver program in the same Wine session plays the technician: it finds
# the window by its title, presses its buttons, reads its labels and answers
# its message boxes with Return. What the unit received is compared byte for
# byte with what the Linux command line sends for the same image.
#
#   tests/wine/window_e2e.sh EXE DRIVER_EXE LINUX_BUILD_DIR
#
# TBX4_WINE_DIR names a Wine session folder to reuse (see wine-session.sh);
# by default the script makes one of its own. TBX4_E2E_SETTINGS runs EXE
# where it is rather than a copy per scenario, and names (as a Linux path)
# the settings file it keeps: for an installed copy, the one in the user's
# local application data.
#
# Exits 0 when every scenario passed.
# Not -e: a failed step is reported and counted, and the scenarios go on.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
exe=$(realpath "$1")
driver=$(realpath "$2")
linux_build=$(realpath "$3")
sim="$linux_build/tools/sim/tbx4-sim"
linux_cli="$linux_build/tbx4-download"
image="$root/samples/tbx4_sample.hex"

work=$(mktemp -d "${TMPDIR:-/tmp}/tbx4-window-e2e.XXXXXX")
failures=0
# shellcheck source=tests/wine/wine-session.sh
source "$here/wine-session.sh"
# shellcheck source=tests/wine/window-session.sh
source "$here/window-session.sh"

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
expect_eq() {  # what, expected, actual
  if [ "$2" == "$3" ]; then pass "$1"; else fail "$1: expected [$2], got [$3]"; fi
}

# Every start reminds the technician how to connect the unit.
dismiss_setup_box() {
  local text
  text=$(drive box 20) || { fail "no setup box"; return 1; }
  expect_eq "setup box" "$(program_text kSetupInstructions)" "$text"
}

# What the Linux command line sends for the same image, recorded by the same
# simulator: the window must send exactly that.
expected_wire() {
  local record="$work/expected.bin"
  start_unit "$record"
  "$linux_cli" flash "$image" --port "$(wine_session_com_link 1)" --quiet >/dev/null
  stop_unit
  cat "$record"
}

# The number of image lines N when $1 is exactly the enter-download command
# and the image's first N lines; nothing when it is not.
line_prefix_of_download() {
  local expected=";TB00;TB73;TBU;" n=0 line
  [ "$1" == "$expected" ] && { echo 0; return; }
  while IFS= read -r line; do
    line=${line%$'\r'}
    [ ${#line} -lt 3 ] && continue
    expected+=$line
    n=$((n + 1))
    [ "$1" == "$expected" ] && { echo "$n"; return; }
    [ ${#expected} -gt ${#1} ] && return
  done <"$image"
}

scenario_first_run() {
  start_unit "$work/first.bin"
  start_program "$work/first"
  dismiss_setup_box
  close_program
  stop_unit
  expect_eq "first-run settings" "$(printf '1,"No File Name Selected",#TRUE#\r\n' | od -c)" \
    "$(od -c <"$(settings_file)" 2>/dev/null)"
}

scenario_download() {
  local expected
  expected=$(expected_wire | od -c)
  start_unit "$work/download.bin"
  start_program "$work/download" "$(settings_for "$image")"
  dismiss_setup_box
  drive click "Download TBX4"
  drive wait-label 3 "Download Complete!" 30 || fail "the download did not complete"
  drive no-box 1 || fail "a box appeared after a complete download"
  expect_eq "download wire" "$expected" "$(od -c <"$work/download.bin")"
  expect_eq "buttons usable again" 1 "$(drive enabled "Download TBX4")"
  close_program
  stop_unit
}

scenario_silent_unit() {
  start_unit "$work/silent.bin" --silent
  start_program "$work/silent" "$(settings_for "$image")"
  dismiss_setup_box
  drive click "Download TBX4"
  local text
  text=$(drive box 10) || fail "no reply warning"
  expect_eq "reply warning" "$(program_text kNoReplyWarning)" "$text"
  drive wait-label 3 "Comm. Error!" 10 || fail "no Comm. Error!"
  expect_eq "silent unit wire" ";TB00;TB73;TBU;" "$(cat "$work/silent.bin")"
  close_program
  stop_unit
}

scenario_revision() {
  start_unit "$work/revision.bin" --revision 2.17
  start_program "$work/revision" "$(settings_for "$image")"
  dismiss_setup_box
  drive click "Get F/W Rev."
  drive wait-label 2 "2.17;" 10 || fail "the revision did not appear"
  expect_eq "revision wire" ";TB00;TB73;TBV;" "$(cat "$work/revision.bin")"
  close_program
  stop_unit
}

# At the pace of a real line almost all of a download is waiting for "G":
# close the window part way and nothing more may reach the unit.
scenario_close_during_wait() {
  start_unit "$work/close.bin" --baud 4800
  start_program "$work/close" "$(settings_for "$image")"
  dismiss_setup_box
  drive click "Download TBX4"
  for _ in $(seq 200); do [ "$(stat -c %s "$work/close.bin")" -ge 400 ] && break; sleep 0.05; done
  drive close
  drive wait-gone 20 || fail "the window did not close during a download"
  end_program
  # Whole lines, each sent only after the last was answered, and nothing
  # after the line whose answer it was waiting for: no next line, no ";".
  local wire lines
  wire=$(cat "$work/close.bin")
  lines=$(line_prefix_of_download "$wire")
  if [ -n "$lines" ] && [ "$lines" -lt "$(wc -l <"$image")" ]; then
    pass "the close ended the download after line $lines, with nothing more sent"
  else
    fail "after the close the unit had [${wire:0:60}...] ($(echo -n "$wire" | wc -c) bytes)"
  fi
  sleep 1
  expect_eq "nothing sent after the program ended" "$wire" "$(cat "$work/close.bin")"
  expect_eq "settings saved on close" "$(settings_for "$image" | od -c)" \
    "$(od -c <"$(settings_file)" 2>/dev/null)"
  stop_unit
}

# TBX4_WINE_DIR: a session folder whose prefix can be reused (made when new).
session=${TBX4_WINE_DIR:-$work/wine}
mkdir -p "$session"
start_display || { echo "no free X display for Xvfb"; exit 1; }
wine_session_start "$session" || { echo "Wine session did not start"; exit 1; }
wine "$driver" 2>/dev/null && true  # warms the session; prints its usage

SECONDS=0
scenario_first_run
scenario_download
scenario_silent_unit
scenario_revision
scenario_close_during_wait
echo "Window end-to-end under Wine: $failures failure(s), ${SECONDS} s."
[ "$failures" -eq 0 ]
