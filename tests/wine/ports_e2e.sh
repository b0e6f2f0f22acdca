#!/usr/bin/env bash
# Which device each COM port stands for, and file names outside the system's
# code page, end to end under Wine against simulated units on the COM ports
# the Wine session maps (COM1 to COM4, on pseudo-terminals):
#  - tbx4-download.exe ports lists the ports Wine presents;
#  - an assignment in ports/comN sends COM1's work to COM3, for the console
#    program and for the window, whose "Assign Devices" dialog writes it;
#  - the port menu's hints appear in the band while an item is highlighted;
#  - an image in a folder whose letters the code page lacks is chosen by its
#    short name and downloaded, by the window and by the console program.
#
#   tests/wine/ports_e2e.sh EXE WINDOW_DRIVER PORTS_DRIVER CLI_EXE LINUX_BUILD_DIR
#
# TBX4_WINE_DIR names a Wine session folder to reuse (see wine-session.sh).
# Exits 0 when every scenario passed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
exe=$(realpath "$1")
driver=$(realpath "$2")
ports_driver=$(realpath "$3")
cli=$(realpath "$4")
linux_build=$(realpath "$5")
sim="$linux_build/tools/sim/tbx4-sim"
image="$root/samples/tbx4_sample.hex"
title="Quenrick TBX4 Download Utility V1.1"

work=$(mktemp -d "${TMPDIR:-/tmp}/tbx4-ports-e2e.XXXXXX")
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
expect_has() {  # what, text, needle
  if grep -qF -- "$3" <<<"$2"; then pass "$1"; else fail "$1: no [$3] in [$2]"; fi
}
pdrive() { wine "$ports_driver" "$@" | tr -d '\r'; }
expect_wire() {  # what, record file: the unit received exactly a download of the image
  if cmp -s <(wire_of_download) "$2"; then
    pass "$1"
  else
    fail "$1: the unit received $(stat -c %s "$2") bytes, not the $(wire_of_download | wc -c) of the download"
  fi
}

# A unit on COM port N, recording what it receives in $2.
units=()
start_unit_on() {
  local port=$1 record=$2 link
  shift 2
  link=$(wine_session_com_link "$port")
  rm -f "$link"
  : >"$record"
  "$sim" --link "$link" --record "$record" --quiet "$@" >/dev/null 2>&1 &
  units+=("$!")
  started+=("$!")
  for _ in $(seq 100); do [ -L "$link" ] && return 0; sleep 0.05; done
  fail "no unit on COM$port"
}
stop_units() {
  for pid in "${units[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  units=()
}

# What a download of an image puts on the wire.
wire_of_download() {
  printf ';TB00;TB73;TBU;'
  tr -d '\r\n' <"$image"
  printf ';'
}

# The image again, in a folder and under a name whose letters a Western code
# page has no place for.
foreign_dir="$work/固件目录"
mkdir -p "$foreign_dir"
cp "$image" "$foreign_dir/固件.hex"
foreign_image=  # as Windows names it, once the session is up

scenario_cli_lists_the_ports_wine_presents() {
  local out
  out=$(wine "$cli" ports --json 2>&1 | tr -d '\r')
  for port in 1 2 3 4; do
    expect_has "ports --json: COM$port present" "$out" \
      "{\"port\":\"COM$port\",\"device\":\"COM$port\",\"assigned\":false,\"present\":true}"
    expect_has "ports --json: the device of COM$port" "$out" "{\"device\":\"\\\\\\\\.\\\\COM$port\""
  done
  out=$(wine "$cli" ports 2>&1 | tr -d '\r')
  expect_has "ports: the hint of Com3" "$out" "Com3 is COM3 (present)"
  expect_has "ports: the devices present" "$out" "Serial devices present:"
}

scenario_cli_assignment_and_foreign_image() {
  local folder="$work/cli" out
  mkdir -p "$folder/ports"
  cp "$cli" "$folder/tbx4-download.exe"
  printf '\\\\.\\COM3\r\n' >"$folder/ports/com1"
  start_unit_on 3 "$work/cli3.bin"
  out=$(wine "$folder/tbx4-download.exe" flash "$foreign_image" --port COM1 --json 2>&1 | tr -d '\r')
  stop_units
  expect_has "flash --port COM1 went to the assigned COM3" "$out" '"device":"\\\\.\\COM3","status":"complete"'
  expect_wire "the wire of that flash" "$work/cli3.bin"
}

