#!/bin/sh
# The installed desktop entry and AppStream file, checked by desktop-file-validate and appstreamcli when
# they are present (Debian packages desktop-file-utils and appstream); skipped (77) when neither is.
# Usage: install_validate.sh BUILD_DIR
set -eu
build=$1
tmp=$(mktemp -d /tmp/kivran-validate-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
have_desktop=$(command -v desktop-file-validate || true)
have_appstream=$(command -v appstreamcli || true)
if [ -z "$have_desktop" ] && [ -z "$have_appstream" ]; then
    echo "SKIP: neither desktop-file-validate nor appstreamcli is installed"
    exit 77
fi
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
share=$tmp/prefix/share
desktop=$share/applications/kivran.desktop
metainfo=$share/metainfo/org.kivran.KIVRAN.metainfo.xml
[ -f "$desktop" ] && [ -f "$metainfo" ] || { echo "FAIL: desktop entry or metainfo not installed"; exit 1; }
grep -qx 'Exec=kivran %F' "$desktop" || { echo "FAIL: Exec line"; exit 1; }
grep -q '^MimeType=.*application/octet-stream;' "$desktop" || { echo "FAIL: MimeType"; exit 1; }
grep -qx 'Categories=Development;' "$desktop" || { echo "FAIL: Categories"; exit 1; }
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || { echo "FAIL: no scalable icon $icon"; exit 1; }
[ -f "$share/icons/hicolor/48x48/apps/$icon.png" ] || { echo "FAIL: no 48x48 icon $icon"; exit 1; }
if [ -n "$have_desktop" ]; then
    out=$(desktop-file-validate "$desktop" 2>&1) || { echo "FAIL: $out"; exit 1; }
    [ -z "$out" ] || { echo "FAIL: desktop-file-validate: $out"; exit 1; }
else
    echo "desktop-file-validate is not installed: desktop entry not validated"
fi
if [ -n "$have_appstream" ]; then
    appstreamcli validate --no-net "$metainfo" || { echo "FAIL: appstreamcli validate"; exit 1; }
else
    echo "appstreamcli is not installed: metainfo not validated"
fi
echo "desktop entry and metainfo valid"
