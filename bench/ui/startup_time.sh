#!/usr/bin/env bash
# Start-up time of the signing window beside the floor, a minimal Qt dialog program: wall time
# from launching the process to its window being mapped (viewable), as whole processes, on one
# virtual X screen with a window manager, alternating the two programs.
# Usage: bench/ui/startup_time.sh PROGRAM MINIMAL_DIALOG [RUNS]
# Needs xvfb-run, openbox and xwininfo. Prints the median of each and their ratio.
set -euo pipefail
if [ "${1:-}" != --inner ]; then
    for built in "${1:-}" "${2:-}"; do
        [ -f "$built" ] && [ -x "$built" ] || {
            echo "startup_time: no program at '$built'" >&2
            echo "usage: $0 PROGRAM MINIMAL_DIALOG [RUNS]" >&2
            exit 1
        }
    done
    program=$(realpath "$1")
    floor=$(realpath "$2")
    runs=${3:-15}
    exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" --inner "$program" "$floor" "$runs"
fi
program=$2
floor=$3
runs=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
exchange=$(mktemp -d)
trap 'rm -rf "$exchange"' EXIT
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

# Milliseconds from launch until a window with this title is viewable.
time_to_window() {
    local title=$1
    shift
    local start end pid
    start=$(date +%s%N)
    (cd "$root/res/site" && ONDREL_EXCHANGE_DIR=$exchange exec "$@") >/dev/null 2>&1 &
    pid=$!
    until xwininfo -name "$title" 2>/dev/null | grep -q IsViewable; do
        kill -0 "$pid" 2>/dev/null || { echo "startup_time: $1 ended before its window showed" >&2; exit 1; }
    done
    end=$(date +%s%N)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo $(((end - start) / 1000000))
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

window_times=()
floor_times=()
time_to_window "签字板" "$program" >/dev/null  # warm the caches once
time_to_window "minimal-dialog" "$floor" >/dev/null
for _ in $(seq 1 "$runs"); do
    floor_times+=("$(time_to_window "minimal-dialog" "$floor")")
    window_times+=("$(time_to_window "签字板" "$program")")
done
kill "$wm"
w=$(printf '%s\n' "${window_times[@]}" | median)
f=$(printf '%s\n' "${floor_times[@]}" | median)
echo "signing window: median ${w} ms over $runs runs (${window_times[*]})"
echo "minimal dialog: median ${f} ms over $runs runs (${floor_times[*]})"
awk -v w="$w" -v f="$f" 'BEGIN {printf "ratio: %.2f\n", w / f}'
