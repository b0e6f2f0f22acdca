#!/usr/bin/env bash
# What scripts/release.sh wrote, checked without installing anything: the
# names carry the project's version, SHA256SUMS holds, each archive holds
# what a technician needs and nothing else, the programs say their version,
# and lintian finds no error in the Debian package.
#
#   tests/release/contents.sh DIST_DIR VERSION
#
# Not -e: every check is reported, and the count decides.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dist=$(realpath "$1")
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
expect_eq() {  # what, expected, actual
  if [ "$2" == "$3" ]; then pass "$1"; else fail "$1: expected [$2], got [$3]"; fi
}

deb=tbx4-download_$version-1_amd64.deb
msi=TBX4_Download-$version-x64.msi
zips=("TBX4_Download-$version-windows-x64.zip" "TBX4_Download-$version-windows-x86.zip")

expect_eq "the release's files" \
  "$(printf '%s\n' SHA256SUMS "$deb" "$msi" "${zips[@]}" | LC_ALL=C sort)" \
  "$(find "$dist" -mindepth 1 -printf '%f\n' | LC_ALL=C sort)"
if (cd "$dist" && sha256sum --quiet -c SHA256SUMS); then
  expect_eq "SHA256SUMS covers every package" 4 "$(wc -l <"$dist/SHA256SUMS")"
else
  fail "SHA256SUMS does not match the files"
fi

# --- The zips: the two programs and README.txt, for a Windows user ---
# Each status the window can end a download with, as the window writes it.
statuses=(kDownloadComplete kCommError kNotIntelHex kDownloadFailed)
program_text() {  # from "NAME =" to the ";" that ends it, on the same line or a later one
  awk -v name="$1 =" 'index($0, name) { on = 1 } on { print } on && /;$/ { exit }' \
    "$root/src/base/ui/texts.h" | grep -o '"[^"]*"' | tr -d '"' | tr -d '\n'
}

for zip in "${zips[@]}"; do
  expect_eq "$zip holds" $'README.txt\nTBX4_Download.exe\ntbx4-download.exe' \
    "$(unzip -Z1 "$dist/$zip" | LC_ALL=C sort)"
  rm -rf "$work/unzip"
  unzip -q "$dist/$zip" -d "$work/unzip"
  readme=$work/unzip/README.txt
  lines=$(wc -l <"$readme")
  expect_eq "$zip: README.txt ends every line with CR LF" "$lines" "$(grep -c $'\r$' "$readme")"
  grep -q "^TBX4 Download Utility $version for Windows"$'\r$' "$readme" \
    || fail "$zip: README.txt does not name version $version"
  for status in "${statuses[@]}"; do
    grep -qF "\"$(program_text "$status")\"" "$readme" \
      || fail "$zip: README.txt does not explain \"$(program_text "$status")\""
  done
  # The version resource, which Explorer shows and installers compare.
  for exe in TBX4_Download.exe tbx4-download.exe; do
    strings -el "$work/unzip/$exe" | grep -A1 -x ProductVersion | grep -qx "$version" \
      || fail "$zip: $exe's version resource does not say $version"
  done
done

# --- The MSI: the installer's own record of what it is ---
if command -v msiinfo >/dev/null 2>&1; then
  property() { msiinfo export "$dist/$msi" Property | tr -d '\r' | awk -F'\t' -v p="$1" '$1 == p { print $2 }'; }
  expect_eq "MSI version" "$version" "$(property ProductVersion)"
  expect_eq "MSI publisher" Quenrick "$(property Manufacturer)"
  # Pinned: Windows replaces an installed version only by an MSI with the
  # same upgrade code, so it must never change from the first release's.
  expect_eq "MSI upgrade code" '{E079BA5B-E81E-4F6E-8CAE-CBD34EA6F1F2}' "$(property UpgradeCode)"
  expect_eq "MSI files" $'TBX4_Download.exe\ntbx4-download.exe' \
    "$(msiinfo export "$dist/$msi" File | tr -d '\r' | awk -F'\t' 'NR > 3 { print $3 }' | LC_ALL=C sort)"
else
  echo "MSI checks skipped: msiinfo not found (Debian package msitools)."
fi

# --- The Debian package ---
field() { dpkg-deb -f "$dist/$deb" "$1"; }
expect_eq "package version" "$version-1" "$(field Version)"
depends=$(field Depends)
for library in libqt6core6 libqt6widgets6 libqt6serialport6 libc6; do
  [[ "$depends" == *"$library "* ]] || fail "Depends lacks $library: $depends"
done
contents=$(dpkg-deb -c "$dist/$deb" | awk '{ print $6 }')
for path in usr/bin/TBX4_Download usr/bin/tbx4-download usr/bin/tbx4-sim \
  usr/share/applications/tbx4-download.desktop usr/share/icons/hicolor/scalable/apps/tbx4-download.svg \
  usr/share/man/man1/TBX4_Download.1.gz usr/share/man/man1/tbx4-download.1.gz \
  usr/share/man/man1/tbx4-sim.1.gz usr/share/doc/tbx4-download/copyright \
  usr/share/doc/tbx4-download/changelog.Debian.gz; do
  grep -qx "\./$path" <<<"$contents" || fail "the package lacks /$path"
done
dpkg-deb -x "$dist/$deb" "$work/deb"
grep -qx 'Exec="/usr/bin/TBX4_Download"' "$work/deb/usr/share/applications/tbx4-download.desktop" \
  || fail "the menu entry does not start /usr/bin/TBX4_Download"
for page in TBX4_Download tbx4-download tbx4-sim; do
  man_text=$(MANWIDTH=80 man -l "$work/deb/usr/share/man/man1/$page.1.gz" 2>&1)
  for section in SYNOPSIS OPTIONS "EXIT STATUS" FILES EXAMPLES; do
    grep -qx "$section" <<<"$man_text" || fail "man $page has no $section"
  done
  grep -q "$page $version" <<<"$man_text" || fail "man $page does not name version $version"
done
# Every exit status the command line documents in its --help has its entry
# in the manual page.
help_statuses=$(sed -n '/^Exit status:/,/^With several/p' "$root/src/cli/cli_texts.h" \
  | grep -oE '^  [0-9]+' | tr -d ' ')
page_statuses=$(zcat "$work/deb/usr/share/man/man1/tbx4-download.1.gz" \
  | sed -n '/^\.SH EXIT STATUS/,/^\.SH FILES/p' | grep -A1 '^\.TP' | grep -oE '^\.B [0-9]+' | cut -c4-)
expect_eq "the manual page's exit statuses are --help's" "$help_statuses" "$page_statuses"

if command -v lintian >/dev/null 2>&1; then
  # Root gets a warning of lintian's own about running as root; the checks
  # are the same.
  lintian --fail-on error --tag-display-limit 0 "$dist/$deb" >"$work/lintian" 2>&1
  status=$?
  echo "lintian $(lintian --version | awk '{ print $2 }') on $deb:"
  grep -v '^running with root privileges' "$work/lintian" | sed 's/^/  /'
  expect_eq "lintian finds no error" 0 "$status"
else
  echo "lintian skipped: not found (Debian package lintian)."
fi

echo "Release contents: $failures failure(s)."
[ "$failures" -eq 0 ]
