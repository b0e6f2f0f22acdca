#!/usr/bin/env bash
# The Debian package installed for real, as a bench PC gets it: apt-get
# installs it, the programs run from /usr/bin for a user whose home is a
# fresh folder, and a purge takes it away again.
#
#   tests/release/deb_install.sh DEB VERSION
#
# Needs root (apt-get); skipped otherwise, and when the package is installed
# here already (the purge would take the machine's own copy). The window's
# part needs Xvfb and xdotool. Not -e: every check is reported, and the count
# decides.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
deb=$(realpath "$1")
version=$2
package=tbx4-download

if [ "$(id -u)" != 0 ]; then
  echo "Package install test skipped: apt-get install needs root."
  exit 0
fi
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
  echo "Package install test skipped: $package is installed on this machine, and the test would purge it."
  exit 0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tbx4-deb.XXXXXX")
home=$work/home
settings_dir=$home/.config/tbx4-download
started=()
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
expect_eq() {  # what, expected, actual
  if [ "$2" == "$3" ]; then pass "$1"; else fail "$1: expected [$2], got [$3]"; fi
}

apt() {
  DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300 "$@" >>"$work/apt.log" 2>&1
}

cleanup() {
  local pid
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
  if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
    apt purge "$package" || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# As the user with the fresh home, who has no XDG_CONFIG_HOME of their own.
# env runs the program in its own process, so that $! of a background start
# is the program's: a shell function there would be a subshell's.
as_user=(env -u XDG_CONFIG_HOME HOME="$home")

# --- Installed, with what dpkg-shlibdeps says it needs ---
mkdir -p "$home"
if ! apt install "$deb"; then
  fail "apt-get install $deb"
  tail -n 20 "$work/apt.log"
  exit 1
fi
expect_eq "tbx4-download on the path" /usr/bin/tbx4-download "$(command -v tbx4-download)"
expect_eq "TBX4_Download on the path" /usr/bin/TBX4_Download "$(command -v TBX4_Download)"
expect_eq "tbx4-download --version" "tbx4-download $version" "$(tbx4-download --version)"
expect_eq "tbx4-sim --version" "tbx4-sim $version" "$(tbx4-sim --version)"
"${as_user[@]}" tbx4-download check "$root/samples/tbx4_sample.hex" >"$work/check.out" 2>&1
expect_eq "tbx4-download check on the sample image: exit status" 0 "$?"
grep -q "end record present" "$work/check.out" || fail "check printed: $(cat "$work/check.out")"

# --- The window, for a user who never ran it ---
# Simulated units for COM1 and COM2, each answering the revision query with
# its own number, on the links the installed copy looks up in the user's
# folder. Sets $terminal to the unit's terminal (the first line it prints).
start_sim() {  # COM number, revision
  "${as_user[@]}" tbx4-sim --link "$settings_dir/ports/com$1" --revision "$2" --quiet \
    >"$work/sim$1.out" 2>&1 &
  started+=($!)
  for _ in $(seq 100); do [ -s "$work/sim$1.out" ] && break; sleep 0.05; done
  terminal=$(head -n 1 "$work/sim$1.out")
}

start_display() {
  local n
  for n in $(seq 150 199); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    started+=($!)
    export DISPLAY=":$n"
    # Its socket can appear before it takes clients: ask it something.
    for _ in $(seq 200); do xdotool getdisplaygeometry >/dev/null 2>&1 && return 0; sleep 0.05; done
  done
  return 1
}

start_window() {
  "${as_user[@]}" QT_QPA_PLATFORM=xcb TBX4_Download >>"$work/window.log" 2>&1 &
  window=$!
  started+=("$window")
}

# A message box of the program's is up (its title is the program's name;
# the main window's starts "Quenrick"). A first start in a fresh home also
# builds the user's font cache, which a busy machine makes slow.
find_box() { xdotool search --onlyvisible --name '^TBX4 Download Utility$' 2>/dev/null | head -n 1; }
wait_box() {
  for _ in $(seq 600); do
    box=$(find_box)
    [ -n "$box" ] && return 0
    sleep 0.1
  done
  fail "no message box appeared within 60 s"
  return 1
}

# Return answers the box; the main window has the keys once it has gone.
answer_box() {
  press "$box" Return
  for _ in $(seq 100); do
    [ -z "$(find_box)" ] && return 0
    sleep 0.1
  done
  fail "Return did not answer the box"
  return 1
}

# Keys go to the focused window: with no window manager, focus is given.
press() {  # window, keys
  xdotool windowfocus --sync "$1" key --clearmodifiers "$2"
}

# SIGTERM runs the window's own shut-down, which saves the settings; it
# must end the program within a few seconds, and with status 0.
end_window() {
  kill -TERM "$window"
  for _ in $(seq 100); do kill -0 "$window" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$window" 2>/dev/null; then
    fail "the window was still running 10 s after SIGTERM"
    kill -KILL "$window"
  fi
  wait "$window"
  expect_eq "exit status after SIGTERM" 0 "$?"
}

# The terminals the program holds open.
holds() {
  local fd
  for fd in /proc/"$window"/fd/*; do readlink "$fd"; done 2>/dev/null | grep -Fx "$1" >/dev/null
}

wait_holds() {  # terminal, what
  for _ in $(seq 100); do holds "$1" && { pass "$2"; return 0; }; sleep 0.1; done
  fail "$2: the program does not hold $1"
  return 1
}

settings_bytes() { od -c "$settings_dir/tbx4_dld.ini" 2>/dev/null; }

window_scenarios() {
  # First run: the user's folder does not exist yet. Whether the port
  # warning comes before the instructions depends on this machine's ttyS0;
  # SIGTERM while the first box is up ends it either way.
  start_window
  wait_box
  end_window
  expect_eq "first run: the settings in ~/.config/tbx4-download" \
    "$(printf '1,"No File Name Selected",#TRUE#\r\n' | od -c)" "$(settings_bytes)"

  # A port choice, Ctrl+F2 for Com2, kept at the end...
  local com1 com2
  start_sim 1 1.11
  com1=$terminal
  start_sim 2 2.22
  com2=$terminal
  start_window
  if wait_box && wait_holds "$com1" "Com1 is the user's ports/com1" && answer_box; then
    local main
    main=$(xdotool search --onlyvisible --name '^Quenrick TBX4 Download Utility' | head -n 1)
    press "$main" ctrl+F2
    wait_holds "$com2" "Ctrl+F2 opened the user's ports/com2"
  fi
  end_window
  expect_eq "the port choice saved" "$(printf '2,"No File Name Selected",#TRUE#\r\n' | od -c)" \
    "$(settings_bytes)"

  # ...and the next start opens it again.
  start_window
  wait_box && wait_holds "$com2" "after a restart the program opens Com2 again"
  holds "$com1" && fail "after a restart the program still holds Com1"
  end_window
  expect_eq "the port choice kept" "$(printf '2,"No File Name Selected",#TRUE#\r\n' | od -c)" \
    "$(settings_bytes)"
}

if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
  if start_display; then
    window_scenarios
  else
    fail "no free X display for Xvfb"
  fi
else
  echo "The installed window's part skipped: Xvfb or xdotool not found (Debian packages xvfb, xdotool)."
  start_sim 2 2.22
fi

# The command line finds the user's ports/ links by the same rule.
expect_eq "tbx4-download revision --port COM2 through the user's link" 2.22 \
  "$("${as_user[@]}" tbx4-download revision --port COM2 2>&1)"

# Run as root, an installed copy still writes nothing where it is installed.
expect_eq "nothing written beside the installed programs" "" \
  "$(find /usr/bin -maxdepth 1 \( -name 'tbx4_dld.ini*' -o -name ports \) 2>/dev/null)"

# --- Purged: nothing of the package is left ---
apt purge "$package" || fail "apt-get purge $package"
expect_eq "purged" "" "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep 'ok installed')"
for path in /usr/bin/TBX4_Download /usr/bin/tbx4-download /usr/bin/tbx4-sim \
  /usr/share/doc/$package /usr/share/applications/tbx4-download.desktop; do
  [ -e "$path" ] && fail "$path is still there after the purge"
done

if [ "$failures" -gt 0 ] && [ -s "$work/window.log" ]; then
  echo "The window's output:"
  tail -n 20 "$work/window.log"
fi
echo "Package install test: $failures failure(s)."
[ "$failures" -eq 0 ]
