#!/usr/bin/env bash
# A whole visit with the Windows program under Wine, as the package test does on Linux: the
# self-contained folder (scripts/windows-dist.sh) copied to C:\ondrel-visit and started in its
# site folder on a virtual X display, a simulated tablet fed live, and the keyboard driven by
# xdotool: agree, one stroke, Done. Then checks that the start-up batch file made the agreement
# image, c:\ondrelTemp\sign-temp.bmp and sign.bmp (the ink where the stroke was drawn), that the
# finishing batch file ran through cmd.exe and was removed; and in a second run, that the
# system menu's About entry opens the About box and, after Esc, that the window's placement is
# in the registry. Usage: scripts/wine-visit-test.sh [DIST_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
dist=$(cd "${1:-$root/build/windows/dist}" && pwd)
for tool in Xvfb xdotool identify; do
    command -v "$tool" >/dev/null || { echo "visit: $tool is missing" >&2; exit 1; }
done

. "$root/scripts/lib/wine.sh"
work=$root/build/windows/visit
mkdir -p "$work"
# A prefix of its own: the test prefix sets QT_QPA_PLATFORM=offscreen for every program. Here the
# program starts as the shortcut starts it, without arguments (any argument would make it render
# the agreement again) and on Qt's windows platform.
export WINEPREFIX=$work/wine
program=""
xvfb=""
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null || true
    "$wineserver" -k 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
# The display comes first: a Wine session keeps the display it started with, and the first
# Wine command below starts the session.
. "$root/scripts/lib/xvfb.sh"
start_xvfb 121 160
"$wineserver" -k 2>/dev/null || true
wine_prefix "$WINEPREFIX"
drive=$WINEPREFIX/drive_c
exchange=$drive/ondrelTemp
program_dir=$drive/ondrel-visit
site=$program_dir/site
rm -rf "$exchange" "$program_dir"
mkdir -p "$exchange"  # the installer makes it; the program never does
cp -R "$dist" "$program_dir"
"$wine" reg delete 'HKCU\Software\Varnock software' /f >/dev/null 2>&1 || true

# The simulated tablet reads a FIFO through Wine's Z: drive. Opened read-write here, neither end
# waits for the other; closing it is the script's end, so the program must not inherit it.
tablet=$work/tablet
rm -f "$tablet"
mkfifo "$tablet"
start() {  # start the program in its site folder, as the Start-menu shortcut does
    exec 3<>"$tablet"
    (cd "$site" && ONDREL_TABLET_SIM="Z:${tablet//\//\\}" \
        exec "$wine" "$program_dir/ondrel-sign.exe") >"$work/program.log" 2>&1 3>&- &
    program=$!
    # Lines up to the first sleep are the world at start-up: the tablet is plugged in.
    printf 'plug\nsleep 0\n' >&3
    window=""
    for _ in $(seq 600); do
        window=$(xdotool search --onlyvisible --name '^签字板$' 2>/dev/null | head -n 1) || true
        [ -n "$window" ] && break
        sleep 0.1
    done
    if [ -z "$window" ]; then
        import -window root "$work/screen.png" 2>/dev/null || true
        echo "visit: the window never showed (the screen: $work/screen.png)" >&2
        exit 1
    fi
}
press() { press_keys "$window" "$@" || exit 1; }
finish() {  # end the tablet's script, wait for the program to end; its status in $status
    # The script's end lets the simulated tablet's reader go, however Wine reads the FIFO.
    exec 3>&-
    status=0
    wait "$program" || status=$?
    program=""
}
inked() {  # inked FILE: the file is a BMP with at least one black pixel
    [ -f "$1" ] && [ "$(identify -format '%[min]' "BMP:$1" 2>/dev/null)" = 0 ]
}

echo "== a visit under Wine"
start
# Focus starts in the terms view; Tab goes 阅读条款 -> 同意并签字 -> 重新签字 -> 完成.
press Tab Tab space
# One stroke across the upper part of the pad (the tablet's extent is 40000 x 50000).
printf 'stroke 8000 10000 32000 10000 40\n' >&3
for _ in $(seq 300); do inked "$exchange/sign-temp.bmp" && break; sleep 0.1; done
preview_inked=no
inked "$exchange/sign-temp.bmp" && preview_inked=yes
press Tab Tab space
finish
echo "program ended with status $status"

fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1" >&2; fail=1; fi; }
check "the program ended normally" '[ "$status" = 0 ]'
check "the start-up batch file put the placeholder in c:\\ondrelTemp\\userAgreement-1.jpg" \
    'cmp -s "$exchange/userAgreement-1.jpg" "$root/res/site/config/userAgreement-placeholder.jpg"'
# Not checked: the image's time. Wine's cmd keeps a copy's time even for "copy /b FILE +,,",
# which on Windows gives it the time of now.
check "c:\\ondrelTemp\\sign-temp.bmp showed the stroke while signing" '[ $preview_inked = yes ]'
check "c:\\ondrelTemp\\sign.bmp holds the stroke" 'inked "$exchange/sign.bmp"'
# The ink's bounding box (WxH+X+Y of what is not white) as fractions of the image: the stroke ran
# from 20% to 80% of the width, at a fifth of the height.
box=$(identify -format '%w %h %@' "BMP:$exchange/sign.bmp" 2>/dev/null || echo "0 0 0x0+0+0")
read -r width height geometry <<<"$box"
IFS='x+' read -r ink_w ink_h ink_x ink_y <<<"$geometry"
echo "sign.bmp is ${width}x${height}, ink ${ink_w}x${ink_h} at ${ink_x},${ink_y}"
within() {  # within VALUE TOTAL LOW HIGH: VALUE/TOTAL lies in [LOW, HIGH]
    awk -v v="$1" -v t="$2" -v lo="$3" -v hi="$4" 'BEGIN { exit !(t > 0 && v / t >= lo && v / t <= hi) }'
}
check "the ink starts a fifth of the way across" 'within "$ink_x" "$width" 0.17 0.23'
check "the ink ends four fifths of the way across" 'within "$((ink_x + ink_w))" "$width" 0.77 0.83'
check "the ink lies a fifth of the way down" \
    'within "$ink_y" "$height" 0.15 0.25 && within "$((ink_y + ink_h))" "$height" 0.15 0.25'
check "the finishing batch file archived the signature" \
    'cmp -s "$exchange/sign.bmp" "$exchange/archive/sign-1.bmp"'
check "no batch file was left in the site" '! ls "$site"/*.bat >/dev/null 2>&1'

echo "== a second run: About from the system menu, then Esc"
start
windows_named() { xdotool search --onlyvisible --name '^签字板$' 2>/dev/null | wc -l; }
windows_shown() { xdotool search --onlyvisible --name '' 2>/dev/null | wc -l; }
# Alt+Space opens the system menu on its first entry; "&About 签字手写板..." is the last one
# (Wine adds "About Wine" before it, with the same A), one Up away.
before_menu=$(windows_shown)
press alt+space
for _ in $(seq 100); do [ "$(windows_shown)" -gt "$before_menu" ] && break; sleep 0.1; done
xdotool key Up Return
for _ in $(seq 100); do [ "$(windows_named)" -ge 2 ] && break; sleep 0.1; done
about_shown=$(windows_named)
xdotool key Return  # the About box's OK
for _ in $(seq 100); do [ "$(windows_named)" -le 1 ] && break; sleep 0.1; done
about_closed=$(windows_named)
press Escape
finish
echo "program ended with status $status"
placement=$("$wine" reg query 'HKCU\Software\Varnock software\ondrel-sign\SETTING' 2>/dev/null |
    tr -d '\r' || true)
echo "$placement" | sed -n 's/^ *\(left\|right\|top\|bottom\) .*/  &/p'
check "the system menu's About entry opened the About box" '[ "$about_shown" -ge 2 ]'
check "OK closed the About box" '[ "$about_closed" = 1 ]'
for value in left right top bottom; do
    check "the placement's $value is in the registry" \
        'echo "$placement" | grep -q "^ *$value  *REG_"'
done
[ $fail -eq 0 ] && echo "visit: ok"
exit $fail
