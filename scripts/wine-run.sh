#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, in the test prefix (scripts/lib/wine.sh): the
# `windows` preset's CMAKE_CROSSCOMPILING_EMULATOR, through which CTest lists and runs the tests.
# Paths the tests read from ONDREL_SOURCE_DIR and ONDREL_SHARED_DIR are handed over as Windows
# paths; carriage returns leave the program's output (standard output and error, together), so
# CTest reads the lines it wrote.
# Usage: scripts/wine-run.sh PROGRAM.exe [ARG...]
#        scripts/wine-run.sh --begin | --end   (a run's start and end, CTest's fixture: the
#        session's display, see wine_display_begin)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib/wine.sh"
wine_test_prefix
case ${1:-} in
--begin)
    wine_display_begin
    # The session stays up for the whole run rather than starting anew for each program.
    "$wineserver" -p </dev/null >/dev/null 2>&1
    exit 0
    ;;
--end)
    wine_display_end
    exit 0
    ;;
esac
wine_display_use
for var in ONDREL_SOURCE_DIR ONDREL_SHARED_DIR; do
    if [[ ${!var:-} == /* ]]; then
        export "$var=$(windows_path "${!var}")"
    fi
done
# The program's output goes through a file: the first program of a session starts Wine's
# services, which would hold a pipe given to it open for the whole session.
output=$(mktemp)
trap 'rm -f "$output"' EXIT
status=0
"$wine" "$@" </dev/null >"$output" 2>&1 || status=$?
# A test program always prints before it ends; a failure with no output at all is Wine failing to
# start it (seen once in a few hundred starts with two programs starting at once), so that start
# is tried once more and reported, never taken as the test's result.
if [ "$status" -ne 0 ] && [ ! -s "$output" ]; then
    echo "wine-run: Wine started nothing (status $status); starting $1 once more" >&2
    status=0
    "$wine" "$@" </dev/null >"$output" 2>&1 || status=$?
fi
tr -d '\r' <"$output"
exit "$status"
