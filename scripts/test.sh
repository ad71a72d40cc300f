#!/usr/bin/env bash
# Installs what is missing, builds every configuration the project is tested in and runs every
# test: warnings as errors, then under AddressSanitizer + UndefinedBehaviorSanitizer, then under
# ThreadSanitizer, the libusb path on a real USB stack (when usbvm is there), the suite once more
# under a GB18030 locale, the Windows build's tests under Wine (the first run builds the Qt for
# Windows, about 35 minutes on 2 cores), ./scripts/run.sh and the README's example through whole
# visits, and last the Debian package installed and run through a whole visit.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh" test

jobs=$(nproc)
run_preset() {
    local preset=$1
    shift
    echo "== $preset"
    cmake --preset "$preset" -DONDREL_BUILD_BENCH=OFF "$@" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
}

run_preset ci -DONDREL_BUILD_BENCH=ON
run_preset asan
run_preset tsan

# The libusb path on a real USB stack, also under the sanitizers, when ../shared/tools/usbvm is
# there (about a minute).
echo "== usbvm"
"$root/scripts/usbvm-test.sh" "$root/build/ci/tablet/ondrel-tablet-diag"

# Code-page handling must not depend on the user's locale: run the suite once more in a
# GB18030 locale, built privately so the machine's locale set is left alone.
locales=$(mktemp -d)
trap 'rm -rf "$locales"' EXIT
if localedef -i zh_CN -f GB18030 "$locales/zh_CN.GB18030" 2>/dev/null; then
    echo "== ci under zh_CN.GB18030"
    LOCPATH=$locales LANG=zh_CN.GB18030 LC_ALL=zh_CN.GB18030 ctest --preset ci -j "$jobs"
else
    echo "== skipped the GB18030 run: localedef could not build the locale"
fi

# The Windows program cross-built, the test programs that have a Windows form run under Wine,
# the MSI of the self-contained folder installed, upgraded and removed under Wine, and a whole
# visit with that folder under Wine (a few minutes; the first run also builds the Qt for Windows
# into its cache outside the clone and makes the Wine prefixes).
echo "== windows"
"$root/scripts/wine-test.sh"
echo "== windows installer"
"$root/scripts/windows-dist.sh"
"$root/scripts/msi-test.sh" "$root/build/windows/dist"
echo "== windows visit"
"$root/scripts/wine-visit-test.sh" "$root/build/windows/dist"

# The README's first command and its simulated-tablet example, as a user runs them, through
# whole visits on virtual displays (24-bit and 8-bit).
"$root/scripts/contract-test.sh"

# The Debian package, installed into a fresh root and run through a whole visit.
echo "== package"
"$root/scripts/package-test.sh"
