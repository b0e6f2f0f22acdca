#!/usr/bin/env bash
# Cross-compiles the logic libraries (tbx4_platform, tbx4_core and tbx4_cli) for 64-bit
# Windows with mingw-w64, so that code a Windows compiler would reject is caught
# here and not on the first Windows build. Any warning fails the check, a
# compiler's (already errors through -Werror) or CMake's.
set -euo pipefail
cd "$(dirname "$0")/.."

compiler=x86_64-w64-mingw32-g++-posix
if ! command -v "$compiler" >/dev/null 2>&1; then
  echo "Windows build check skipped: $compiler not found (Debian package g++-mingw-w64-x86-64-posix)."
  exit 0
fi

build=build-win
rm -rf "$build"
mkdir -p "$build"
log="$build/check-windows-build.log"

# Release: some of GCC's warnings appear only when it optimizes, and a release
# build is what gets shipped.
{
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DTBX4_BACKEND=win32 -DTBX4_WITH_TESTS=OFF -Werror=dev
  cmake --build "$build" --target tbx4_platform tbx4_services tbx4_backend_shared tbx4_core tbx4_cli -j "$(nproc)"
} 2>&1 | tee "$log"

if grep -Eq '(^|[^[:alnum:]_])warning:|CMake Warning' "$log"; then
  echo "Windows build check failed: the build printed warnings (see $log)." >&2
  exit 1
fi
echo "Windows build check passed in ${SECONDS} s."
