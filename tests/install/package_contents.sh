#!/bin/sh
# The Debian package's files and dependencies: the program, every shipped symbol file and help page, the
# desktop entry, the icons, the metainfo and the man page, and the Qt libraries it needs as dependencies.
# Skipped (77) when no package was built, unless --require is given (.ci/run does after "make package").
# Usage: package_contents.sh BUILD_DIR SOURCE_DIR [--require]
set -eu
build=$1
source=$2
require=${3:-}
deb=$(ls "$build"/kivran_*.deb 2>/dev/null | head -n 1 || true)
if [ -z "$deb" ]; then
    if [ "$require" = "--require" ]; then
        echo "FAIL: no kivran_*.deb in $build"
        exit 1
    fi
    echo "SKIP: no package built (make package)"
    exit 77
fi
tmp=$(mktemp -d /tmp/kivran-package-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$tmp/files"
failed=0
expect() {
    grep -qx "$1" "$tmp/files" || { echo "FAIL: $1 is not in $deb"; failed=1; }
}
expect /usr/bin/kivran
for f in "$source"/share/symbols/* "$source"/share/help/*; do
    expect "/usr/share/kivran/$(basename "$f")"
done
expect /usr/share/applications/kivran.desktop
expect /usr/share/metainfo/org.kivran.KIVRAN.metainfo.xml
expect /usr/share/icons/hicolor/scalable/apps/kivran.svg
for size in 16 32 48 64 128 256; do
    expect "/usr/share/icons/hicolor/${size}x${size}/apps/kivran.png"
done
expect /usr/share/man/man1/kivran.1
# Every library the packaged program loads comes from a package it depends on.
depends=$(dpkg-deb -f "$deb" Depends)
dpkg-deb -x "$deb" "$tmp/root"
packages="libqt6widgets6 libqt6printsupport6"
arch=$(dpkg --print-architecture)
for lib in $(readelf -d "$tmp/root/usr/bin/kivran" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
    owner=$(dpkg -S "*/$lib" 2>/dev/null | grep ":$arch: " | grep -v -e '-dev:' -e '-dbg:' | head -n 1 |
        cut -d: -f1 || true)
    [ -n "$owner" ] || { echo "FAIL: no package holds $lib"; failed=1; continue; }
    packages="$packages $owner"
done
for package in $packages; do
    echo "$depends" | grep -q "\(^\|, \)$package\( \|,\|$\)" ||
        { echo "FAIL: $package missing from Depends: $depends"; failed=1; }
done
[ "$(dpkg-deb -f "$deb" Package)" = kivran ] || { echo "FAIL: package name"; failed=1; }
[ $failed -eq 0 ] && echo "package $deb holds what it must"
exit $failed
