#!/usr/bin/env bash
# Builds the Windows test executables (scripts/build-windows.sh) and runs each one whole under
# Wine, in a private Wine prefix made on first use. Ends with one line
#   windows: N passed, N failed, N skipped
# and a non-zero status when a test failed or an executable did not finish. Without
# ../shared/tools/mingw-qt6 it says so and succeeds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. "$root/scripts/lib/mingw-qt6.sh"
"$root/scripts/build-windows.sh"

build=$root/build/windows
results=$build/test-results
rm -rf "$results"
mkdir -p "$results"

# Unix paths as the Windows process sees them (Wine's drive Z: is the Unix root).
windows_path() {
    local path=$1
    echo "Z:${path//\//\\}"
}

wine=$(command -v wine || command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
export WINEPREFIX=${ONDREL_WINEPREFIX:-${HOME:-$root/build}/.cache/ondrel-wine}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "making the Wine prefix $WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
fi
# Wine does not pass variables named QT_* to a Windows process: Qt's settings go into the
# prefix's own environment. The offscreen platform finds no fonts of its own on Windows.
# Qt reads one folder: links to the Chinese font and to the fonts of the rarer characters and
# emoji (fonts-hanazono, fonts-symbola), where they are installed.
fonts=$build/fonts
rm -rf "$fonts"
mkdir -p "$fonts"
for font in /usr/share/fonts/truetype/wqy/*.tt[cf] /usr/share/fonts/truetype/hanazono/*.ttf \
    /usr/share/fonts/truetype/ancient-scripts/Symbola*.ttf; do
    if [ -f "$font" ]; then ln -s "$font" "$fonts/"; fi
done
"$wine" reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d offscreen /f >/dev/null 2>&1
"$wine" reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /d "$(windows_path "$fonts")" /f \
    >/dev/null 2>&1

# Other variables pass; these are read by the tests.
ONDREL_SOURCE_DIR=$(windows_path "$root")
ONDREL_SHARED_DIR=$(windows_path "$shared")
export ONDREL_SOURCE_DIR ONDREL_SHARED_DIR

passed=0
failed=0
skipped=0
while IFS= read -r exe; do
    [ -n "$exe" ] || continue
    name=$(basename "$exe" .exe)
    xml=$results/$name.xml
    log=$results/$name.log
    status=0
    # Tests of native windows (*_window_test) need a display for Wine's windows: a virtual
    # one where there is none. Wine's session keeps the display it started with, so the session
    # of the earlier tests is let end first, and this one after.
    display=()
    if [[ $name == *_window_test ]] && [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
        display=(xvfb-run -a)
        "$wineserver" -w
    fi
    timeout 900 "${display[@]}" "$wine" "$exe" --gtest_output="xml:$(windows_path "$xml")" \
        >"$log" 2>&1 || status=$?
    [ ${#display[@]} -eq 0 ] || "$wineserver" -w
    if [ ! -f "$xml" ]; then
        echo "$name: did not finish (status $status); see $log"
        failed=$((failed + 1))
        continue
    fi
    total=$(grep -c '<testcase ' "$xml" || true)
    bad=$(sed -n 's/^<testsuites tests="[0-9]*" failures="\([0-9]*\)".*/\1/p' "$xml")
    skip=$(grep -c 'result="skipped"' "$xml" || true)
    echo "$name: $((total - bad - skip)) passed, $bad failed, $skip skipped"
    # The skipped tests and why, as the test says it.
    awk '/<testcase / && /result="skipped"/ { match($0, /name="[^"]*"/); n = substr($0, RSTART + 6, RLENGTH - 7);
                                              match($0, /classname="[^"]*"/); c = substr($0, RSTART + 11, RLENGTH - 12) }
         /<skipped message=/ { m = $0; sub(/.*&#x0A;/, "", m); sub(/".*/, "", m); print "  skipped " c "." n ": " m }' \
        "$xml"
    if [ "$bad" -gt 0 ] || { [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; }; then
        grep -E '^\[  FAILED  \]|Failure$' "$log" | sort -u | sed 's/^/  /' || true
        [ "$bad" -gt 0 ] || { echo "  exited with status $status"; bad=1; }
    fi
    passed=$((passed + total - bad - skip))
    failed=$((failed + bad))
    skipped=$((skipped + skip))
done <"$build/windows-tests.txt"

# The diagnostic program with the real SetupAPI and WinUSB calls and no tablet says so and exits
# with status 2, as on Linux. Qt's DLLs are beside the test executables.
diag=$build/tablet/ondrel-tablet-diag.exe
if [ -f "$diag" ]; then
    status=0
    out=$(env -u ONDREL_TABLET_SIM WINEPATH="$(windows_path "$build/tests")" \
        timeout 300 "$wine" "$diag" 2>&1) || status=$?
    echo "$out" >"$results/tablet_diag_no_tablet.log"
    if [ "$status" -eq 2 ] && grep -q 'no tablet: no USB device with vendor id 256c' <<<"$out"; then
        echo "tablet_diag_no_tablet: 1 passed, 0 failed, 0 skipped"
        passed=$((passed + 1))
    else
        echo "tablet_diag_no_tablet: exit status $status, not 2; it said:"
        sed 's/^/  /' <<<"$out"
        failed=$((failed + 1))
    fi
fi

echo "windows: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
