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
export WINEPREFIX=${ONDREL_WINEPREFIX:-${HOME:-$root/build}/.cache/ondrel-wine}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "making the Wine prefix $WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
fi
# Wine does not pass variables named QT_* to a Windows process: Qt's settings go into the
# prefix's own environment. The offscreen platform finds no fonts of its own on Windows.
fonts=/usr/share/fonts/truetype/wqy
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
    timeout 900 "$wine" "$exe" --gtest_output="xml:$(windows_path "$xml")" >"$log" 2>&1 ||
        status=$?
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

echo "windows: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
