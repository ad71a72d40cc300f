#!/usr/bin/env bash
# Builds, from the committed tree (HEAD, exported afresh: nothing uncommitted or untracked goes
# in), every file a desk or an integrator downloads, into build/releases/VERSION/:
#   ondrel-sign_VERSION_amd64.deb            the Debian package
#   ondrel-sign-VERSION.msi                  the Windows installer
#   ondrel-sign-VERSION-windows-x64.zip      the Windows program's folder, to run without installing
#   SHA256SUMS                               their checksums (sha256sum -c SHA256SUMS)
# The version is the project's, project(VERSION) in CMakeLists.txt; it is checked in what each
# file carries: the package's metadata, the installer's ProductVersion, the program's version
# resource and its About box. Refuses a tree with uncommitted changes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [ -n "$(git status --porcelain)" ]; then
    echo "release: the tree has uncommitted changes; commit them first" >&2
    exit 1
fi
version=$(sed -n 's/^project(ondrel_sign VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
grep -q "^ondrel-sign ($version)" res/debian/changelog ||
    { echo "release: res/debian/changelog has no entry for $version" >&2; exit 1; }
"$root/scripts/install-deps.sh" windows

out=$root/build/releases/$version
src=$out/src
rm -rf "$out"
mkdir -p "$src"
git archive HEAD | tar -x -C "$src"
echo "release: $version from $(git rev-parse --short HEAD)"
# The export builds as the clone does; ccache finds what the clone compiled.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=true
launcher=()
command -v ccache >/dev/null &&
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
off=(-DONDREL_BUILD_TESTS=OFF -DONDREL_BUILD_BENCH=OFF)

echo "== Debian package"
(cd "$src" && cmake --preset release "${off[@]}" "${launcher[@]}" >/dev/null &&
    cmake --build --preset release -j "$(nproc)" >/dev/null &&
    cd build/release && cpack -G DEB >/dev/null)
deb=ondrel-sign_${version}_amd64.deb
cp "$src/build/release/$deb" "$out/"

echo "== Windows program, installer and portable folder"
"$src/scripts/build-windows.sh" "${off[@]}" >/dev/null
# The programs as the tests ran them, without their debugging information.
x86_64-w64-mingw32-strip --strip-debug "$src/build/windows/app/ondrel-sign.exe" \
    "$src/build/windows/tablet/ondrel-tablet-diag.exe"
"$src/scripts/windows-dist.sh" >/dev/null
msi=ondrel-sign-$version.msi
cp "$src/build/windows/$msi" "$out/"
zip=ondrel-sign-$version-windows-x64.zip
portable=$out/ondrel-sign-$version
cp -R "$src/build/windows/dist" "$portable"
(cd "$out" && TZ=UTC zip -q -r -X "$zip" "ondrel-sign-$version")
rm -rf "$portable"

# The version each file carries.
seen_deb=$(dpkg-deb -f "$out/$deb" Version)
seen_msi=$(msiinfo export "$out/$msi" Property | tr -d '\r' | awk -F '\t' '$1 == "ProductVersion" { print $2 }')
exe=$src/build/windows/dist/ondrel-sign.exe
seen_resource=$(wrestool -x --raw -t 16 "$exe" | strings -e l | grep -A1 -x ProductVersion | tail -n 1)
seen_about=$(grep -a -o "签字手写板 [0-9.]* 版" "$exe" | head -n 1 | tr -cd '0-9.')
unzip -p "$out/$zip" "ondrel-sign-$version/ondrel-sign.exe" | cmp -s - "$exe" && seen_zip=$version || seen_zip=none
status=0
for what in "deb:$seen_deb" "msi:$seen_msi" "resource:$seen_resource" "about:$seen_about" "zip:$seen_zip"; do
    if [ "${what#*:}" != "$version" ]; then
        echo "release: the ${what%%:*} carries version '${what#*:}', not $version" >&2
        status=1
    fi
done
rm -rf "$src"
(cd "$out" && sha256sum "$deb" "$msi" "$zip" >SHA256SUMS)
echo "release: $out"
(cd "$out" && stat -c '  %n  %s bytes' "$deb" "$msi" "$zip" SHA256SUMS)
echo "  version: package $seen_deb, installer $seen_msi, version resource $seen_resource," \
    "About box $seen_about, zip's program $seen_zip"
exit "$status"
