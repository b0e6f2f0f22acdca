#!/usr/bin/env bash
# Builds the project in a fresh build directory and runs every test; then runs
# them all again under AddressSanitizer and UndefinedBehaviorSanitizer, and
# fuzzes the settings file reader and the receive path for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=build-test
rm -rf "$build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)"
# Tests that bound wall-clock or CPU time (label "timing") run on their own,
# after the rest, one at a time.
ctest --test-dir "$build" --output-on-failure -LE timing
ctest --test-dir "$build" --output-on-failure -L timing

# Function size and complexity (clang-tidy, when present), file size, layering.
scripts/check-code.sh "$build"

# The README's picture is the one scripts/screenshot.sh makes (skipped without
# Xvfb or ImageMagick).
scripts/check-screenshot.sh "$build"

# The Windows programs and tests, cross-built and run under Wine against the
# simulated unit (skipped without Wine or mingw-w64). Without Wine, the logic
# libraries must still build for Windows.
if command -v wine >/dev/null 2>&1; then
  scripts/test-windows.sh "$build"
else
  scripts/check-windows-build.sh
fi

# The release made and tried as its users get it: the .deb installed with
# apt-get (as root), the MSI and the Windows zip under Wine. The portable
# Windows programs are the ones test-windows.sh just built from this tree.
if [ -x build-windows/x64/TBX4_Download.exe ] && [ -x build-windows/i686/TBX4_Download.exe ]; then
  export TBX4_RELEASE_PORTABLE_WINDOWS=build-windows
fi
scripts/test-release.sh "$build"
unset TBX4_RELEASE_PORTABLE_WINDOWS

# Memory errors, leaks and undefined behaviour: any report fails the test.
asan=build-test-asan
rm -rf "$asan"
cmake -S . -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTBX4_SANITIZE=ON
cmake --build "$asan" -j "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$asan" --output-on-failure -LE timing
ctest --test-dir "$asan" --output-on-failure -L timing
unset ASAN_OPTIONS UBSAN_OPTIONS

scripts/fuzz.sh 30
