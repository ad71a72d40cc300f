# Sourced by the Windows scripts, with $root set to the repository: finds the Qt for Windows this
# repository builds (scripts/build-qt-windows.sh), building it first when it is not in the cache,
# and sets $toolchain (the project's toolchain file) and $windows_qt (Qt's prefix), exporting
# ONDREL_WINDOWS_QT, from which the toolchain file takes it.
#
# The cache is outside the clone, $ONDREL_CACHE_DIR or ~/.cache/ondrel-sign, one folder per Qt
# version and recipe: qt-windows-<Qt version>-<hash of the recipe and of Debian's exact version>.
# A changed recipe builds anew beside the old one; a second run finds it and costs nothing.
# ONDREL_WINDOWS_QT set beforehand names a Qt for Windows built elsewhere the same way instead.
toolchain=$root/cmake/mingw-w64-x86_64.cmake
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || ! command -v dpkg-source >/dev/null ||
    ! dpkg-query -W -f='${Status}' qt6-base-dev-tools 2>/dev/null | grep -q "ok installed"; then
    "$root/scripts/install-deps.sh" windows
fi
if [ -n "${ONDREL_WINDOWS_QT:-}" ]; then
    windows_qt=$ONDREL_WINDOWS_QT
    [ -d "$windows_qt/lib/cmake/Qt6" ] || { echo "ONDREL_WINDOWS_QT: no Qt 6 in $windows_qt" >&2; exit 1; }
else
    # The cross Qt is built from the source of the very version whose host tools (moc, rcc,
    # uic) the builds use: Debian's qt6-base-dev.
    windows_qt_debian_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
    windows_qt_version=${windows_qt_debian_version%%+*}
    windows_qt_version=${windows_qt_version%%-*}
    windows_qt_recipe=$({ cat "$root/scripts/build-qt-windows.sh" "$toolchain"
                          echo "$windows_qt_debian_version"; } | sha256sum | cut -c1-12)
    windows_qt_cache=${ONDREL_CACHE_DIR:-${XDG_CACHE_HOME:-${HOME:-$root/build}/.cache}/ondrel-sign}
    windows_qt=$windows_qt_cache/qt-windows-$windows_qt_version-$windows_qt_recipe
    if [ ! -f "$windows_qt/.complete" ]; then
        "$root/scripts/build-qt-windows.sh" --into "$windows_qt" "$windows_qt_debian_version" >&2
    fi
fi
export ONDREL_WINDOWS_QT=$windows_qt

# windows_build_dir DIR: a build folder configured against another Qt (or another toolchain
# file) is configured afresh; its objects stay, and ccache keeps what did not change.
windows_build_dir() {
    local cache=$1/CMakeCache.txt
    if [ -f "$cache" ] && ! grep -qxF "ONDREL_WINDOWS_QT:PATH=$windows_qt" "$cache"; then
        rm -rf "$cache" "$1/CMakeFiles"
    fi
}

