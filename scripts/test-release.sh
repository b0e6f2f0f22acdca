#!/usr/bin/env bash
# Makes a release with scripts/release.sh and tests it as its users get it:
# what each package holds (tests/release/contents.sh, lintian included), the
# Debian package installed with apt-get (deb_install.sh; root only), the MSI
# and the x64 zip under Wine (msi_wine.sh, zip_wine.sh). Prints the time of
# each part; every part runs, and any failure fails the whole.
#
#   scripts/test-release.sh [LINUX_BUILD_DIR]
#
# LINUX_BUILD_DIR (default build) provides tbx4-sim and tbx4-download for the
# window's end-to-end runs under Wine, and build-wine the driver that plays
# the technician there; both are built when they lack them.
set -euo pipefail
cd "$(dirname "$0")/.."
linux_build=${1:-build}
wine_build=build-wine

started=$SECONDS
scripts/release.sh
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-release/linux/CMakeCache.txt)
echo "release.sh: $((SECONDS - started)) s."

if [ ! -f "$linux_build/CMakeCache.txt" ]; then
  cmake -S . -B "$linux_build" >/dev/null
fi
cmake --build "$linux_build" -j "$(nproc)" --target tbx4-sim tbx4-download >/dev/null
driver=""
if command -v wine >/dev/null 2>&1; then
  if [ ! -f "$wine_build/CMakeCache.txt" ]; then
    cmake -S . -B "$wine_build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=Release -DTBX4_BACKEND=win32 >/dev/null
  fi
  cmake --build "$wine_build" -j "$(nproc)" --target tbx4_window_driver >/dev/null
  driver=$wine_build/tests/wine/tbx4_window_driver.exe
fi

failed=()
part() {  # name, command...
  local name=$1 start=$SECONDS
  shift
  echo "--- $name ---"
  if ! "$@"; then
    failed+=("$name")
  fi
  echo "$name: $((SECONDS - start)) s."
}

dist=dist
part "release contents" tests/release/contents.sh "$dist" "$version"
part "Debian package installed" tests/release/deb_install.sh "$dist/tbx4-download_${version}-1_amd64.deb" "$version"
if [ -n "$driver" ]; then
  part "MSI under Wine" tests/release/msi_wine.sh "$dist/TBX4_Download-$version-x64.msi" "$version" \
    "$driver" "$linux_build"
  part "Windows zip under Wine" tests/release/zip_wine.sh "$dist/TBX4_Download-$version-windows-x64.zip" \
    "$version" "$driver" "$linux_build"
else
  echo "The MSI and zip tests skipped: wine not found (Debian packages wine, wine64)."
fi

echo "Release tests: ${#failed[@]} part(s) failed${failed[*]:+: ${failed[*]}}; ${SECONDS} s in all."
[ ${#failed[@]} -eq 0 ]
