#!/usr/bin/env bash
# Installs the Debian packages the project needs that are not installed yet.
# Usage: scripts/install-deps.sh [run|test|windows]   (test adds what the test suite needs;
# windows adds the mingw-w64 cross compiler, Qt's host tools, GoogleTest's sources, Wine and wixl)
set -euo pipefail

# xvfb and xauth let the program run on a virtual display where there is no real one.
# Fonts: wqy-microhei for Chinese; hanazono for the rarer characters of CJK Extension B
# (U+20000-U+2A6DF, names such as 𠮷 and 𩸽); symbola for emoji. Qt's font fallback finds them.
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libusb-1.0-0-dev libgl-dev
          libxcb1-dev fonts-wqy-microhei fonts-hanazono fonts-symbola xvfb xauth)
if [ "${1:-run}" = test ]; then
    packages+=(libgtest-dev libbenchmark-dev imagemagick clang clang-format libclang-rt-14-dev
              locales xdotool dpkg-dev lintian)
fi
if [ "${1:-run}" = windows ]; then
    # The cross compiler, Qt's host tools, GoogleTest's sources, Wine, wixl for the installer and
    # icoutils to read the executable's resources; dpkg-dev unpacks the Debian sources the Qt for
    # Windows is built from; xdotool waits for the native-window tests' display; zip and msitools
    # make and read the release files.
    packages+=(g++-mingw-w64-x86-64-posix wine64 wixl qt6-base-dev-tools googletest icoutils
               dpkg-dev xdotool zip msitools)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
# Another install running at the same time (a second script, the desktop's updater) holds the
# package manager's lock: wait for it rather than fail.
lock=(-o DPkg::Lock::Timeout=600)
"${sudo[@]}" apt-get "${lock[@]}" update -qq
"${sudo[@]}" apt-get "${lock[@]}" install -y -qq --no-install-recommends "${missing[@]}"
