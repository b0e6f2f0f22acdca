#!/usr/bin/env bash
# Cross-builds the Windows programs and tests with mingw-w64 and runs them
# under Wine: the unit tests over the fakes, the Win32 backend's tests, and
# tbx4-download.exe against the simulated unit (tbx4-sim, a Linux program)
# on a pseudo-terminal that Wine knows as COM1. Checks the exit statuses and
# every byte the unit received, and prints the timings.
#
#   scripts/test-windows.sh [LINUX_BUILD_DIR]
#
# LINUX_BUILD_DIR (default build) provides tbx4-sim and tbx4-hexgen; it is
# configured and built when it lacks them. TBX4_WINE_CLI runs the console
# program's part against another build of it, such as the 32-bit one
# (build-windows/i686/tbx4-download.exe, which needs Debian's wine32:i386). The Wine prefix is kept in
# build-wine/wine and reused by later runs (TBX4_WINE_DIR chooses another).
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
sample=samples/tbx4_sample.hex

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DTBX4_BACKEND=win32
fi
cmake --build "$build" -j 2 --target tbx4_tests tbx4_win32_tests tbx4_win32_window_tests \
  tbx4_window_driver tbx4_ports_driver tbx4-download
if [ ! -f "$linux_build/CMakeCache.txt" ]; then
  cmake -S . -B "$linux_build"
fi
cmake --build "$linux_build" -j 2 --target tbx4-sim tbx4-hexgen
sim=$(find "$linux_build" -name tbx4-sim -type f -perm -u+x | head -n 1)
hexgen=$(find "$linux_build" -name tbx4-hexgen -type f -perm -u+x | head -n 1)

session=${TBX4_WINE_DIR:-$build/wine}
mkdir -p "$session"
session=$(cd "$session" && pwd)
work=$(mktemp -d)
sim_pids=()

# shellcheck source=tests/wine/wine-session.sh
source tests/wine/wine-session.sh

