#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each for a
# bounded time: scripts/fuzz.sh [seconds per target, default 30].
# Fails on any crash, sanitizer report, leak or timeout, leaving the input that
# caused it in build-fuzz/artifacts/. Skips (exit 0) when clang or its libFuzzer
# runtime is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
build=build-fuzz
targets=(fuzz_settings fuzz_receive fuzz_image)

if ! command -v clang >/dev/null || ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: skipped, clang is not installed"
  exit 0
fi
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
  >"$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" \
  >/dev/null 2>&1; then
  echo "fuzz.sh: skipped, clang has no libFuzzer runtime (Debian: libclang-rt-14-dev)"
  exit 0
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTBX4_FUZZ=ON -DTBX4_BACKEND=none >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

# The settings target writes tbx4_dld.ini twice per input and the image target
# writes its image once: a memory-backed directory runs them several times
# faster than a disk.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi

mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  # New inputs go to the first directory, kept between runs; the seeds are
  # only read.
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  echo "fuzz.sh: $target for ${seconds} s"
  if ! "$build/tests/fuzz/$target" "$corpus" "tests/fuzz/corpus/$name" \
    -dict="tests/fuzz/$name.dict" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
    -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 2>"$build/$target.log"; then
    tail -n 60 "$build/$target.log"
    echo "fuzz.sh: $target failed; the input is in $build/artifacts/" >&2
    exit 1
  fi
  grep -E '^#[0-9]+[[:space:]]+DONE|^stat::number_of_executed_units|^stat::average_exec_per_sec' \
    "$build/$target.log" || true
done
