#!/usr/bin/env bash
# The MSI under Wine, in a fresh prefix of the test's own, as a Windows site
# deploys it: a quiet install puts both programs in Program Files, a
# Start-menu shortcut and an entry in "Apps & features"; the installed window
# runs end to end from there, keeping its settings in the user's local
# application data; a newer version replaces it, an older one is refused; an
# uninstall leaves nothing but the user's settings.
#
#   tests/release/msi_wine.sh MSI VERSION DRIVER_EXE LINUX_BUILD_DIR
#
# DRIVER_EXE and LINUX_BUILD_DIR are tests/wine/window_e2e.sh's. Skipped
# without Wine, Xvfb or wixl. Not -e: every check is reported, and the count
# decides.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
msi=$(realpath "$1")
version=$2
driver=$(realpath "$3")
linux_build=$(realpath "$4")

for tool in wine wineserver Xvfb wixl; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "MSI test skipped: $tool not found (Debian packages wine, xvfb, msitools)."
    exit 0
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tbx4-msi.XXXXXX")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
expect_eq() {  # what, expected, actual
  if [ "$2" == "$3" ]; then pass "$1"; else fail "$1: expected [$2], got [$3]"; fi
}

# shellcheck source=tests/wine/wine-session.sh
source "$root/tests/wine/wine-session.sh"
cleanup() {
  wine_session_stop
  rm -rf "$work"
}
trap cleanup EXIT

session=$work/wine
mkdir -p "$session"
wine_session_start "$session" || { echo "FAIL: the Wine session did not start"; exit 1; }

unix_path() { winepath -u "$1" 2>/dev/null; }
install_dir=$(unix_path 'C:\Program Files\TBX4 Download Utility')
settings=$(unix_path "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")/TBX4_Download/tbx4_dld.ini
target='C:\Program Files\TBX4 Download Utility\TBX4_Download.exe'

msiexec() { wine msiexec "$@" /qn >>"$work/msiexec.log" 2>&1; }

# "version|publisher" of every uninstall entry of the product.
uninstall_entries() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null \
    | tr -d '\r' | awk -F '    ' '
      /^HKEY_/ { key = $0; keys[key] = 1; next }
      NF >= 4 { value[key, $2] = $4 }
      END {
        for (k in keys)
          if (value[k, "DisplayName"] == "TBX4 Download Utility")
            print value[k, "DisplayVersion"] "|" value[k, "Publisher"]
      }'
}

# The shortcut, in the Start menu of all users or of this one (Wine puts a
# per-machine one in the user's).
shortcuts() {
  find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/*' -name 'TBX4 Download Utility.lnk'
}

# --- Installed ---
msiexec /i "$msi"
expect_eq "msiexec /i: exit status" 0 "$?"
for exe in TBX4_Download.exe tbx4-download.exe; do
  [ -f "$install_dir/$exe" ] || fail "$exe is not in Program Files\\TBX4 Download Utility"
done
expect_eq "the installed tbx4-download.exe --version" "tbx4-download $version" \
  "$(wine "$install_dir/tbx4-download.exe" --version 2>/dev/null | tr -d '\r')"
expect_eq "one Start-menu shortcut" 1 "$(shortcuts | wc -l)"
shortcut=$(shortcuts | head -n 1)
if [ -n "$shortcut" ]; then
  strings -a "$shortcut" | grep -qxF "$target" || fail "the shortcut does not start $target"
fi
expect_eq "the entry in Apps & features" "$version|Quenrick" "$(uninstall_entries)"

# --- The installed window end to end, run where it was installed ---
# The window's session starts afresh with its display: a session still
# running from msiexec, started with none, hides every window from the driver.
wine_session_stop
TBX4_WINE_DIR=$session TBX4_E2E_SETTINGS=$settings \
  "$root/tests/wine/window_e2e.sh" "$install_dir/TBX4_Download.exe" "$driver" "$linux_build" \
  || fail "the installed window end to end"
wine_session_start "$session" || fail "the Wine session did not start again"
expect_eq "no settings file in Program Files" "" "$(find "$install_dir" -iname 'tbx4_dld*')"
[ -f "$settings" ] || fail "no settings in the user's local application data"

# --- A newer version replaces it; an older one does not go over it ---
IFS=. read -r major minor patch <<<"$version"
newer="$major.$minor.$((patch + 1))"
"$root/packaging/windows/make-msi.sh" "$install_dir" "$newer" "$work/newer.msi" \
  || fail "make-msi.sh for $newer"
msiexec /i "$work/newer.msi"
expect_eq "msiexec /i of version $newer: exit status" 0 "$?"
expect_eq "after the upgrade, one entry, the newer" "$newer|Quenrick" "$(uninstall_entries)"
[ -f "$install_dir/TBX4_Download.exe" ] || fail "after the upgrade TBX4_Download.exe is missing"
expect_eq "after the upgrade, one shortcut" 1 "$(shortcuts | wc -l)"
msiexec /i "$msi" && fail "version $version installed over $newer"
expect_eq "after the refused downgrade, still $newer" "$newer|Quenrick" "$(uninstall_entries)"

# --- Uninstalled: only the user's settings stay ---
msiexec /x "$work/newer.msi"
expect_eq "msiexec /x: exit status" 0 "$?"
[ -e "$install_dir" ] && fail "Program Files\\TBX4 Download Utility is still there: $(ls -A "$install_dir")"
expect_eq "no shortcut after the uninstall" "" "$(shortcuts)"
expect_eq "no entry in Apps & features after the uninstall" "" "$(uninstall_entries)"
[ -f "$settings" ] || fail "the uninstall took the user's settings"

echo "MSI test under Wine: $failures failure(s), ${SECONDS} s."
[ "$failures" -eq 0 ]
