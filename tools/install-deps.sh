#!/bin/sh
# Installs the Debian packages that building, running and testing KIVRAN need.
# Idempotent: packages already present are left as they are. Runs as root (or through sudo).
set -eu

PACKAGES="
build-essential cmake ninja-build pkg-config clang-format clang llvm
qt6-base-dev qt6-base-dev-tools libqt6svg6 libgl1-mesa-dev
libgtest-dev libgmock-dev googletest libbenchmark-dev lua5.4 liblua5.4-dev
xvfb xauth xdotool x11-utils x11-apps
fonts-noto-cjk fonts-dejavu-core
poppler-utils
desktop-file-utils appstream
"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    echo "install-deps: everything is installed"
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi

echo "install-deps: installing$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
