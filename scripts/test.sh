#!/usr/bin/env bash
# Builds the project in a fresh build directory and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=build-test
rm -rf "$build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)"
# One test at a time: some measure latency and CPU use.
ctest --test-dir "$build" --output-on-failure
