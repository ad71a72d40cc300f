#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a fresh root folder and runs the installed program
# through a whole visit under a virtual X display, with a simulated tablet and the keyboard
# driven by xdotool: agree, sign two strokes, Done. Then checks that sign.bmp holds the strokes,
# that the finishing script ran, and that lintian finds no error in the package.
set -euo pipefail
root_dir=$(cd "$(dirname "$0")/.." && pwd)
cd "$root_dir"

for tool in Xvfb xdotool identify dpkg-deb; do
    command -v "$tool" >/dev/null || { echo "package test: $tool is missing" >&2; exit 1; }
done

echo "== package"
cmake --preset release -DONDREL_BUILD_TESTS=OFF -DONDREL_BUILD_BENCH=OFF >/dev/null
cmake --build --preset release -j "$(nproc)"
(cd build/release && rm -f ondrel-sign_*.deb && cpack -G DEB >/dev/null)
deb=$(ls build/release/ondrel-sign_*.deb)
echo "built $deb"
if command -v lintian >/dev/null; then
    # Errors fail the test; warnings are shown.
    lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v 'running with root privileges' || true
    if lintian "$deb" 2>/dev/null | grep -q '^E:'; then
        echo "package test: lintian reports errors" >&2
        exit 1
    fi
fi

work=$(mktemp -d)
cleanup() {
    [ -n "${program:-}" ] && kill "$program" 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    exec 3>&- 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

echo "== install into $work/root"
dpkg-deb -x "$deb" "$work/root"
installed=$work/root/usr

# A display of our own.
. "$root_dir/scripts/lib/xvfb.sh"
start_xvfb 90 120

# The simulated tablet, driven live through a FIFO.
mkfifo "$work/tablet"
export ONDREL_TABLET_SIM=$work/tablet
export ONDREL_EXCHANGE_DIR=$work/exchange
export ONDREL_SITE_DIR=$work/site
export ONDREL_DATA_DIR=$installed/share/ondrel-sign
export ONDREL_SIGN_PROGRAM=$installed/bin/ondrel-sign
export XDG_CONFIG_HOME=$work/config
export LD_LIBRARY_PATH=""

echo "== a visit"
"$installed/bin/ondrel-sign-desk" &
program=$!
exec 3>"$work/tablet"
printf 'plug\nsleep 0\n' >&3

window=$(xdotool search --sync --onlyvisible --name '^签字板$' | head -n 1)
press() { press_keys "$window" "$@" || exit 1; }
# Focus starts in the terms view; Tab goes 阅读条款 -> 同意并签字 -> 重新签字 -> 完成.
press Tab Tab space
printf 'stroke 5000 10000 30000 12000 30\nstroke 8000 30000 28000 30000 30 3000\n' >&3

# Wait for the live preview to show ink, so Done captures the strokes.
inked=no
for _ in $(seq 200); do
    if [ -f "$ONDREL_EXCHANGE_DIR/sign-temp.bmp" ] &&
        [ "$(identify -format '%[min]' "$ONDREL_EXCHANGE_DIR/sign-temp.bmp" 2>/dev/null)" = 0 ]; then
        inked=yes
        break
    fi
    sleep 0.1
done
[ "$inked" = yes ] || { echo "package test: the preview never showed the strokes" >&2; exit 1; }

press Tab Tab space
status=0
wait "$program" || status=$?
program=""
echo "program ended with status $status"

fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1" >&2; fail=1; fi; }
check "the program ended normally" '[ "$status" = 0 ]'
check "sign.bmp was written" '[ -f "$ONDREL_EXCHANGE_DIR/sign.bmp" ]'
check "sign.bmp holds the strokes" \
    '[ "$(identify -format "%[min]" "$ONDREL_EXCHANGE_DIR/sign.bmp")" = 0 ]'
check "the finishing script archived the signature" \
    'ls "$ONDREL_EXCHANGE_DIR"/archive/sign-*.bmp >/dev/null 2>&1'
check "the archived copy is the final signature" \
    'cmp -s "$ONDREL_EXCHANGE_DIR/sign.bmp" "$(ls "$ONDREL_EXCHANGE_DIR"/archive/sign-*.bmp | head -n 1)"'
check "no batch file was left in the site" '! ls "$ONDREL_SITE_DIR"/*.bat >/dev/null 2>&1'
exit $fail
