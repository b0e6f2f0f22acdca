#!/usr/bin/env bash
# The real TBX4_Download.exe, end to end under Wine and a virtual X display,
# against the simulated unit on a pseudo-terminal mapped as COM1. The
# scenarios are a Linux test program (tests/wine/window_wine_test.cpp); a
# small Win32 driver program in the same Wine session plays the technician
# for them. This script only sets the stage: the display, the Wine session,
# and the test program built in the Linux build.
#
#   tests/wine/window_e2e.sh EXE DRIVER_EXE LINUX_BUILD_DIR [GTEST_ARGS...]
#
# TBX4_WINE_DIR names a Wine session folder to reuse (see wine-session.sh);
# by default the script makes one of its own. TBX4_E2E_SETTINGS runs EXE
# where it is rather than a copy per scenario, and names (as a Linux path)
# the settings file it keeps: for an installed copy, the one in the user's
# local application data. Exits 0 when every scenario passed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "$1")
driver=$(realpath "$2")
linux_build=$(realpath "$3")
shift 3

sim="$linux_build/tools/sim/tbx4-sim"
work=$(mktemp -d "${TMPDIR:-/tmp}/tbx4-window-e2e.XXXXXX")
# shellcheck disable=SC2317  # for window-session.sh
fail() { echo "FAIL: $*"; }
# shellcheck source=tests/wine/wine-session.sh
source "$here/wine-session.sh"
# shellcheck source=tests/wine/window-session.sh
source "$here/window-session.sh"

cmake --build "$linux_build" --target tbx4_wine_window_tests >/dev/null
session=${TBX4_WINE_DIR:-$work/wine}
mkdir -p "$session"
start_display || { echo "no free X display for Xvfb"; exit 1; }
wine_session_start "$session" || { echo "Wine session did not start"; exit 1; }

SECONDS=0
status=0
TBX4_WINDOW_PROGRAM=$exe TBX4_WINDOW_DRIVER=$driver \
  TBX4_COM_LINK_PREFIX=$(wine_session_com_link "") \
  "$linux_build/tests/wine/tbx4_wine_window_tests" "$@" || status=$?
echo "Window end-to-end under Wine: ${SECONDS} s."
exit "$status"
