#!/usr/bin/env bash
# The libusb path on a real Linux USB stack: runs the tablet diagnostic program inside usbvm
# (Debian's kernel in a VM, the tablet a USB gadget in it) over a few scenarios, with the
# tablet's interface unclaimed (vendor class) and held by the kernel's HID driver, and checks
# what it prints and what reached the wire. Skips (exit 0) when usbvm is not there.
#
# Usage: scripts/usbvm-test.sh [DIAG_BINARY]   (default build/ci/tablet/ondrel-tablet-diag)
# Where the asan and tsan builds of the program exist (build/asan, build/tsan), a replug runs
# under each sanitizer as well.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
shared=${ONDREL_SHARED_DIR:-$root/../shared}
usbvm=$shared/tools/usbvm/usbvm
diag=$(realpath -m "${1:-$root/build/ci/tablet/ondrel-tablet-diag}")
scenarios=$root/tests/tablet/usbvm

if [ ! -x "$usbvm" ]; then
    echo "usbvm stage skipped: $usbvm not found"
    exit 0
fi
if [ ! -x "$diag" ]; then
    echo "usbvm stage: $diag not built" >&2
    exit 1
fi

# What the first run would fetch, install and build, once, before runs start side by side (each
# would otherwise install QEMU at the same time).
if ! "$usbvm" prepare >/dev/null; then
    echo "usbvm stage: usbvm prepare failed" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
started=$(date +%s)
failures=0

# run NAME "USBVM_OPTIONS" SCENARIO GUEST_COMMAND...: one boot; output and setup log under NAME.
run() {
    local name=$1 options=$2 scenario=$3
    shift 3
    local status=0
    # shellcheck disable=SC2086  # the options are words
    "$usbvm" run --quiet $options --timeout 120 --scenario "$scenarios/$scenario" \
        --setup-log "$work/$name.log" -- "$@" >"$work/$name.out" 2>"$work/$name.err" ||
        status=$?
    echo "$status" >"$work/$name.status"
}

fail() {
    echo "FAIL $1: $2"
    echo "---- output:"
    cat "$work/$1.out" "$work/$1.err" 2>/dev/null || true
    failures=$((failures + 1))
}

expect_status() {
    local got
    got=$(cat "$work/$1.status")
    [ "$got" = "$2" ] || fail "$1" "exit status $got, expected $2"
}

expect_line() {
    grep -qxF -- "$2" "$work/$1.out" || fail "$1" "no line: $2"
}

expect_count() {
    local got
    got=$(grep -cxF -- "$2" "$work/$1.out" || true)
    [ "$got" = "$3" ] || fail "$1" "$got lines '$2', expected $3"
}

