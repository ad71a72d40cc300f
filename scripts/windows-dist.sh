#!/usr/bin/env bash
# Lays out the self-contained Windows folder build/windows/dist from the cross build (run
# scripts/build-windows.sh first): the two programs, the Qt and mingw runtime DLLs, the platform
# and style plugins, the sample site and the tablet's WinUSB driver package (INF); then builds the MSI from it,
# build/windows/ondrel-sign-VERSION.msi.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib/windows-qt.sh"
build=$root/build/windows
dist=$build/dist
rm -rf "$dist"
mkdir -p "$dist/platforms" "$dist/styles"
cp "$build/app/ondrel-sign.exe" "$build/tablet/ondrel-tablet-diag.exe" "$dist/"
cp "$windows_qt"/bin/Qt6{Core,Gui,Widgets}.dll "$dist/"
for dll in $(sed -n 's/^ *\(\/[^ )]*\.dll\).*/\1/p' "$toolchain"); do
    cp "$dll" "$dist/"
done
cp "$windows_qt"/plugins/platforms/{qwindows,qoffscreen}.dll "$dist/platforms/"
cp "$windows_qt"/plugins/styles/*.dll "$dist/styles/"
# The sample site: the agreement as on Linux, the script templates as batch files (CRLF line
# ends, which cmd.exe's labels and goto rely on).
mkdir -p "$dist/site/config"
cp "$root/res/site/userAgreement.rtf" "$dist/site/"
for template in "$root"/res/windows/site/config/*.txt; do
    sed 's/\r*$/\r/' "$template" >"$dist/site/config/$(basename "$template")"
done
# The driver package that binds WinUSB to the tablet (see the integrator's guide).
cp "$root/res/windows/ondrel-tablet-winusb.inf" "$dist/"
version=$(sed -n 's/^project(ondrel_sign VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
"$root/scripts/make-msi.sh" "$dist" "$build/ondrel-sign-$version.msi" "$version"
echo "dist: $dist and $build/ondrel-sign-$version.msi"
