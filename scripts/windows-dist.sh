#!/usr/bin/env bash
# Lays out the self-contained Windows folder build/windows/dist from the cross build (run
# scripts/build-windows.sh first): the two programs, the Qt and mingw runtime DLLs, Qt's
# plugins, the sample site and the tablet's WinUSB driver package (INF); then builds the MSI from it,
# build/windows/ondrel-sign-VERSION.msi.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib/windows-qt.sh"
build=$root/build/windows
dist=$build/dist
rm -rf "$dist"
mkdir -p "$dist"
cp "$build/app/ondrel-sign.exe" "$build/tablet/ondrel-tablet-diag.exe" "$dist/"
cp "$windows_qt"/bin/Qt6{Core,Gui,Widgets}.dll "$dist/"
for dll in $(sed -n 's/^ *\(\/[^ )]*\.dll\).*/\1/p' "$toolchain"); do
    cp "$dll" "$dist/"
done
# Every Qt plugin the program can load: each one whose Qt and mingw libraries are in the folder
# (platforms, styles, image formats such as JPEG and GIF for the agreement's pictures, and
# whatever else this Qt has). A plugin that needs a Qt library the program does not ship could
# never load, and is left out.
imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'; }
for plugin in "$windows_qt"/plugins/*/*.dll; do
    loadable=yes
    for needed in $(imports "$plugin"); do
        case $needed in
            Qt6*.dll | lib*.dll) [ -f "$dist/$needed" ] || loadable=no ;;
        esac
    done
    kind=$(basename "$(dirname "$plugin")")
    if [ $loadable = yes ]; then
        mkdir -p "$dist/$kind" && cp "$plugin" "$dist/$kind/"
    else
        echo "dist: left out $kind/$(basename "$plugin") (it needs a library the program does not ship)"
    fi
done
for needed in platforms/qwindows.dll imageformats/qjpeg.dll; do
    [ -f "$dist/$needed" ] || { echo "dist: Qt's $needed is missing" >&2; exit 1; }
done
# The sample site: the agreement and the agreement image's placeholder as on Linux, the script
# templates as batch files (CRLF line ends, which cmd.exe's labels and goto rely on).
mkdir -p "$dist/site/config"
cp "$root/res/site/userAgreement.rtf" "$dist/site/"
cp "$root/res/site/config/userAgreement-placeholder.jpg" "$dist/site/config/"
for template in "$root"/res/windows/site/config/*.txt; do
    sed 's/\r*$/\r/' "$template" >"$dist/site/config/$(basename "$template")"
done
# The driver package that binds WinUSB to the tablet (see the integrator's guide).
cp "$root/res/windows/ondrel-tablet-winusb.inf" "$dist/"
version=$(sed -n 's/^project(ondrel_sign VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
"$root/scripts/make-msi.sh" "$dist" "$build/ondrel-sign-$version.msi" "$version"
echo "dist: $dist and $build/ondrel-sign-$version.msi"