cleanup() {
  stop_unit
  wine_session_stop
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# A simulated unit on COM port N with the options given, recording into
# $work/wireN.bin.
start_unit_on() {
  local port=$1
  shift
  : >"$work/wire$port.bin"
  : >"$work/sim$port.out"
  "$sim" --link "$(wine_session_com_link "$port")" --record "$work/wire$port.bin" --quiet "$@" \
    >"$work/sim$port.out" &
  sim_pids+=("$!")
  # The first line it prints is its terminal: by then the link is in place.
  for _ in $(seq 100); do
    [ -s "$work/sim$port.out" ] && return 0
    sleep 0.05
  done
  fail "tbx4-sim did not start on COM$port"
}

# One unit, on COM1, and no other.
start_unit() {
  stop_unit
  start_unit_on 1 "$@"
}

stop_unit() {
  local pid
  for pid in "${sim_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  sim_pids=()
}

# What a download of IMAGE puts on the wire: the enter-download command,
# every line of the image without its line end, the final ";".
wire_of_download() {
  printf ';TB00;TB73;TBU;'
  tr -d '\r\n' <"$1"
  printf ';'
}

# expect_wire WHAT EXPECTED_FILE [PORT]: the unit on COM PORT (1) received
# exactly those bytes.
expect_wire() {
  local what=$1 expected=$2 wire="$work/wire${3:-1}.bin"
  if ! cmp -s "$expected" "$wire"; then
    fail "$what: the unit received $(wc -c <"$wire") bytes, not the $(wc -c <"$expected") expected"
  fi
}

# Runs a program under Wine; its exit status in $status, output in $work/out
# and $work/err, wall and CPU seconds of the program (and of the wineserver,
# which does the port's work for it) in $wall, $cpu and $server_cpu.
wine_run() {
  local server before after
  server=$(our_wineserver)
  before=$(process_cpu "$server")
  set +e
  /usr/bin/time -f '%e %U %S' -o "$work/time" wine "$@" >"$work/out" 2>"$work/err"
  status=$?
  set -e
  after=$(process_cpu "$server")
  # The last line: a failing program's status comes on a line before it.
  read -r wall user system < <(tail -n 1 "$work/time")
  cpu=$(echo "$user + $system" | bc | xargs printf '%.2f')
  server_cpu=$(echo "($after - $before) / $(getconf CLK_TCK)" | bc -l | xargs printf '%.2f')
}

# The process that runs a Windows program that `wine` started as STARTED.
# Without wine32 installed it is that very process. With wine32 installed,
# the 32-bit loader hands a 64-bit program to a new process (under
# "start.exe /exec"), which is the one that must get a signal.
program_pid() {
  local started=$1 name=$2 pid
  pid=$(ps -eo pid=,args= | awk -v name="$name" \
    '{ n = split($2, parts, /[\\\/]/) } parts[n] == name { print $1 }' | tail -n 1)
  echo "${pid:-$started}"
}

# The wineserver of this prefix (other prefixes have servers of their own).
our_wineserver() {
  local pid
  for pid in $(pgrep -x wineserver64 || true) $(pgrep -x wineserver || true); do
    if tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      echo "$pid"
      return
    fi
  done
}

# utime + stime of a process in clock ticks; 0 when there is none.
process_cpu() {
  if [ -n "$1" ] && [ -r "/proc/$1/stat" ]; then
    awk '{ print $14 + $15 }' "/proc/$1/stat"
  else
    echo 0
  fi
}

expect_status() {
  local what=$1 expected=$2
  if [ "$status" != "$expected" ]; then
    fail "$what: exit status $status, not $expected; stderr: $(head -c 400 "$work/err")"
  fi
}

started=$SECONDS
wine_session_start "$session"
echo "Wine session ready in $((SECONDS - started)) s (prefix $session/prefix)."

# --- The unit tests over the fakes, and the backend's own tests ---
wine_run "$build/tests/tbx4_tests.exe"
expect_status "tbx4_tests.exe" 0
echo "tbx4_tests.exe: $(grep -E '^\[==========\] .* ran' "$work/out" | sed 's/\[==========\] //'), wall ${wall} s"
[ "$status" = 0 ] || tail -n 30 "$work/out" >&2

wine_run "$build/tests/win32/tbx4_win32_tests.exe" --gtest_filter=-ComPort.*
expect_status "tbx4_win32_tests.exe (no unit)" 0
start_unit
TBX4_COM1_UNIT=answering wine_run "$build/tests/win32/tbx4_win32_tests.exe" --gtest_filter=ComPort.*
expect_status "tbx4_win32_tests.exe (answering unit)" 0
grep -q 'SKIPPED.*ComPort.Opens' "$work/out" && fail "the port tests did not see the unit"
start_unit --hangup-after 1
TBX4_COM1_UNIT=hangup wine_run "$build/tests/win32/tbx4_win32_tests.exe" --gtest_filter=ComPort.*
expect_status "tbx4_win32_tests.exe (unit that hangs up)" 0
[ "$failures" = 0 ] || tail -n 30 "$work/out" >&2

# The window's own tests make real windows: they need a display.
set +e
xvfb-run -a -s "-screen 0 1024x768x24" wine "$build/tests/win32/tbx4_win32_window_tests.exe" \
  >"$work/out" 2>"$work/err"
status=$?
set -e
expect_status "tbx4_win32_window_tests.exe" 0
echo "tbx4_win32_window_tests.exe: $(grep -E '^\[==========\] .* ran' "$work/out" | sed 's/\[==========\] //')"
[ "$status" = 0 ] || tail -n 30 "$work/out" >&2

# --- tbx4-download.exe against the simulated unit ---
cli=${TBX4_WINE_CLI:-$build/tbx4-download.exe}

start_unit
wine_run "$cli" flash "$sample" --port COM1 --json
expect_status "flash" 0
wire_of_download "$sample" >"$work/expected"
expect_wire "flash" "$work/expected"
grep -q '"status":"complete"' "$work/out" || fail "flash: the JSON says $(cat "$work/out")"
echo "flash of $(wc -l <"$sample") lines to an instant unit: wall ${wall} s under Wine"

"$hexgen" --bytes 64000 "$work/big.hex" >/dev/null
start_unit
wine_run "$cli" flash "$work/big.hex" --port COM1 --json
expect_status "flash of a large image" 0
wire_of_download "$work/big.hex" >"$work/expected"
expect_wire "flash of a large image" "$work/expected"
lines=$(wc -l <"$work/big.hex")
seconds=$(sed -n 's/.*"seconds":\([0-9.]*\).*/\1/p' "$work/out")
echo "flash of $lines lines to an instant unit: ${seconds} s in the download," \
  "$(echo "$lines / $seconds" | bc) lines/s; wall ${wall} s, CPU ${cpu} s + wineserver ${server_cpu} s"

start_unit --revision 2.17
wine_run "$cli" revision --port COM1
expect_status "revision" 0
[ "$(tr -d '\r' <"$work/out")" = "2.17" ] || fail "revision printed '$(cat "$work/out")'"
printf ';TB00;TB73;TBV;' >"$work/expected"
expect_wire "revision" "$work/expected"

# A silent unit: the enter-download command and nothing after it; the wait
# for an answer that never comes must cost no CPU.
start_unit --silent
wine_run "$cli" revision --port COM1
expect_status "revision from a silent unit" 6
echo "revision from a silent unit: wall ${wall} s, CPU ${cpu} s + wineserver ${server_cpu} s"
if [ "$(echo "$cpu + $server_cpu > 0.5" | bc)" = 1 ]; then
  fail "waiting for a silent unit took ${cpu} s + ${server_cpu} s of CPU"
fi
wine_run "$cli" flash "$sample" --port COM1 --json
expect_status "flash to a silent unit" 6
printf ';TB00;TB73;TBV;;TB00;TB73;TBU;' >"$work/expected"
expect_wire "flash to a silent unit" "$work/expected"
grep -q '"failed_line":0' "$work/out" || fail "flash to a silent unit: the JSON says $(cat "$work/out")"

# A unit that stops answering after 10 lines: the failing line is the 11th
# record (line 10 counted from the enter-download command's 0).
start_unit --stop-after 10
wine_run "$cli" flash "$sample" --port COM1 --json
expect_status "flash to a unit that stops answering" 6
{
  printf ';TB00;TB73;TBU;'
  head -n 11 "$sample" | tr -d '\r\n'
} >"$work/expected"
expect_wire "flash to a unit that stops answering" "$work/expected"
grep -q '"failed_line":11' "$work/out" || fail "unit that stops: the JSON says $(cat "$work/out")"
stop_unit

# Several units at once, at 4800 baud: each on its own thread, so that the
# silent one and the one that stops after 10 lines delay neither of the
# others, which get the image byte for byte; the run takes about as long as
# one unit alone.
{
  head -n 30 "$sample"
  tail -n 1 "$sample"
} >"$work/short.hex"
wire_of_download "$work/short.hex" >"$work/expected"
start_unit --baud 4800
wine_run "$cli" flash "$work/short.hex" --port COM1
expect_status "flash at 4800 baud" 0
expect_wire "flash at 4800 baud" "$work/expected"
alone=$wall
stop_unit
start_unit_on 1 --baud 4800
start_unit_on 2 --baud 4800 --silent
start_unit_on 3 --baud 4800 --stop-after 10
start_unit_on 4 --baud 4800
wine_run "$cli" flash "$work/short.hex" --port COM1 --port COM2 --port COM3 --port COM4 --json
expect_status "flash to four units" 6
expect_wire "flash to four units, COM1" "$work/expected" 1
expect_wire "flash to four units, COM4" "$work/expected" 4
printf ';TB00;TB73;TBU;' >"$work/expected-silent"
expect_wire "flash to four units, the silent COM2" "$work/expected-silent" 2
{
  printf ';TB00;TB73;TBU;'
  head -n 11 "$work/short.hex" | tr -d '\r\n'
} >"$work/expected-stops"
expect_wire "flash to four units, COM3 that stops" "$work/expected-stops" 3
expect_unit() {
  grep "\"port\":\"$1\"" "$work/out" | grep -q "$2" || fail "four units: $1 is not $2 in $(cat "$work/out")"
}
expect_unit COM1 '"status":"complete"'
expect_unit COM2 '"failed_line":0'
expect_unit COM3 '"failed_line":11'
expect_unit COM4 '"status":"complete"'
echo "$(wc -l <"$work/short.hex") lines at 4800 baud: one unit ${alone} s, four at once ${wall} s" \
  "(CPU ${cpu} s + wineserver ${server_cpu} s)"
if [ "$(echo "$wall > $alone + 1.5" | bc)" = 1 ]; then
  fail "four units at once took ${wall} s, one alone ${alone} s"
fi
stop_unit

# Ctrl+C part way (Wine turns SIGINT into the console's Ctrl+C): status 130,
# the unit has the lines up to the one it was waiting on and nothing after.
start_unit --baud 4800
wine "$cli" flash "$sample" --port COM1 --json >"$work/out" 2>"$work/err" &
cli_pid=$!
sleep 2
kill -INT "$(program_pid "$cli_pid" "$(basename "$cli")")"
set +e
wait "$cli_pid"
status=$?
set -e
expect_status "flash interrupted" 130
sleep 0.5
reached=$(sed -n 's/.*"failed_line":\([0-9]*\).*/\1/p' "$work/out")
if [ -z "$reached" ] || ! grep -q '"status":"interrupted"' "$work/out"; then
  fail "flash interrupted: the JSON says $(cat "$work/out")"
else
  {
    printf ';TB00;TB73;TBU;'
    head -n "$reached" "$sample" | tr -d '\r\n'
  } >"$work/expected"
  expect_wire "flash interrupted at line $reached" "$work/expected"
fi

# A port that leads nowhere.
wine_run "$cli" flash "$sample" --port 'COM7'
expect_status "flash to a missing port" 5
grep -q "no such device" "$work/err" || fail "a missing port: stderr says $(cat "$work/err")"

# --- The window program as shipped, driven as a technician would drive it ---
# build-windows.sh also checks that both programs import Windows' own DLLs
# only.
scripts/build-windows.sh || fail "build-windows.sh"
wine_session_stop
TBX4_WINE_DIR=$session tests/wine/window_e2e.sh build-windows/x64/TBX4_Download.exe \
  "$build/tests/wine/tbx4_window_driver.exe" "$linux_build" || fail "the window end to end"
TBX4_WINE_DIR=$session tests/wine/ports_e2e.sh build-windows/x64/TBX4_Download.exe \
  "$build/tests/wine/tbx4_window_driver.exe" "$build/tests/wine/tbx4_ports_driver.exe" \
  build-windows/x64/tbx4-download.exe "$linux_build" || fail "ports and file names end to end"

echo "Windows tests: $failures failure(s), ${SECONDS} s in all."
[ "$failures" = 0 ]
