#!/usr/bin/env bash
# Makes a release of this checkout, every part built afresh in build-release/,
# and writes dist/:
#
#   TBX4_Download-<version>-windows-x64.zip   the Windows programs and a
#   TBX4_Download-<version>-windows-x86.zip   README.txt, to unzip and run
#   TBX4_Download-<version>-x64.msi           the same, as a Windows installer
#   tbx4-download_<version>-1_amd64.deb       the Linux programs for Debian 12
#   SHA256SUMS
#
# <version> is the project's (the top CMakeLists.txt). The zips hold copies
# that keep their settings beside themselves where they can write; the MSI
# and the .deb hold installed copies, which keep them in each user's folder.
# Needs what scripts/install-deps.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh
jobs=${TBX4_BUILD_JOBS:-$(nproc)}
builds=build-release
dist=dist
rm -rf "$builds" "$dist"
mkdir -p "$builds" "$dist"

if [ -n "$(git status --porcelain 2>/dev/null)" ]; then
  echo "Note: the checkout has uncommitted changes, and they are in this release."
fi
# The same commit makes the same archives: every file in them is dated by it.
#
# TBX4_RELEASE_PORTABLE_WINDOWS names a folder that scripts/build-windows.sh
# has just written from this same checkout (x64/ and i686/): the test command
# passes the one its Windows tests built, rather than build both again.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH

# --- Linux: built and hardened as Debian builds its packages ---
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  cmake -S . -B "$builds/linux" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
  -DTBX4_WITH_TESTS=OFF -DTBX4_INSTALLED_COPY=ON -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$builds/linux" -j "$jobs" --target TBX4_Download tbx4-download tbx4-sim
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$builds/linux/CMakeCache.txt")
packaging/debian/make-deb.sh "$builds/linux" "$dist" >/dev/null

# --- Windows: copies of their own for the zips, an installed copy for the MSI ---
if [ -n "${TBX4_RELEASE_PORTABLE_WINDOWS:-}" ]; then
  mkdir -p "$builds/windows"
  cp -r "$TBX4_RELEASE_PORTABLE_WINDOWS/x64" "$TBX4_RELEASE_PORTABLE_WINDOWS/i686" "$builds/windows/"
else
  scripts/build-windows.sh --out "$builds/windows"
fi
scripts/build-windows.sh --out "$builds/windows-installed" --arch x64 -DTBX4_INSTALLED_COPY=ON

# README.txt: Windows' line ends, so that Notepad on any Windows shows lines.
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' packaging/windows/README.txt.in >"$builds/README.txt"

make_zip() {  # build architecture, name in the archive's
  local stage="$builds/zip-$2"
  mkdir -p "$stage"
  cp "$builds/windows/$1/TBX4_Download.exe" "$builds/windows/$1/tbx4-download.exe" \
    "$builds/README.txt" "$stage/"
  touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*
  (cd "$stage" && TZ=UTC zip -X -q "$root/$dist/TBX4_Download-$version-windows-$2.zip" \
    TBX4_Download.exe tbx4-download.exe README.txt)
}
make_zip x64 x64
make_zip i686 x86
packaging/windows/make-msi.sh "$builds/windows-installed/x64" "$version" \
  "$dist/TBX4_Download-$version-x64.msi"

(cd "$dist" && sha256sum -- *.zip *.msi *.deb >SHA256SUMS)
echo "Release $version in $dist/, built in ${SECONDS} s:"
(cd "$dist" && stat -c '%9s bytes  %n' -- *)
