#!/usr/bin/env bash
# Makes the Debian package from a build configured with
# -DTBX4_INSTALLED_COPY=ON -DCMAKE_INSTALL_PREFIX=/usr whose programs are
# built (scripts/release.sh makes one), and prints the package's path.
#
#   packaging/debian/make-deb.sh BUILD_DIR OUT_DIR
#
# What goes in is what `cmake --install` installs (the three programs, the
# menu entry, the icon, the manual pages), stripped and compressed as Debian
# does it, with the copyright and changelog in /usr/share/doc/tbx4-download.
# The dependencies are what dpkg-shlibdeps finds the programs linked against.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: make-deb.sh BUILD_DIR OUT_DIR}
out=${2:?usage: make-deb.sh BUILD_DIR OUT_DIR}
package=tbx4-download
doc=usr/share/doc/$package

cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
if [ "$(cache_value CMAKE_INSTALL_PREFIX)" != /usr ] || [ "$(cache_value TBX4_INSTALLED_COPY)" != ON ]; then
  echo "make-deb.sh: $build must be configured with -DCMAKE_INSTALL_PREFIX=/usr -DTBX4_INSTALLED_COPY=ON" >&2
  exit 1
fi

# The changelog's latest entry names the package's version and who made it;
# it must be the project's version, or the package would say one thing and
# the programs another.
version=$(cache_value CMAKE_PROJECT_VERSION)-1
changelog_version=$(sed -n '1s/^[^ ]* (\([^)]*\)).*/\1/p' "$here/changelog")
if [ "$changelog_version" != "$version" ]; then
  echo "make-deb.sh: packaging/debian/changelog's latest entry is $changelog_version;" \
    "add one for $version" >&2
  exit 1
fi
maintainer=$(sed -n '0,/^ -- /s/^ -- \(.*>\)  .*/\1/p' "$here/changelog")

# The package's tree where dpkg-shlibdeps expects it, debian/<package>.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/debian/$package
umask 022

DESTDIR=$root cmake --install "$build" >/dev/null
for program in "$root"/usr/bin/*; do
  strip --remove-section=.comment --remove-section=.note --strip-unneeded "$program"
done
gzip -9n "$root"/usr/share/man/man1/*.1
install -D -m 644 "$here/copyright" "$root/$doc/copyright"
gzip -9n <"$here/changelog" >"$root/$doc/changelog.Debian.gz"

# dpkg-shlibdeps wants to be run from a source tree: a debian/control naming
# the package is all it reads there, and a DEBIAN folder marks the package's.
mkdir -p "$root/DEBIAN"
printf 'Source: %s\n\nPackage: %s\nArchitecture: amd64\n' "$package" "$package" >"$work/debian/control"
programs=()
for program in "$root"/usr/bin/*; do programs+=("-e${program#"$work"/}"); done
depends=$(cd "$work" && dpkg-shlibdeps -O "${programs[@]}" | sed -n 's/^shlibs:Depends=//p')
# The window's platform plugins (X11, Wayland) are loaded at run time, so no
# library dependency names them; Qt only recommends them.
depends="$depends, qt6-qpa-plugins"

# The same package from the same commit: every file dated by the commit.
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  find "$root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
fi

(cd "$root" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
installed_size=$(du -s -k --apparent-size --exclude=DEBIAN "$root" | cut -f1)
sed -e "s|@VERSION@|$version|" -e "s|@MAINTAINER@|$maintainer|" \
  -e "s|@INSTALLED_SIZE@|$installed_size|" -e "s|@DEPENDS@|$depends|" \
  "$here/control.in" >"$root/DEBIAN/control"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"

mkdir -p "$out"
deb="$out/${package}_${version}_amd64.deb"
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "$deb"
