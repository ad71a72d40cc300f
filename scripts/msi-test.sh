#!/usr/bin/env bash
# Installs, upgrades and uninstalls the Windows installer under Wine, in a private prefix, as an
# integrator would: install, put the site's own agreement and scripts in place of the sample,
# upgrade (the site's files stay as they are), start the installed program on a virtual display
# (it shows the site's agreement with its JPEG logo), uninstall (the site's files still stay).
# Usage: scripts/msi-test.sh [DIST_DIR]
#   DIST_DIR  a self-contained dist folder (see scripts/make-msi.sh); without it a stand-in GUI
#             program carrying the real resources is cross-built and assembled into one (it shows
#             no agreement: the logo is not looked for then).
# The upgrade package is the same dist folder with its ondrel-sign.exe rebuilt at a higher version
# when the stand-in is used, or the same files at a higher package version otherwise.
set -uo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
root=$here
"$here/scripts/install-deps.sh" windows
. "$here/scripts/lib/windows-qt.sh"
. "$here/scripts/lib/wine.sh"

work=$here/build/windows/msi-test
mkdir -p "$work"
export WINEPREFIX=$work/wine
passed=0 failed=0
check() {
    local what=$1; shift
    if "$@"; then passed=$((passed + 1)); echo "ok: $what"
    else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
version=$(sed -n 's/^project(ondrel_sign VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
IFS=. read -r major minor patch <<<"$version"
next=$major.$minor.$((patch + 1))

standin() {  # standin VERSION DIST: cross-builds the stand-in at VERSION and assembles DIST
    local v=$1 dist=$2 src=$work/standin
    mkdir -p "$src"
    cat >"$src/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(ondrel_standin VERSION ${STANDIN_VERSION} LANGUAGES CXX)
find_package(Qt6 REQUIRED COMPONENTS Widgets)
include(${ONDREL_SOURCE_DIR}/res/windows/WindowsResources.cmake)
add_executable(ondrel-sign main.cpp)
target_compile_definitions(ondrel-sign PRIVATE STANDIN_VERSION=${PROJECT_VERSION})
target_link_libraries(ondrel-sign PRIVATE Qt6::Widgets)
ondrel_windows_resources(ondrel-sign VERSION ${PROJECT_VERSION})
add_executable(ondrel-tablet-diag diag.cpp)
CMAKE
    cat >"$src/main.cpp" <<'CPP'
// Stand-in for the signing-pad program: writes its working folder and version into the file named
// by its first argument.
#include <QApplication>
#include <QDir>
#include <QFile>
#define TEXT_OF(x) #x
#define VERSION_TEXT(x) TEXT_OF(x)
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 1) {
        QFile out(args.at(1));
        if (out.open(QIODevice::WriteOnly)) {
            out.write((QDir::currentPath() + QLatin1String("\n" VERSION_TEXT(STANDIN_VERSION) "\n")).toUtf8());
        }
    }
    return 0;
}
CPP
    echo '#include <cstdio>
int main() { std::puts("ondrel-tablet-diag stand-in"); return 0; }' >"$src/diag.cpp"
    cmake -G Ninja -S "$src" -B "$src/build-$v" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DSTANDIN_VERSION="$v" -DONDREL_SOURCE_DIR="$here" >/dev/null &&
        cmake --build "$src/build-$v" -j2 >/dev/null || return 1
    rm -rf "$dist" && mkdir -p "$dist/platforms" "$dist/styles" "$dist/imageformats"
    cp "$src/build-$v/ondrel-sign.exe" "$src/build-$v/ondrel-tablet-diag.exe" "$dist/"
    cp "$windows_qt"/bin/Qt6{Core,Gui,Widgets}.dll "$dist/"
    local dll
    for dll in $(sed -n 's/^ *\(\/[^ )]*\.dll\).*/\1/p' "$toolchain"); do cp "$dll" "$dist/"; done
    cp "$windows_qt"/plugins/platforms/{qwindows,qoffscreen}.dll "$dist/platforms/"
    cp "$windows_qt"/plugins/styles/*.dll "$dist/styles/"
    cp "$windows_qt"/plugins/imageformats/*.dll "$dist/imageformats/"
    cp -R "$here/res/site" "$dist/site"
}

if [ $# -ge 1 ]; then
    dist1=$(cd "$1" && pwd); dist2=$dist1
    for need in Xvfb xdotool convert; do
        command -v "$need" >/dev/null || { echo "msi: $need is missing" >&2; exit 1; }
    done
else
    dist1=$work/dist-$version; dist2=$work/dist-$next
    standin "$version" "$dist1" && standin "$next" "$dist2" || { echo "msi: stand-in build failed"; echo "msi: 0 passed, 1 failed"; exit 1; }
fi

# The resources of the program: a GUI executable with icon, manifest and version information.
exe=$dist1/ondrel-sign.exe
check "ondrel-sign.exe is a Windows GUI program" \
    grep -q 'Subsystem.*(Windows GUI)' <(x86_64-w64-mingw32-objdump -p "$exe")
if command -v wrestool >/dev/null; then
    res=$(wrestool -l "$exe")
    check "icon IDR_MAINFRAME (128), manifest and version resources" \
        bash -c '[[ "$1" == *"type=group_icon"* && "$1" == *"--type=14 --name=128"* && "$1" == *"--type=24 --name=1"* && "$1" == *"type=version"* ]]' _ "$res"
    check "manifest: asInvoker, no UI access, common controls 6" \
        bash -c 'm=$(wrestool -x --raw -t 24 "$1" | tr -d "\""); [[ $m == *level=asInvoker\ uiAccess=false* && $m == *Common-Controls\ version=6.0.0.0* && $m != *"<activeCodePage"* ]]' _ "$exe"
fi

"$here/scripts/make-msi.sh" "$dist1" "$work/ondrel-sign-$version.msi" "$version" 2>/dev/null | tail -1
"$here/scripts/make-msi.sh" "$dist2" "$work/ondrel-sign-$next.msi" "$next" 2>/dev/null | tail -1

xvfb=""
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
if [ $# -ge 1 ]; then
    # The display comes before the first Wine command: the Wine session keeps the one it began with.
    . "$here/scripts/lib/xvfb.sh"
    start_xvfb 131 170 || exit 1
fi
rm -rf "$WINEPREFIX"
"$wine" wineboot -i >/dev/null 2>&1
"$wineserver" -w 2>/dev/null || true
c=$WINEPREFIX/drive_c
prog="$c/Program Files/Ondrel Sign"
site=$c/ProgramData/ondrel-sign/site
# The package is per machine (ALLUSERS=1), which puts the shortcut into the common Start menu on
# Windows; Wine 8.0's msiexec puts it into the installing user's, so either counts here.
lnk="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Ondrel Sign.lnk"
user_lnk="$c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Ondrel Sign.lnk"
shortcut_present() { [ -f "$lnk" ] || [ -f "$user_lnk" ]; }
shortcut_absent() { [ ! -e "$lnk" ] && [ ! -e "$user_lnk" ]; }
products() { "$wine" uninstaller --list 2>/dev/null | grep -c '|||Ondrel Sign'; }
msi_path() { "$wine" winepath -w "$1" 2>/dev/null; }

"$wine" msiexec /i "$(msi_path "$work/ondrel-sign-$version.msi")" /qn
check "install $version: msiexec succeeded" test $? -eq 0
check "program, DLLs and plugins in Program Files" test -f "$prog/ondrel-sign.exe" -a -f "$prog/ondrel-tablet-diag.exe" -a -f "$prog/Qt6Widgets.dll" -a -f "$prog/platforms/qwindows.dll" -a -d "$prog/styles"
check "Qt's image-format plugins (JPEG, GIF, ICO) in Program Files" \
    test -f "$prog/imageformats/qjpeg.dll" -a -f "$prog/imageformats/qgif.dll" -a -f "$prog/imageformats/qico.dll"
check "sample site in ProgramData" test -f "$site/userAgreement.rtf" -a -f "$site/config/createSign.txt" -a -f "$site/config/createUpdateSignDoc.txt" -a -f "$site/config/userAgreement-placeholder.jpg"
check "exchange folder c:\\ondrelTemp" test -d "$c/ondrelTemp"
check "Start-menu shortcut" shortcut_present
check "one installed product" test "$(products)" = 1

# The integrator makes the site theirs: an agreement of their own with a JPEG logo (a square of
# one colour), and both scripts changed. Copies of what they wrote are kept to compare with.
logo_colour='#E0109A'
mine=$work/site-mine
rm -rf "$mine" && mkdir -p "$mine/config"
{
    printf '{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 '
    printf 'Site agreement with a logo:\\par\n{\\pict\\jpegblip\\picw48\\pich48\\picwgoal1440\\pichgoal1440\n'
    if command -v convert >/dev/null; then
        convert -size 48x48 "xc:$logo_colour" -quality 95 jpeg:- | od -An -tx1 -v | tr -d ' \n' | fold -w 64
    fi
    printf '}\\par The site signs here.\\par}\n'
} >"$mine/userAgreement.rtf"
for template in createSign.txt createUpdateSignDoc.txt; do
    { cat "$site/config/$template"; printf 'rem The site changed this script.\r\n'; } >"$mine/config/$template"
done
cp "$mine/userAgreement.rtf" "$site/userAgreement.rtf"
cp "$mine/config/"*.txt "$site/config/"
site_is_mine() {
    cmp -s "$mine/userAgreement.rtf" "$site/userAgreement.rtf" &&
        cmp -s "$mine/config/createSign.txt" "$site/config/createSign.txt" &&
        cmp -s "$mine/config/createUpdateSignDoc.txt" "$site/config/createUpdateSignDoc.txt"
}

# logo_pixels PNG: how many pixels of the picture are the logo's colour (JPEG shifts it a little).
logo_pixels() {
    convert "$1" -fuzz 12% -fill black +opaque "$logo_colour" -fill white -opaque "$logo_colour" \
        -format '%[fx:round(mean*w*h)]' info: 2>/dev/null || echo 0
}
# shows_logo: starts the installed program as the shortcut does (in the site folder, no
# arguments), waits for its window to show the site's agreement with the logo, then ends it
# with Esc. The last screen is in $work/screen.png.
shows_logo() {
    local program window="" pixels=0
    (cd "$site" && exec "$wine" "$prog/ondrel-sign.exe") >"$work/program.log" 2>&1 &
    program=$!
    for _ in $(seq 600); do
        window=$(xdotool search --onlyvisible --name '^签字板$' 2>/dev/null | head -n 1) || true
        [ -n "$window" ] && break
        sleep 0.1
    done
    # The 96 x 96 logo (an inch at 96 dpi) is drawn soon after the window appears.
    for _ in $(seq 30); do
        [ -n "$window" ] || break
        import -window root "$work/screen.png" 2>/dev/null || true
        pixels=$(logo_pixels "$work/screen.png")
        [ "$pixels" -ge 4000 ] && break
        sleep 0.2
    done
    echo "logo: $pixels pixels of $logo_colour on the screen ($work/screen.png)"
    [ -n "$window" ] && press_keys "$window" Escape >/dev/null 2>&1
    wait "$program" 2>/dev/null || true
    [ "$pixels" -ge 4000 ]
}

"$wine" msiexec /i "$(msi_path "$work/ondrel-sign-$next.msi")" /qn
check "upgrade to $next: msiexec succeeded" test $? -eq 0
check "still one installed product after the upgrade" test "$(products)" = 1
check "the program is the new one" cmp -s "$prog/ondrel-sign.exe" "$dist2/ondrel-sign.exe"
check "the site's own agreement and both scripts are as the site left them" site_is_mine
check "shortcut still there" shortcut_present
if [ $# -eq 0 ]; then
    # The shortcut's program in the shortcut's working folder: the stand-in reports both.
    rm -f "$work/ran.txt"
    (cd "$site" && "$wine" "$prog/ondrel-sign.exe" -platform offscreen "$(msi_path "$work/ran.txt")" >/dev/null 2>&1)
    check "the installed program starts (stand-in $next)" grep -q "^$next\$" "$work/ran.txt"
else
    check "the installed program shows the site's agreement with its JPEG logo" shows_logo
fi
touch "$site/createSign.bat" "$c/ondrelTemp/sign.bmp"

"$wine" msiexec /x "$(msi_path "$work/ondrel-sign-$next.msi")" /qn
check "uninstall: msiexec succeeded" test $? -eq 0
check "no installed product" test "$(products)" = 0
check "Program Files folder gone" test ! -e "$prog"
check "shortcut gone" shortcut_absent
check "the site's own agreement and both scripts are still there, unchanged" site_is_mine
# Files made at run time are not the package's: they stay, and with them their folders.
check "a file the site made at run time kept" test -f "$site/createSign.bat"
check "exchange folder with the host's files kept" test -f "$c/ondrelTemp/sign.bmp"

echo "msi: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
