#!/usr/bin/env bash
# Start-up time of the Windows signing window under Wine beside the floor, a minimal Qt dialog
# program built the same way: wall time from launching the process to its window being
# viewable, as whole processes, with Qt's windows platform (a private Wine prefix, no arguments:
# any argument makes the signing program render the agreement again) on one virtual X screen,
# alternating the programs. All start from one copy of the self-contained folder, so they load
# the same DLLs; the signing window starts in the sample site with its agreement image up to date (no
# start-up script), as on a desk after the first start. The minimal dialog is timed twice: as it
# is, and with the signing window's frame (--window), for which Qt probes Direct3D at creation,
# a step that Wine makes slow by bringing up OpenGL in software.
# Usage: bench/ui/startup_time_wine.sh DIST_DIR MINIMAL_DIALOG_EXE [RUNS]
# Needs Xvfb, xdotool and xwininfo. Prints the median of each and their ratio.
set -euo pipefail
dist=$(cd "$1" && pwd)
floor=$(realpath "$2")
runs=${3:-11}
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib/wine.sh"
work=$root/build/windows-bench/startup
export WINEPREFIX=$work/wine
mkdir -p "$work"

app=$work/app
rm -rf "$app"
cp -R "$dist" "$app"
cp "$floor" "$app/"
exchange=$app/exchange
mkdir -p "$exchange"
ONDREL_EXCHANGE_DIR=$(windows_path "$exchange")
export ONDREL_EXCHANGE_DIR
touch "$exchange/userAgreement-1.jpg"  # newer than the agreement: nothing to refresh

xvfb=""
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
. "$root/scripts/lib/xvfb.sh"
start_xvfb 161 200 1920x1080
# A Wine session keeps the display it started with: the prefix is made on this one.
"$wineserver" -k 2>/dev/null || true
wine_prefix "$WINEPREFIX"
# One Wine session for all runs, as on a desk where Windows is already up (a new one, once the
# session that made the prefix has ended).
"$wineserver" -w
"$wineserver" -p

# Milliseconds from launch until a window with this title is viewable.
time_to_window() {
    local title=$1 exe=$2 start end pid
    shift 2
    start=$(date +%s%N)
    (cd "$app/site" && exec "$wine" "$exe" "$@") >/dev/null 2>&1 &
    pid=$!
    until xwininfo -name "$title" 2>/dev/null | grep -q IsViewable; do sleep 0.01; done
    end=$(date +%s%N)
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo $(((end - start) / 1000000))
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

floor_exe=$app/$(basename "$floor")
time_to_window "签字板" "$app/ondrel-sign.exe" >/dev/null  # warm the caches once
time_to_window "minimal-dialog" "$floor_exe" >/dev/null
window_times=()
floor_times=()
framed_times=()
for _ in $(seq 1 "$runs"); do
    floor_times+=("$(time_to_window "minimal-dialog" "$floor_exe")")
    framed_times+=("$(time_to_window "minimal-dialog" "$floor_exe" --window)")
    window_times+=("$(time_to_window "签字板" "$app/ondrel-sign.exe")")
done
w=$(printf '%s\n' "${window_times[@]}" | median)
f=$(printf '%s\n' "${floor_times[@]}" | median)
g=$(printf '%s\n' "${framed_times[@]}" | median)
echo "signing window under Wine: median ${w} ms over $runs runs (${window_times[*]})"
echo "minimal dialog under Wine: median ${f} ms over $runs runs (${floor_times[*]})"
echo "minimal dialog with the signing window's frame: median ${g} ms (${framed_times[*]})"
awk -v w="$w" -v f="$f" -v g="$g" \
    'BEGIN {printf "ratio: %.2f (to the framed minimal dialog: %.2f)\n", w / f, w / g}'
