#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when any
# is missing. Uses sudo when not run as root.
set -euo pipefail

# clang and its runtime (libFuzzer, sanitizers) are for scripts/fuzz.sh;
# g++-mingw-w64-x86-64-posix for scripts/check-windows-build.sh.
# clang-tidy for scripts/check-code.sh. The mingw-w64 compilers, googletest's
# sources, wine and Xvfb build the Windows program and run its tests under Wine;
# xdotool drives windows under Xvfb, imagemagick takes scripts/screenshot.sh's picture.
# scripts/release.sh packs with dpkg-dev, msitools (wixl) and zip; its tests
# check with lintian and unzip. python3 reads the flash record back in the
# tests with a CSV reader not ours.
packages=(cmake g++ make qt6-base-dev qt6-serialport-dev qt6-qpa-plugins libgtest-dev googletest
          fonts-dejavu-core clang clang-tidy libclang-rt-14-dev
          g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64 xvfb xauth xdotool
          imagemagick dpkg-dev msitools zip unzip lintian python3)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
