#!/usr/bin/env bash
# Screenshots of the signing window in both modes on a virtual X screen with a window manager,
# and the program's peak memory (VmHWM) once it is in signing mode.
# Usage: bench/ui/window_screens.sh PROGRAM OUTDIR [WIDTHxHEIGHT ...]
# Needs xvfb-run, openbox, xdotool and ImageMagick's import. Runs in the sample site.
set -euo pipefail
if [ "${1:-}" = --inner ]; then
    inner=$2
    shift 2
fi
[ -f "$1" ] && [ -x "$1" ] || {
    echo "window_screens: no program at $1 (./scripts/run.sh builds build/release/app/ondrel-sign)" >&2
    exit 1
}
program=$(realpath "$1")
outdir=$(realpath -m "$2")
shift 2
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1280x1024 1920x1080)
root=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$outdir"

one_screen() {
    local size=$1
    local exchange
    exchange=$(mktemp -d)
    openbox >/dev/null 2>&1 &
    local wm=$!
    sleep 1
    # A simulated tablet signs once the window is in signing mode (the script waits for it).
    (cd "$root/res/site" && ONDREL_EXCHANGE_DIR=$exchange \
        ONDREL_TABLET_SIM="$root/bench/ui/sample_signature.sim" exec "$program") &
    local pid=$!
    local wid=""
    for _ in $(seq 1 200); do
        wid=$(xdotool search --onlyvisible --name "签字板" 2>/dev/null | head -1 || true)
        [ -n "$wid" ] && break
        kill -0 "$pid" 2>/dev/null || { echo "window_screens: the program ended early" >&2; exit 1; }
        sleep 0.05
    done
    [ -n "$wid" ] || { echo "window_screens: the window never appeared" >&2; exit 1; }
    sleep 1.5  # let the window manager finish maximizing and the window repaint
    import -window root "$outdir/terms-$size.png"
    # "同意并签字" sits at 7,72 (60 x 47) dialog units: its middle, with 6 x 13 base units.
    xdotool mousemove --window "$wid" 55 155 click 1
    sleep 2.5  # the simulated tablet signs, and a preview or two is written meanwhile
    import -window root "$outdir/signing-$size.png"
    echo "$size: $(grep VmHWM /proc/$pid/status | tr -s ' \t' ' ') files: $(ls "$exchange" | tr '\n' ' ')"
    cp "$exchange/sign-temp.bmp" "$outdir/preview-$size.bmp" 2>/dev/null || true
    kill "$pid" "$wm" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    rm -rf "$exchange"
}
if [ -n "${inner:-}" ]; then
    one_screen "$inner"
    exit 0
fi
for size in "${sizes[@]}"; do
    xvfb-run -a -s "-screen 0 ${size}x24" "$0" --inner "$size" "$program" "$outdir"
done