# expect_scenario NAME SCENARIO: what the scenario's `#?` lines say the diagnostic program
# prints and its exit status (tests/tablet/usbvm/README.md), as on the simulated tablet.
expect_scenario() {
    local name=$1 line text status=0
    while IFS= read -r line; do
        case $line in
        '#? exit:'*) status=$(trim "${line#'#? exit:'}") ;;
        '#? line:'*) expect_line "$name" "$(trim "${line#'#? line:'}")" ;;
        '#? count '*)
            text=${line#'#? count '}
            expect_count "$name" "$(trim "${text#*:}")" "${text%%:*}"
            ;;
        esac
    done <"$scenarios/$2"
    expect_status "$name" "$status"
}

trim() {
    printf '%s' "${1#"${1%%[! ]*}"}"
}

# The six set-up packets, byte for byte and in order, once per open.
expect_setup() {
    local name=$1 opens=$2 expected got
    expected=$(for _ in $(seq "$opens"); do
        printf '%s\n' "80 06 64 03 09 04 78 56" "80 06 01 03 09 04 78 56" \
            "80 06 63 03 09 04 78 56" "80 06 65 03 09 04 78 56" \
            "80 06 7B 03 09 04 78 56" "80 06 7A 03 09 04 78 56"
    done)
    got=$(grep -A5 -xF "80 06 64 03 09 04 78 56" "$work/$name.log" | grep -v '^--$' || true)
    [ "$got" = "$expected" ] || fail "$name" "set-up packets: $(echo "$got" | tr '\n' '|')"
}

# Two or three boots at a time.
for class in vendor hid; do
    run "replug-$class" "--class $class" replug.scn "$diag" --run 6 &
    run "short-param-$class" "--class $class" short-param.scn "$diag" --reports 1 --run 10 &
    wait
done
run wrong-vendor "" wrong-vendor.scn "$diag" &
run late-plug "" late-plug.scn "$diag" --wait 10 --reports 1 --run 10 &
run udev-rule "--with $root/res/udev/70-ondrel-signpad.rules --with $scenarios/udev-rule.sh" \
    present.scn sh "$scenarios/udev-rule.sh" "$root/res/udev/70-ondrel-signpad.rules" &
wait
# Endpoint packets of 64 bytes: a whole packet is read and its first 8 bytes handed on. Two
# programs at once: the second finds the tablet busy. An ordinary user without the rule.
run packet-64 "--mps 64" short-param.scn "$diag" --reports 1 --run 10 &
run busy "--with $diag --with $scenarios/busy.sh" present.scn sh "$scenarios/busy.sh" "$diag" &
run permission "--with $diag --with $scenarios/as-desk-user.sh" present.scn \
    sh "$scenarios/as-desk-user.sh" "$diag" &
wait
# No udev daemon: libusb still says it has hot-plug, but no event comes; the kernel's device
# list is polled instead. A tablet plugged in after start-up is found, its unplugging noticed.
run no-udev "--no-udev" late-plug-unplug.scn "$diag" --wait 10 --until-unplugged --run 20 &
# The libusb path under the sanitizers: reads, cancellation, close and hot-plug on a real stack.
sanitized=()
asan_diag=$root/build/asan/tablet/ondrel-tablet-diag
tsan_diag=$root/build/tsan/tablet/ondrel-tablet-diag
tsan_supp=$root/tests/tablet/tsan-libusb.supp
if [ -x "$asan_diag" ]; then
    run replug-asan "--class hid --env ASAN_OPTIONS=detect_leaks=1:abort_on_error=1" replug.scn \
        "$asan_diag" --run 6 &
    sanitized+=(replug-asan)
fi
if [ -x "$tsan_diag" ]; then
    run replug-tsan "--with $tsan_supp --env TSAN_OPTIONS=halt_on_error=1:suppressions=$tsan_supp" \
        replug.scn "$tsan_diag" --run 6 &
    sanitized+=(replug-tsan)
fi
wait

for class in vendor hid; do
    expect_scenario "replug-$class" replug.scn
    expect_setup "replug-$class" 2
    expect_scenario "short-param-$class" short-param.scn
    expect_setup "short-param-$class" 1
done

for name in "${sanitized[@]}"; do
    expect_scenario "$name" replug.scn
    if grep -q "Sanitizer" "$work/$name.out" "$work/$name.err"; then
        fail "$name" "a sanitizer report"
    fi
done

# libusb looks for the vendor's devices only: another vendor's device is no tablet at all here,
# where the simulated tablet opens it and finds the wrong vendor in its descriptor.
expect_status wrong-vendor 2
expect_line wrong-vendor "no tablet: no USB device with vendor id 256c is connected"
if grep -q "78 56" "$work/wrong-vendor.log"; then
    fail wrong-vendor "a set-up packet reached the device of another vendor"
fi

expect_scenario packet-64 short-param.scn

expect_status busy 4
expect_line busy "the tablet is busy: another program (a second signing program?) has claimed it; close that program and try again"

expect_status permission 3
expect_line permission "permission denied: this user may not open the tablet. Install the udev rule"

expect_status udev-rule 0
expect_line udev-rule "usb device 256c tags :uaccess:"
if grep -v "^usb device 256c" "$work/udev-rule.out" | grep -q uaccess; then
    fail udev-rule "another device was given to the user"
fi

expect_scenario late-plug late-plug.scn

name=no-udev
expect_scenario "$name" late-plug-unplug.scn
expect_line "$name" "libusb: no udev daemon, so no hot-plug events; looking at the kernel's device list every second"
expect_setup "$name" 1
expect_line "$name" "status: 设备已连接"
expect_line "$name" "extent: 40000 x 50000 (maxX 40000, maxY 50000)"

elapsed=$(($(date +%s) - started))
if [ "$failures" -ne 0 ]; then
    echo "usbvm stage: $failures check(s) failed (${elapsed} s)"
    exit 1
fi
echo "usbvm stage: all checks passed ($((13 + ${#sanitized[@]})) boots, ${elapsed} s)"
