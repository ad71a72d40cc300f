#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a fresh root folder and runs the installed program
# through a whole visit under a virtual X display, with a simulated tablet and the keyboard
# driven by xdotool: agree, sign two strokes, Done. Then checks that sign.bmp holds the strokes,
# that the finishing script archived it, and that lintian finds no error in the package.
#
# As root the visit runs as an installed desk would: in a private mount namespace (with a copy
# of /etc and an empty /var/lib, so the machine itself is not changed) the package's postinst
# makes the group "ondrel" and /var/lib/ondrel-sign/, a desk account in that group starts the
# visit through the launcher without ONDREL_EXCHANGE_DIR, and the signature must land in the
# packaged folder, readable by the group and nobody else. Without root the visit uses a folder
# of its own through ONDREL_EXCHANGE_DIR.
set -euo pipefail
root_dir=$(cd "$(dirname "$0")/.." && pwd)
cd "$root_dir"
. "$root_dir/scripts/lib/xvfb.sh"

fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1" >&2; fail=1; fi; }

# visit RUN...: starts the launcher through RUN (a command prefix, may be empty) and drives a
# visit; $exchange is where the program writes. Sets $status to the program's exit status.
visit() {
    "$@" "$installed/bin/ondrel-sign-desk" &
    program=$!
    exec 3>"$work/tablet"
    printf 'plug\nsleep 0\n' >&3

    local window
    window=$(xdotool search --sync --onlyvisible --name '^签字板$' | head -n 1)
    # Focus starts in the terms view; Tab goes 阅读条款 -> 同意并签字 -> 重新签字 -> 完成.
    press_keys "$window" Tab Tab space || exit 1
    printf 'stroke 5000 10000 30000 12000 30\nstroke 8000 30000 28000 30000 30 3000\n' >&3

    # Wait for the live preview to show ink, so Done captures the strokes.
    wait_for_ink "$exchange/sign-temp.bmp" ||
        { echo "package test: the preview never showed the strokes" >&2; exit 1; }

    press_keys "$window" Tab Tab space || exit 1
    status=0
    wait "$program" || status=$?
    program=""
    exec 3>&-
    echo "program ended with status $status"
}

check_visit() {
    check "the program ended normally" '[ "$status" = 0 ]'
    check "sign.bmp was written" '[ -f "$exchange/sign.bmp" ]'
    check "sign.bmp holds the strokes" \
        '[ "$(identify -format "%[min]" "$exchange/sign.bmp")" = 0 ]'
    check "the finishing script archived the signature" \
        'ls "$archive"/sign-*.bmp >/dev/null 2>&1'
    check "the archived copy is the final signature" \
        'cmp -s "$exchange/sign.bmp" "$(ls "$archive"/sign-*.bmp | head -n 1)"'
    check "no batch file was left in the site" '! ls "$ONDREL_SITE_DIR"/*.bat >/dev/null 2>&1'
}

# The installed desk, inside the private mount namespace.
if [ "${1:-}" = --installed-desk ]; then
    work=$2
    installed=$work/root/usr
    cp -a /etc "$work/etc"
    mount --bind "$work/etc" /etc
    mount -t tmpfs -o mode=0755 tmpfs /var/lib
    # The package's own postinst, as dpkg runs it (udevadm left out: no tablet here).
    mkdir -p "$work/no-udev"
    printf '#!/bin/sh\nexit 0\n' >"$work/no-udev/udevadm"
    chmod +x "$work/no-udev/udevadm"
    PATH="$work/no-udev:$PATH" sh "$work/control/postinst" configure
    useradd --no-create-home --home-dir "$work/home" --shell /bin/sh ondrel-desk
    usermod -a -G ondrel ondrel-desk
    install -d -o ondrel-desk -g ondrel-desk "$work/home"
    as_desk=(setpriv --reuid=ondrel-desk --regid=ondrel-desk --init-groups
        env HOME="$work/home" USER=ondrel-desk)

    exchange=/var/lib/ondrel-sign/exchange
    archive=/var/lib/ondrel-sign/archive
    check "the package made $exchange: root, group ondrel, 2770" \
        '[ "$(stat -c "%U %G %a" "$exchange")" = "root ondrel 2770" ]'
    check "the package made $archive: root, group ondrel, 2770" \
        '[ "$(stat -c "%U %G %a" "$archive")" = "root ondrel 2770" ]'

    echo "== the launcher refuses a folder every account may write to"
    install -d -m 0777 "$work/open-exchange"
    refusal=$(ONDREL_EXCHANGE_DIR=$work/open-exchange "${as_desk[@]}" \
        "$installed/bin/ondrel-sign-desk" 2>&1) && refused=no || refused=yes
    echo "$refusal"
    check "the launcher refused it" '[ $refused = yes ] && echo "$refusal" | grep -q "may be written by every account"'
    check "and wrote nothing there" '[ -z "$(ls -A "$work/open-exchange")" ]'

    echo "== a visit as the desk account, without ONDREL_EXCHANGE_DIR"
    unset ONDREL_EXCHANGE_DIR
    export ONDREL_SITE_DIR=$work/home/site XDG_CONFIG_HOME=$work/home/config
    visit "${as_desk[@]}"
    check_visit
    check "sign.bmp and sign-temp.bmp belong to the desk account and the group ondrel, mode 0640" \
        '[ "$(stat -c "%U %G %a" "$exchange/sign.bmp" "$exchange/sign-temp.bmp" | sort -u)" = "ondrel-desk ondrel 640" ]'
    check "the archived copy is kept from other accounts" \
        '[ "$(stat -c "%a" "$(ls "$archive"/sign-*.bmp | head -n 1)")" = 640 ]'
    exit $fail
fi

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
dpkg-deb -e "$deb" "$work/control"
installed=$work/root/usr

# A display of our own.
start_xvfb 90 120

# The simulated tablet, driven live through a FIFO.
mkfifo -m 0644 "$work/tablet"
export ONDREL_TABLET_SIM=$work/tablet
export ONDREL_DATA_DIR=$installed/share/ondrel-sign
export ONDREL_SIGN_PROGRAM=$installed/bin/ondrel-sign
export LD_LIBRARY_PATH=""

if [ "$(id -u)" = 0 ] && unshare --mount --propagation private true 2>/dev/null; then
    chmod 0755 "$work"
    unshare --mount --propagation private "$root_dir/scripts/package-test.sh" --installed-desk \
        "$work" || fail=1
    exit $fail
fi

echo "== a visit (not root: in a folder named by ONDREL_EXCHANGE_DIR, not the packaged one)"
export ONDREL_EXCHANGE_DIR=$work/exchange
export ONDREL_SITE_DIR=$work/site
export XDG_CONFIG_HOME=$work/config
exchange=$ONDREL_EXCHANGE_DIR
archive=$work/archive  # beside the exchange folder, where the sample script keeps its copies
mkdir -p "$archive"
visit
check_visit
exit $fail