focus_window() {
  xdotool search --name "$title" windowfocus --sync >/dev/null 2>&1 || true
  sleep 0.3
}

# The hint of the port item the keyboard highlights after KEYS.
hint_after() {
  focus_window
  xdotool key "$@"
  sleep 0.5
  pdrive band
}

close_menu() {
  xdotool key Escape Escape
  sleep 0.5
}

scenario_window_hints_and_assignment() {
  local folder="$work/assign" rows
  start_unit_on 1 "$work/assign1.bin"
  start_unit_on 3 "$work/assign3.bin"
  start_program "$folder" "$(settings_for "$image")"
  drive box 20 >/dev/null || fail "no setup box"

  local band
  band=$(pdrive band)
  expect_eq "hint of Com1" "Com1 is COM1 (present)" "$(hint_after alt+c)"
  expect_eq "hint of Com2" "Com2 is COM2 (present)" "$(hint_after Down)"
  expect_eq "hint of Com6" "Com6 is COM6 (not present)" "$(hint_after Down Down Down Down)"
  close_menu
  expect_eq "the band after the menu" "$band" "$(pdrive band)"

  # The last item, from the keyboard: up from the first one.
  expect_eq "no hint on Assign Devices..." "$band" "$(hint_after alt+c Up)"
  xdotool key Return
  rows=$(pdrive rows 1 10)
  expect_has "Com1 starts at its default" "$rows" "*Default (COM1)"
  expect_has "Com1 offers COM4" "$rows" "COM4"
  pdrive assign 1 COM3 || fail "COM3 could not be picked"
  for _ in $(seq 100); do [ -s "$folder/ports/com1" ] && break; sleep 0.1; done
  expect_eq "the assignment written" "$(printf '\\\\.\\COM3\r\n' | od -c)" \
    "$(od -c <"$folder/ports/com1" 2>/dev/null)"
  expect_eq "hint of Com1 after the assignment" "Com1 is COM3 (present)" "$(hint_after alt+c)"
  close_menu

  # The port in use was reopened on COM3: the download goes there.
  drive click "Download TBX4"
  drive wait-text Label3 30 "Download Complete!" || fail "the download did not complete"
  expect_wire "the assigned unit's wire" "$work/assign3.bin"
  expect_eq "nothing reached COM1" "0" "$(stat -c %s "$work/assign1.bin")"
  close_program
  stop_units
}

scenario_window_foreign_image() {
  local folder="$work/names" label
  start_unit_on 1 "$work/names1.bin"
  start_program "$folder"
  drive box 20 >/dev/null || fail "no setup box"
  drive click "TBX4 Hex File Name"
  pdrive open-file "$foreign_image" 20 || fail "no file dialog"
  sleep 1
  label=$(drive read Label1)
  case "$label" in
    *'?'* | "" | "No File Name Selected") fail "the file name shown is [$label]" ;;
    *) pass "the file name shown is [$label]" ;;
  esac
  drive click "Download TBX4"
  drive wait-text Label3 30 "Download Complete!" || fail "the download of the image did not complete"
  expect_wire "the image's wire" "$work/names1.bin"
  close_program
  stop_units
  if grep -q '?' "$folder/tbx4_dld.ini"; then
    fail "the settings file holds [$(cat "$folder/tbx4_dld.ini")]"
  else
    pass "the settings file names [$(tr -d '\r\n' <"$folder/tbx4_dld.ini")]"
  fi
}

session=${TBX4_WINE_DIR:-$work/wine}
mkdir -p "$session"
start_display || { echo "no free X display for Xvfb"; exit 1; }
wine_session_start "$session" || { echo "Wine session did not start"; exit 1; }
foreign_image=$(winepath -w "$foreign_dir/固件.hex" 2>/dev/null)

SECONDS=0
scenario_cli_lists_the_ports_wine_presents
scenario_cli_assignment_and_foreign_image
scenario_window_hints_and_assignment
scenario_window_foreign_image
echo "Ports and names end-to-end under Wine: $failures failure(s), ${SECONDS} s."
[ "$failures" -eq 0 ]
