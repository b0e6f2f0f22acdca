#!/usr/bin/env bash
# Makes the Windows installer with wixl (Debian's msitools) from a folder
# holding TBX4_Download.exe and tbx4-download.exe built as an installed copy
# (-DTBX4_INSTALLED_COPY=ON: it keeps its settings per user, never in
# Program Files).
#
#   packaging/windows/make-msi.sh PROGRAMS_DIR VERSION OUT.msi
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
programs=${1:?usage: make-msi.sh PROGRAMS_DIR VERSION OUT.msi}
version=${2:?usage: make-msi.sh PROGRAMS_DIR VERSION OUT.msi}
msi=${3:?usage: make-msi.sh PROGRAMS_DIR VERSION OUT.msi}

msi=$(realpath -m "$msi")

# wixl finds the files it packs only by paths relative to where it runs, so
# it runs in a folder that holds them.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$programs/TBX4_Download.exe" "$programs/tbx4-download.exe" "$here/tbx4-download.ico" "$stage/"
(cd "$stage" && wixl --arch x64 -D "Version=$version" -D ProgramsDir=. -D IconFile=tbx4-download.ico \
  -o "$msi" "$here/tbx4-download.wxs")
