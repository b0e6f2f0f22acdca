#!/usr/bin/env bash
# Builds the Windows programs on Linux with mingw-w64, for 64-bit and 32-bit
# Windows: release, stripped, fully static. Writes
#   build-windows/x64/TBX4_Download.exe   (and tbx4-download.exe, the console program)
#   build-windows/i686/TBX4_Download.exe  (and tbx4-download.exe)
# prints their sizes, and fails when one of them imports a DLL that is not
# part of Windows itself: they must run from a plain folder with nothing
# beside them. Needs Debian's g++-mingw-w64-x86-64-posix,
# g++-mingw-w64-i686-posix and cmake (scripts/install-deps.sh).
#
#   scripts/build-windows.sh [--out DIR] [--arch x64|i686]... [-DOPTION=VALUE]...
#
# --out writes DIR/x64 and DIR/i686 instead (the release builds its own);
# --arch builds only the ones named; -D options go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."

out=build-windows
jobs=${TBX4_BUILD_JOBS:-$(nproc)}
programs=(TBX4_Download tbx4-download)
archs=()
cmake_options=()
while [ $# -gt 0 ]; do
  case "$1" in
    --out) out=${2:?--out needs a folder}; shift 2 ;;
    --arch) archs+=("${2:?--arch needs x64 or i686}"); shift 2 ;;
    -D*) cmake_options+=("$1"); shift ;;
    *) echo "usage: $0 [--out DIR] [--arch x64|i686]... [-DOPTION=VALUE]..." >&2; exit 2 ;;
  esac
done
[ ${#archs[@]} -gt 0 ] || archs=(x64 i686)

# Windows' own DLLs, compared without regard to case. msvcrt is the C runtime
# every Windows since XP carries; api-ms-win-crt-* are the universal C
# runtime's forwarders, part of Windows 10 and later; setupapi lists the
# serial ports as Device Manager names them.
allowed_dll() {
  local name=${1,,}
  case "$name" in
    kernel32.dll | user32.dll | gdi32.dll | comctl32.dll | comdlg32.dll | shell32.dll | \
      advapi32.dll | bcrypt.dll | setupapi.dll | msvcrt.dll | ole32.dll | uxtheme.dll | api-ms-win-crt-*.dll)
      return 0
      ;;
  esac
  return 1
}

check_imports() {
  local objdump=$1 exe=$2 dll bad=0
  while read -r dll; do
    if ! allowed_dll "$dll"; then
      echo "$exe imports $dll, which is not a Windows system DLL" >&2
      bad=1
    fi
  done < <("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
  return "$bad"
}

# Small rather than fast (-Os), and without the functions nothing calls: most
# of each program is the statically linked C++ library.
build_one() {
  local arch=$1 triplet=$2 toolchain=$3
  local tree=$out/tree-$arch dest=$out/$arch
  cmake --no-warn-unused-cli -S . -B "$tree" -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DTBX4_BACKEND=win32 -DTBX4_WITH_TESTS=OFF \
    "-DCMAKE_CXX_FLAGS_RELEASE=-Os -DNDEBUG" "-DCMAKE_CXX_FLAGS=-ffunction-sections -fdata-sections" \
    "-DCMAKE_EXE_LINKER_FLAGS=-s -Wl,--gc-sections" "${cmake_options[@]}" >/dev/null
  local targets=("${programs[@]}")
  cmake --build "$tree" -j "$jobs" --target "${targets[@]}"
  mkdir -p "$dest"
  for program in "${targets[@]}"; do
    cp "$tree/$program.exe" "$dest/$program.exe"
    check_imports "$triplet-objdump" "$dest/$program.exe"
    printf '%-40s %9d bytes\n' "$dest/$program.exe" "$(stat -c %s "$dest/$program.exe")"
  done
}

for compiler in x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix; do
  if ! command -v "$compiler" >/dev/null 2>&1; then
    echo "$compiler not found: install g++-mingw-w64-x86-64-posix and g++-mingw-w64-i686-posix" >&2
    exit 1
  fi
done

for arch in "${archs[@]}"; do
  case "$arch" in
    x64) build_one x64 x86_64-w64-mingw32 mingw-w64-x86_64.cmake ;;
    i686) build_one i686 i686-w64-mingw32 mingw-w64-i686.cmake ;;
    *) echo "no such Windows architecture: $arch (x64 or i686)" >&2; exit 2 ;;
  esac
done
echo "Windows programs built in ${SECONDS} s; every import is a Windows system DLL."
