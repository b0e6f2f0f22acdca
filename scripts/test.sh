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
# One test at a time: some measure latency and CPU use.
ctest --test-dir "$build" --output-on-failure

# The logic libraries must keep building for Windows (skipped without mingw-w64).
scripts/check-windows-build.sh

# Memory errors, leaks and undefined behaviour: any report fails the test.
asan=build-test-asan
rm -rf "$asan"
cmake -S . -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTBX4_SANITIZE=ON
cmake --build "$asan" -j "$(nproc)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$asan" --output-on-failure

scripts/fuzz.sh 30
