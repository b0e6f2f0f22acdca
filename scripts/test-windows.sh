#!/usr/bin/env bash
# Cross-builds the Windows programs and tests with mingw-w64 and runs them
# under Wine: the unit tests over the fakes, the Win32 backend's own tests,
# the command line's scenarios (tests/cli) against tbx4-download.exe, and the
# window's (tests/wine) against TBX4_Download.exe. The scenarios are the
# Linux test programs; here they start the Windows programs under Wine, and
# the simulated units (tbx4-sim) on pseudo-terminals that Wine knows as
# COM1..COM4. This script only builds, sets the stage and calls them.
#
#   scripts/test-windows.sh [LINUX_BUILD_DIR]
#
# LINUX_BUILD_DIR (default build) provides the scenarios and tbx4-sim; it is
# configured when new. TBX4_WINE_CLI runs the command line's scenarios
# against another build of it, such as the 32-bit one
# (build-windows/i686/tbx4-download.exe, which needs Debian's wine32:i386).
# The Wine prefix is kept in build-wine/wine and reused by later runs
# (TBX4_WINE_DIR chooses another).
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in wine wineserver x86_64-w64-mingw32-g++-posix; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "Windows tests skipped: $tool not found (Debian packages wine, g++-mingw-w64-x86-64-posix)."
    exit 0
  fi
done

linux_build=${1:-build}
build="build-wine"
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DTBX4_BACKEND=win32
fi
cmake --build "$build" -j 2 --target tbx4_tests tbx4_win32_tests tbx4_win32_window_tests \
  tbx4_window_driver tbx4_ports_driver tbx4-download
[ -f "$linux_build/CMakeCache.txt" ] || cmake -S . -B "$linux_build"
cmake --build "$linux_build" -j 2 --target tbx4-sim tbx4_cli_tests tbx4_wine_window_tests

session=${TBX4_WINE_DIR:-$build/wine}
mkdir -p "$session"
session=$(cd "$session" && pwd)
work=$(mktemp -d)
unit=
# shellcheck source=tests/wine/wine-session.sh
source tests/wine/wine-session.sh

stop_unit() {
  [ -n "$unit" ] || return 0
  kill "$unit" 2>/dev/null || true
  wait "$unit" 2>/dev/null || true
  unit=
}
trap 'stop_unit; wine_session_stop; rm -rf "$work"' EXIT

# A simulated unit on COM1, with tbx4-sim's options, for the serial port's
# own tests.
start_unit() {
  stop_unit
  rm -f "$(wine_session_com_link 1)"
  "$linux_build/tools/sim/tbx4-sim" --link "$(wine_session_com_link 1)" --quiet "$@" >/dev/null &
  unit=$!
  for _ in $(seq 100); do [ -L "$(wine_session_com_link 1)" ] && return 0; sleep 0.05; done
}

failures=0
# run WHAT COMMAND...: runs a test program; prints its tally, its time and why
# any scenario skipped, and the end of its output when it fails.
run() {
  local what=$1 started=$SECONDS tally skipped
  shift
  if "$@" >"$work/out" 2>&1; then
    tally=$(sed -n 's/^\[==========\] \(.* ran\).*/\1/p' "$work/out")
    skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\{0,1\}, listed below:/, \1 skipped/p' "$work/out")
    echo "$what: ${tally:-passed}$skipped, $((SECONDS - started)) s"
    grep -A1 ': Skipped$' "$work/out" | grep -v -e ': Skipped$' -e '^--$' | sed 's/^/  skipped: /' || true
  else
    echo "FAIL: $what" >&2
    tail -n 40 "$work/out" >&2
    failures=$((failures + 1))
  fi
}

wine_session_start "$session"
echo "Wine session ready in ${SECONDS} s (prefix $session/prefix)."

run "tbx4_tests.exe" wine "$build/tests/tbx4_tests.exe"
run "tbx4_win32_tests.exe (no unit)" wine "$build/tests/win32/tbx4_win32_tests.exe" \
  --gtest_filter=-ComPort.*
start_unit
run "tbx4_win32_tests.exe (answering unit)" env TBX4_COM1_UNIT=answering \
  wine "$build/tests/win32/tbx4_win32_tests.exe" --gtest_filter=ComPort.*
if grep -q 'SKIPPED.*ComPort.Opens' "$work/out"; then
  echo "FAIL: the port tests did not see the unit on COM1" >&2
  failures=$((failures + 1))
fi
start_unit --hangup-after 1
run "tbx4_win32_tests.exe (unit that hangs up)" env TBX4_COM1_UNIT=hangup \
  wine "$build/tests/win32/tbx4_win32_tests.exe" --gtest_filter=ComPort.*
stop_unit
# The window's own tests make real windows: they need a display.
run "tbx4_win32_window_tests.exe" xvfb-run -a -s "-screen 0 1024x768x24" \
  wine "$build/tests/win32/tbx4_win32_window_tests.exe"

# The command line's scenarios; those that bound time run after the rest.
cli_scenarios() {
  env TBX4_CLI_LAUNCHER=wine TBX4_CLI_PROGRAM="${TBX4_WINE_CLI:-$build/tbx4-download.exe}" \
    TBX4_COM_LINK_PREFIX="$(wine_session_com_link "")" QT_QPA_PLATFORM=offscreen \
    "$linux_build/tests/cli/tbx4_cli_tests" "$@"
}
# (CliSession runs a unit's session inside the test program: no program to
# run under Wine.)
run "tbx4-download.exe scenarios" cli_scenarios --gtest_filter='-CliTiming.*:CliSession.*'
run "tbx4-download.exe timing scenarios" cli_scenarios --gtest_filter='CliTiming.*'

# The window program as shipped. build-windows.sh also checks that both
# programs import Windows' own DLLs only.
run "build-windows.sh" scripts/build-windows.sh
wine_session_stop
run "TBX4_Download.exe scenarios" env TBX4_WINE_DIR="$session" tests/wine/window_e2e.sh \
  build-windows/x64/TBX4_Download.exe "$build/tests/wine/tbx4_window_driver.exe" "$linux_build"
run "ports and file names end to end" env TBX4_WINE_DIR="$session" tests/wine/ports_e2e.sh \
  build-windows/x64/TBX4_Download.exe "$build/tests/wine/tbx4_window_driver.exe" \
  "$build/tests/wine/tbx4_ports_driver.exe" build-windows/x64/tbx4-download.exe "$linux_build"

echo "Windows tests: $failures failure(s), ${SECONDS} s in all."
[ "$failures" = 0 ]
