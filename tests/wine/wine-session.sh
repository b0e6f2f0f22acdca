# shellcheck shell=bash
# Functions for running the Windows programs under Wine against the simulated
# unit. Source it from bash; every function works on the session folder given
# to wine_session_start, and nothing outside it.
#
#   wine_session_start DIR   prefix in DIR/prefix (made once, reused after),
#                            COM1 mapped to the link DIR/ttyCOM1, a persistent
#                            wineserver logging to DIR/wineserver.log
#   wine_session_com1_link   prints the path COM1 opens (link it to a pty)
#   wine_session_stop        ends this prefix's wineserver, and only it

# Why each setting: no Mono or Gecko installer dialogs, no menu entries
# written into the user's desktop, no HID poller busy on the CPU; no debug
# channels (they slow every call and fill the logs).
wine_session_env() {
  export WINEPREFIX="$WINE_SESSION_DIR/prefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe,winebus.sys="
}

wine_session_com1_link() {
  echo "$WINE_SESSION_DIR/ttyCOM1"
}

wine_session_start() {
  WINE_SESSION_DIR=$(cd "$1" && pwd)
  wine_session_env
  local log="$WINE_SESSION_DIR/wineserver.log"
  local link
  link=$(wine_session_com1_link)
  # The registry mapping survives a wineserver restart; a hand-made
  # dosdevices/com1 link does not (Wine rewrites it at every start). So COM1
  # names a fixed path once, and each test links that path to its terminal.
  if [ ! -f "$WINEPREFIX/.tbx4-com1" ] || [ "$(cat "$WINEPREFIX/.tbx4-com1")" != "$link" ]; then
    wineboot -i >>"$log" 2>&1 || return 1
    wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$link" /f >>"$log" 2>&1 ||
      return 1
    wineserver -w
    echo "$link" >"$WINEPREFIX/.tbx4-com1"
  fi
  # Persistent, with its output in the log: a server that inherits a caller's
  # pipe keeps it open for seconds after every wine call, and each call would
  # pay for a cold start.
  # (It refuses when this prefix's server is already running, which is as good.)
  wineserver -p </dev/null >>"$log" 2>&1 || true
  wine wineboot </dev/null >>"$log" 2>&1 || return 1
}

wine_session_stop() {
  [ -n "${WINE_SESSION_DIR:-}" ] || return 0
  wine_session_env
  wineserver -k 2>/dev/null || true
}
