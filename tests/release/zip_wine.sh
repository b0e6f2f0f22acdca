#!/usr/bin/env bash
# The Windows zip under Wine, in a fresh prefix of the test's own, as a
# Windows user takes it: unzipped into a fresh folder, the window runs end
# to end from there, keeping its settings beside itself. Unzipped into a
# folder the program cannot write, it keeps them in the user's local
# application data instead, and a port choice survives a restart.
#
#   tests/release/zip_wine.sh ZIP VERSION DRIVER_EXE LINUX_BUILD_DIR
#
# DRIVER_EXE and LINUX_BUILD_DIR are tests/wine/window_e2e.sh's. Wine does
# not enforce Windows' folder rights, so the folder is made unwritable from
# Linux: immutable (chattr +i) where the file system and the user allow it,
# read-only when not run as root (root writes to a read-only folder), and
# that part is skipped when neither holds. Skipped without Wine or Xvfb.
# Not -e: every check is reported, and the count decides.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
zip=$(realpath "$1")
version=$2
driver=$(realpath "$3")
linux_build=$(realpath "$4")
sim="$linux_build/tools/sim/tbx4-sim"

for tool in wine wineserver Xvfb unzip; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "Zip test skipped: $tool not found (Debian packages wine, xvfb, unzip)."
    exit 0
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tbx4-zip.XXXXXX")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
expect_eq() {  # what, expected, actual
  if [ "$2" == "$3" ]; then pass "$1"; else fail "$1: expected [$2], got [$3]"; fi
}

# shellcheck source=tests/wine/wine-session.sh
source "$root/tests/wine/wine-session.sh"
# shellcheck source=tests/wine/window-session.sh
source "$root/tests/wine/window-session.sh"  # its cleanup ends what it started
locked=$work/locked
unlock() {
  [ -d "$locked" ] && { chattr -i "$locked" 2>/dev/null; chmod u+w "$locked"; }
  cleanup
}
trap unlock EXIT

session=$work/wine
mkdir -p "$session"
wine_session_start "$session" || { echo "FAIL: the Wine session did not start"; exit 1; }

# --- Unzipped into a fresh folder, and run from there ---
unzip -q "$zip" -d "$work/unzipped" || fail "unzip $zip"
expect_eq "tbx4-download.exe --version from the unzipped folder" "tbx4-download $version" \
  "$(cd "$work/unzipped" && wine tbx4-download.exe --version 2>/dev/null | tr -d '\r')"
wine_session_stop  # the window's session starts afresh, with its display
TBX4_WINE_DIR=$session TBX4_E2E_SETTINGS=$work/unzipped/tbx4_dld.ini \
  "$root/tests/wine/window_e2e.sh" "$work/unzipped/TBX4_Download.exe" "$driver" "$linux_build" \
  || fail "the unzipped window end to end"

# --- From a folder it cannot write ---
make_unwritable() {
  chattr +i "$1" 2>/dev/null || { [ "$(id -u)" != 0 ] && chmod a-w "$1"; }
  ! touch "$1/.probe" 2>/dev/null
}

mkdir -p "$locked"
unzip -q "$zip" -d "$locked"
if ! make_unwritable "$locked"; then
  rm -f "$locked/.probe"
  echo "The unwritable-folder part skipped: this file system cannot make a folder immutable" \
    "(chattr +i), and root writes to read-only folders."
else
  wine_session_start "$session" || fail "the Wine session did not start again"
  start_display || fail "no free X display for Xvfb"
  exe=$locked/TBX4_Download.exe
  local_app_data=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')" 2>/dev/null)
  export TBX4_E2E_SETTINGS=$local_app_data/TBX4_Download/tbx4_dld.ini
  rm -rf "$(dirname "$TBX4_E2E_SETTINGS")"

  # COM1 and COM2 each answer the revision query with a number of their own.
  start_unit "$work/com1.bin" --revision 1.11
  "$sim" --link "$(wine_session_com_link 2)" --revision 2.22 --quiet >"$work/sim2.out" 2>&1 &
  started+=($!)
  for _ in $(seq 100); do [ -s "$work/sim2.out" ] && break; sleep 0.05; done

  start_program "$work/locked-run"
  drive box 20 >/dev/null || fail "no setup box"
  # The ComPort menu's Com2 (MenuItem::kSetcomm2 is 2).
  drive command 2 || fail "the ComPort menu's Com2 could not be chosen"
  drive no-box 2 || fail "a box appeared after choosing Com2"
  close_program
  expect_eq "settings in the user's local application data" \
    "$(printf '2,"No File Name Selected",#TRUE#\r\n' | od -c)" "$(od -c <"$TBX4_E2E_SETTINGS" 2>/dev/null)"
  expect_eq "nothing written beside the program" \
    $'README.txt\nTBX4_Download.exe\ntbx4-download.exe' "$(find "$locked" -mindepth 1 -printf '%f\n' | LC_ALL=C sort)"

  # Started again, it reads that file: it asks the unit on COM2.
  (cd "$work/locked-run" && exec wine "$exe") >>"$work/locked-run/program.log" 2>&1 &
  program=$!
  started+=("$program")
  if drive wait-window 30 >/dev/null && drive box 20 >/dev/null; then
    drive click "Get F/W Rev."
    drive wait-text Label2 10 "2.22;" || fail "after a restart the revision came from $(drive read Label2), not COM2's 2.22"
    close_program
  else
    fail "the program did not start again"
  fi
  expect_eq "the port choice kept after a restart" \
    "$(printf '2,"No File Name Selected",#TRUE#\r\n' | od -c)" "$(od -c <"$TBX4_E2E_SETTINGS" 2>/dev/null)"
fi

echo "Zip test under Wine: $failures failure(s), ${SECONDS} s."
[ "$failures" -eq 0 ]
