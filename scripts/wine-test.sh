#!/usr/bin/env bash
# Builds the Windows test executables (scripts/build-windows.sh) and runs them under Wine through
# CTest (`ctest --preset windows`: every test case, CTest's summary at the end), in the test prefix
# (scripts/lib/wine.sh), made and given Qt's settings on first use. Arguments go on to CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/build-windows.sh"
. "$root/scripts/lib/wine.sh"
wine_test_prefix
ctest --preset windows -j "$(nproc)" "$@"
