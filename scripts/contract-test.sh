#!/usr/bin/env bash
# The README as a contract: ./scripts/run.sh, started the way a user starts it, on a virtual
# display, through whole visits with the simulated tablet (agree, strokes, Done, pressed with
# xdotool): fed live through a FIFO, with the README's desk.scn example exactly as the README
# writes it, with the guide's visit.scn through the launcher started from the source tree as the
# guide shows, and on an 8-bit display. Each visit must leave a sign.bmp with ink where the first
# stroke was and an archived copy from the finishing script.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# The examples run as a new user runs them, with the defaults: a folder named in the caller's
# environment (a real desk's, perhaps) is never the one whose signatures a visit here clears.
unset ONDREL_EXCHANGE_DIR

# One visit, run by this script under xvfb-run: contract-test.sh --visit fifo|readme|guide DEPTH
if [ "${1:-}" = --visit ]; then
    kind=$2
    depth=$3
    site=res/site
    # The fenced sh block of a document that matches a pattern.
    example_block() {
        awk -v pattern="$2" '/^```sh$/ {block = ""; inside = 1; next}
             /^```$/ {if (inside && block ~ pattern) {printf "%s", block; found = 1; exit} inside = 0; next}
             inside {block = block $0 "\n"}
             END {exit !found}' "$1" || { echo "FAILED: no example in $1 matches $2" >&2; exit 1; }
    }
    . "$root/scripts/lib/xvfb.sh"  # press_keys
    work=$(mktemp -d -p "$root/build" contract.XXXXXX)
    program=""
    cleanup() {
        if [ -n "$program" ]; then
            pkill -P "$program" 2>/dev/null || true  # the program under the example's shell
            kill "$program" 2>/dev/null || true
        fi
        exec 3>&- 2>/dev/null || true
        rm -rf "$work"
    }
    trap cleanup EXIT
    export XDG_CONFIG_HOME=$work/config  # the remembered window placement stays the user's
    exchange=$root/build/exchange
    rm -f "$exchange/sign.bmp" "$exchange/sign-temp.bmp"
    archived() {
        local n=0 file
        for file in "$(dirname "$exchange")"/archive/sign-*.bmp; do [ -e "$file" ] && n=$((n + 1)); done
        echo "$n"
    }
    archived_before=$(archived)

    case $kind in
    fifo)
        mkfifo "$work/tablet"
        ONDREL_TABLET_SIM=$work/tablet ./scripts/run.sh >"$work/run.log" 2>&1 &
        program=$!
        exec 3>"$work/tablet"
        printf 'plug\nwait signing\nstroke 5000 10000 30000 12000 30\nstroke 8000 30000 28000 30000 30 3000\n' >&3
        ;;
    readme)
        # The README's example block, run as it stands (from the clone's root).
        example_block README.md 'desk\.scn' >"$work/example.sh"
        bash "$work/example.sh" >"$work/run.log" 2>&1 &
        program=$!
        ;;
    guide)
        # The guide's visit.scn, with the launcher started from the source tree as the guide
        # shows; the launcher copies the sample site afresh.
        awk '/^cat > "\$HOME\/visit.scn" <<.SCRIPT.$/ {inside = 1; next}
             /^SCRIPT$/ {inside = 0} inside' docs/integrator-guide.md >"$work/visit.scn"
        grep -q '^wait signing$' "$work/visit.scn" ||
            { echo "FAILED: the guide's visit.scn is not there" >&2; exit 1; }
        example_block docs/integrator-guide.md 'ONDREL_SIGN_PROGRAM=' >"$work/example.sh"
        rm -rf build/site
        site=build/site
        ONDREL_TABLET_SIM=$work/visit.scn bash "$work/example.sh" >"$work/run.log" 2>&1 &
        program=$!
        ;;
    esac

    # The window, once it is shown; the program must not have ended before.
    window=""
    for _ in $(seq 600); do
        window=$(xdotool search --onlyvisible --name '^签字板$' 2>/dev/null | head -n 1 || true)
        [ -n "$window" ] && break
        kill -0 "$program" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$window" ]; then
        echo "FAILED: $kind visit: the window never appeared" >&2
        cat "$work/run.log" >&2
        exit 1
    fi
    # Focus starts in the terms view; Tab goes 阅读条款 -> 同意并签字 -> 重新签字 -> 完成.
    press_keys "$window" Tab Tab space
    wait_for_ink "$exchange/sign-temp.bmp" 300 ||
        echo "FAILED: $kind visit: the preview never showed the strokes" >&2
    press_keys "$window" Tab Tab space
    status=0
    wait "$program" || status=$?
    program=""

    fail=0
    check() {
        if eval "$2"; then echo "ok: $kind visit, ${depth}-bit display: $1"; else
            echo "FAILED: $kind visit, ${depth}-bit display: $1" >&2
            fail=1
        fi
    }
    bmp=$exchange/sign.bmp
    check "the program ended normally" '[ "$status" = 0 ]'
    check "sign.bmp was written" '[ -f "$bmp" ]'
    if [ -f "$bmp" ]; then
        size=$(identify -format '%w %h' "$bmp")
        width=${size% *}
        height=${size#* }
        # The middle of the first stroke, (17500, 11000) on the 40000 x 50000 tablet.
        x=$((width * 17500 / 40000 - 2))
        y=$((height * 11000 / 50000 - 2))
        check "sign.bmp holds ink where the first stroke was" \
            '[ "$(convert "$bmp" -crop 5x5+$x+$y +repage -format "%[min]" info:)" = 0 ]'
        check "sign.bmp is white where nothing was drawn" \
            '[ "$(convert "$bmp" -crop 5x5+$((width * 9 / 10))+$((height * 9 / 10)) +repage -format "%[min]" info:)" != 0 ]'
        check "sign.bmp has $depth bits per pixel" \
            '[ "$(od -An -tu2 -j28 -N2 "$bmp" | tr -d " ")" = "$depth" ]'
    fi
    check "the finishing script archived the signature" \
        '[ "$(archived)" -gt "$archived_before" ]'
    check "the agreement image is a JPEG" \
        '[ "$(identify -format "%m" "$exchange/userAgreement-1.jpg" 2>/dev/null)" = JPEG ]'
    check "no batch file was left in the site" '! ls "$site"/*.bat >/dev/null 2>&1'
    exit $fail
fi

echo "== contract"
for tool in xvfb-run xdotool identify convert od; do
    command -v "$tool" >/dev/null || { echo "contract test: $tool is missing" >&2; exit 1; }
done

fail=0
# Without a display, run.sh builds everything, then says what to do and fails.
status=0
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ./scripts/run.sh 2>&1) || status=$?
if [ "$status" = 1 ] && grep -q "xvfb-run -s '-screen 0 1920x1080x24'" <<<"$out"; then
    echo "ok: run.sh without a display says how to start it on a virtual one"
else
    echo "FAILED: run.sh without a display (status $status): $out" >&2
    fail=1
fi
for built in build/release/app/ondrel-sign build/release/tablet/ondrel-tablet-diag \
    build/release/ondrel-sign.1.gz; do
    if [ -f "$built" ]; then echo "ok: run.sh built $built"; else
        echo "FAILED: run.sh did not build $built" >&2
        fail=1
    fi
done

for visit in "fifo 24" "readme 24" "guide 24" "fifo 8"; do
    set -- $visit
    xvfb-run -a -s "-screen 0 1280x1024x$2 -nolisten tcp" "$0" --visit "$1" "$2" || fail=1
done
if [ "$fail" = 0 ]; then echo "contract: every check passed"; else echo "contract: FAILED" >&2; fi
exit $fail
