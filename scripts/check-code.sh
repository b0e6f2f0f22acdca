#!/usr/bin/env bash
# The limits the code keeps, checked: clang-tidy with the committed
# .clang-tidy (function size and complexity, bug-prone and thread-unsafe
# constructs, needless copies, the static analyzer) over src/ and tools/, no
# source file in src/ over 350 lines, and the layering the include directories
# enforce, spelled out: the neutral layers include nothing of the program.
#
#   scripts/check-code.sh BUILD_DIR    (a configured build: compile_commands.json)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/check-code.sh BUILD_DIR}
status=0

too_long=$(find src -name '*.cpp' -o -name '*.h' | xargs wc -l | awk '$2 != "total" && $1 > 350')
if [ -n "$too_long" ]; then
  echo "Files over 350 lines:"; echo "$too_long"; status=1
fi

# base/ui and base/hex stand below everything; base/platform below the logic.
check_includes() {  # folder, pattern of includes it must not have
  local hits
  hits=$(grep -rnE "#include \"($2)" "$1" || true)
  if [ -n "$hits" ]; then
    echo "$1 includes what stands above it:"; echo "$hits"; status=1
  fi
}
check_includes src/base/ui 'platform|hex|app|state|link|firmware|programs|cli'
check_includes src/base/hex 'platform|ui|app|state|link|firmware|programs|cli'
check_includes src/base/platform 'app|state|link|firmware|programs|cli'
# The interfaces stand below the services and what the backends share, and the
# services below what the backends share.
interfaces=$(find src/base/platform -maxdepth 1 -name '*.h' -o -maxdepth 1 -name '*.cpp')
hits=$(grep -nE '#include "platform/(shared|services|qt|win32)/' $interfaces || true)
[ -z "$hits" ] || { echo "the interfaces include what stands above them:"; echo "$hits"; status=1; }
check_includes src/base/platform/services 'platform/(shared|qt|win32)/'
check_includes src/base/platform/shared 'platform/(qt|win32)/'
for core in app state link firmware; do
  check_includes "src/$core" 'programs|cli|platform/(qt|win32|shared)/'
  if grep -rnE '#include <Q' "src/$core"; then
    echo "src/$core includes Qt"; status=1
  fi
done

if command -v clang-tidy >/dev/null 2>&1; then
  # Only what this build compiles for this platform (the Windows backend is
  # checked by its own build).
  files=$(find src tools -name '*.cpp' -not -path '*/win32/*' -not -name 'win32_*' -not -name '*_win32.cpp')
  findings=$(echo "$files" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null \
    | grep -E "(warning|error): " || true)
  if [ -n "$findings" ]; then
    echo "$findings"; status=1
  else
    echo "clang-tidy: nothing to report in src/ and tools/."
  fi
else
  echo "clang-tidy not found: size, complexity and fault checks not run."
fi
exit $status
