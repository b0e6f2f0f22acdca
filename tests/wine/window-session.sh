# shellcheck shell=bash disable=SC2154
# Functions for running the Windows window program under Wine and Xvfb
# against the simulated unit from bash: the display for the scenarios
# (window_e2e.sh), and the steps of the benchmark (bench/run_windows_bench.sh).
# Source it from bash after wine-session.sh, with $work (a scratch folder),
# $exe (TBX4_Download.exe), $driver (the window driver) and $sim (the Linux
# tbx4-sim) set, and a fail function defined. Every process it starts is
# ended by id when the caller exits.

started=()  # ids of every process started here

cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
  wine_session_stop
  rm -rf "$work"
}
trap cleanup EXIT

start_display() {
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    started+=($!)
    export DISPLAY=":$n"
    # Its socket can appear before it takes clients: ask it something.
    for _ in $(seq 200); do xdotool getdisplaygeometry >/dev/null 2>&1 && return 0; sleep 0.05; done
    return 1
  done
  return 1
}

# One step of the driver (tests/wine/window_driver.cpp has the commands):
# its results on standard output, one a line, and status 0 when the step
# succeeded. Its answers come with Windows line ends.
drive() {
  local reply
  reply=$( (IFS=$'\t' && printf '%s\n' "$*") | wine "$driver" 2>/dev/null | tr -d '\r')
  case $reply in
    ok) return 0 ;;
    ok$'\t'*) printf '%s\n' "${reply#ok$'\t'}" | tr '\t' '\n' ;;
    *)
      echo "window_driver: ${reply#fail$'\t'}" >&2
      return 1
      ;;
  esac
}

# A unit on a fresh pseudo-terminal, linked as COM1; its received bytes go to
# $1. Other arguments go to the simulator.
start_unit() {
  local record=$1
  shift
  local link
  link=$(wine_session_com_link 1)
  rm -f "$link"
  : >"$record"
  "$sim" --link "$link" --record "$record" --quiet "$@" >"$work/sim.out" 2>"$work/sim.err" &
  unit=$!
  started+=("$unit")
  for _ in $(seq 100); do [ -L "$link" ] && return 0; sleep 0.05; done
  return 1
}

stop_unit() { kill "$unit" 2>/dev/null || true; wait "$unit" 2>/dev/null || true; }

# The settings file the program under test uses: beside the copy that
# start_program made, or the one TBX4_E2E_SETTINGS names (a Linux path).
settings_file() { echo "${TBX4_E2E_SETTINGS:-$folder/tbx4_dld.ini}"; }

# The program in a folder of its own, since it keeps its settings beside it;
# with TBX4_E2E_SETTINGS, where it is (installed, or unzipped), in that
# folder, with no settings file left from before. With $2, the settings
# file is written first.
start_program() {
  folder=$1
  mkdir -p "$folder"
  local run=$exe
  if [ -n "${TBX4_E2E_SETTINGS:-}" ]; then
    rm -f "$TBX4_E2E_SETTINGS"
  else
    run=$folder/TBX4_Download.exe
    cp "$exe" "$run"
  fi
  if [ $# -ge 2 ]; then
    mkdir -p "$(dirname "$(settings_file)")"
    printf '%s' "$2" >"$(settings_file)"
  fi
  (cd "$folder" && exec wine "$run") >"$folder/program.log" 2>&1 &
  program=$!
  started+=("$program")
  drive wait-window 30 >/dev/null || { fail "the window did not appear"; return 1; }
}

close_program() {
  drive close
  drive wait-gone 20 || fail "the window did not close"
  end_program
}

# Waits a bounded time for the program's process, then ends it: a program
# that hangs fails the test, it does not hang the test.
end_program() {
  for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$program" 2>/dev/null; then
    fail "the program was still running after its window closed"
    kill "$program" 2>/dev/null
  fi
  wait "$program" 2>/dev/null || true
}

settings_for() {  # image path as the program sees it
  printf '1,"%s",#TRUE#\r\n' "$(winepath -w "$1" 2>/dev/null)"
}
