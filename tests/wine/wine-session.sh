# shellcheck shell=bash
# Functions for running the Windows programs under Wine against simulated
# units. Source it from bash; every function works on the session folder
# given to wine_session_start, and nothing outside it.
#
#   wine_session_start DIR   prefix in DIR/prefix (made once, reused after),
#                            COM1..COM4 mapped to the links DIR/ttyCOM1..4, a
#                            persistent wineserver logging to DIR/wineserver.log
#   wine_session_com_link N  prints the path COMN opens (link it to a pty)
#   wine_session_stop        ends this prefix's wineserver, and only it

WINE_SESSION_PORTS=4

# Why each setting: no Mono or Gecko installer dialogs, no menu entries
# written into the user's desktop, no HID poller busy on the CPU; no debug
# channels (they slow every call and fill the logs).
wine_session_env() {
  export WINEPREFIX="$WINE_SESSION_DIR/prefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe,winebus.sys="
}

wine_session_com_link() {
  echo "$WINE_SESSION_DIR/ttyCOM$1"
}

# The registry mapping survives a wineserver restart; a hand-made
# dosdevices/comN link does not (Wine rewrites them at every start). So each
# COM port names a fixed path once, and each test links that path to its
# terminal.
wine_session_map_ports() {
  local port
  for port in $(seq "$WINE_SESSION_PORTS"); do
    wine reg add 'HKLM\Software\Wine\Ports' /v "COM$port" /t REG_SZ \
      /d "$(wine_session_com_link "$port")" /f || return 1
  done
}

wine_session_start() {
  WINE_SESSION_DIR=$(cd "$1" && pwd)
  wine_session_env
  local log="$WINE_SESSION_DIR/wineserver.log"
  local mapped="$WINEPREFIX/.tbx4-ports"
  local want="$WINE_SESSION_DIR $WINE_SESSION_PORTS"
  if [ ! -f "$mapped" ] || [ "$(cat "$mapped")" != "$want" ]; then
    wineboot -i >>"$log" 2>&1 || return 1
    wine_session_map_ports >>"$log" 2>&1 || return 1
    wineserver -w
    echo "$want" >"$mapped"
  fi
  # Persistent, with its output in the log: a server that inherits a caller's
  # pipe keeps it open for seconds after every wine call, and each call would
  # pay for a cold start. (It refuses when this prefix's server is already
  # running, which is as good.)
  wineserver -p </dev/null >>"$log" 2>&1 || true
  wine wineboot </dev/null >>"$log" 2>&1 || return 1
}

wine_session_stop() {
  [ -n "${WINE_SESSION_DIR:-}" ] || return 0
  wine_session_env
  wineserver -k 2>/dev/null || true
}
