#!/usr/bin/env bash
# Builds the Qt 6 the Windows program is built against, for x86_64-w64-mingw32, from Debian's own
# qt6-base source (fetched through a private deb-src list; the machine's apt configuration is left
# alone), with Debian's mingw-w64 (POSIX threads) and the host tools of Debian's qt6-base-dev.
# Shared libraries, release, stripped: Core, Gui, Widgets and Test; the windows, offscreen and
# minimal platform plugins; the Windows styles; the gif, ico and jpeg image formats. ICU, tablet
# events, network, SQL, D-Bus, OpenGL, concurrent, XML and print support are off.
#
# Without arguments: finds this Qt in the cache or builds it there (scripts/lib/windows-qt.sh says
# where) and prints its prefix. About 35 minutes on 2 cores the first time; then nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" != --into ]; then
    . "$root/scripts/lib/windows-qt.sh"
    echo "$windows_qt"
    exit 0
fi
prefix=$2 debian_version=$3
. "$root/scripts/lib/debian-source.sh"

mkdir -p "$(dirname "$prefix")"
# One build at a time per cache; a second caller waits and then finds it built.
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.complete" ] && exit 0

start=$(date +%s)
work=$prefix.build
src=$work/qtbase
echo "Qt for Windows: building Qt $debian_version into $prefix (about 35 minutes on 2 cores)"
if [ ! -f "$src/debian/control" ]; then
    debian_source "qt6-base=$debian_version" "$src" "$work/apt"
    # With OpenGL off, the Windows platform plugin's dynamic-GL branches name OpenGL classes.
    window=$src/src/plugins/platforms/windows/qwindowswindow.cpp
    [ "$(grep -c '^#if QT_CONFIG(dynamicgl)$' "$window")" -eq 2 ] ||
        { echo "qwindowswindow.cpp: the dynamic-GL lines are not as expected" >&2; exit 1; }
    sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' "$window"
fi

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    # Lets ccache reuse results across precompiled headers and a moved build folder.
    export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
    export CCACHE_BASEDIR=$work CCACHE_NOHASHDIR=true
fi
rm -rf "$prefix"
cmake -G Ninja -S "$src" -B "$work/build" "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_icu=OFF -DFEATURE_tabletevent=OFF -DFEATURE_network=OFF -DFEATURE_sql=OFF \
    -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_printsupport=OFF >"$work/configure.log"
cmake --build "$work/build" -j "$(nproc)"
cmake --install "$work/build" --strip >"$work/install.log"
cp -r "$src/LICENSES" "$prefix/" 2>/dev/null || true
touch "$prefix/.complete"
rm -rf "$work"
echo "Qt for Windows: built in $(( ($(date +%s) - start) / 60 )) min $(( ($(date +%s) - start) % 60 )) s: $prefix"
