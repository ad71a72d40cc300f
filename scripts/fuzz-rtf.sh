#!/usr/bin/env bash
# Fuzzes the RTF reader with libFuzzer under AddressSanitizer + UndefinedBehaviorSanitizer.
# Usage: scripts/fuzz-rtf.sh [SECONDS] [extra libFuzzer options...]   (default 600 seconds)
# The corpus grows in build/fuzz/rtf-corpus (seeded from the shared RTF test files when they
# are there, and from docs/screenshots); crashes, leaks and hangs are written to
# build/fuzz/rtf-artifacts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
shift || true
build="$root/build/fuzz"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DONDREL_FUZZ=ON -DONDREL_SANITIZE=address,undefined -DONDREL_BUILD_TESTS=OFF \
    -DONDREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target rtf_reader_fuzzer

corpus="$build/rtf-corpus"
artifacts="$build/rtf-artifacts"
mkdir -p "$corpus" "$artifacts"
shared=${ONDREL_SHARED_DIR:-$root/../shared}
if [ -d "$shared/testdata/rtf" ]; then
    cp -n "$shared"/testdata/rtf/*.rtf "$corpus"/ 2>/dev/null || true
fi
cp -n "$root"/docs/screenshots/*.rtf "$corpus"/ 2>/dev/null || true
printf '{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 x;}}\\f0 \\'"'"'b7\\'"'"'c3\\u-29761?{\\b x}\\par}' \
    >"$corpus/seed-small.rtf"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1
export LSAN_OPTIONS=suppressions=$root/fuzz/lsan.supp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$build/fuzz/rtf_reader_fuzzer" "$corpus" -dict="$root/fuzz/rtf.dict" \
    -artifact_prefix="$artifacts/" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 "$@"
