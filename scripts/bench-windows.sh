#!/usr/bin/env bash
# Builds the imaging benchmarks for Windows (build/windows-bench) and runs them under Wine: the
# preview save beside the plain write of as many bytes (the floor); then times the signing
# window's start-up beside a minimal dialog (bench/ui/startup_time_wine.sh). Google Benchmark
# is compiled for the target from Debian's source package, fetched once with apt-get through a
# private source list (the machine's own apt configuration is left alone), against the project's
# own Qt for Windows (scripts/build-qt-windows.sh). Arguments go on to the benchmark.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh" windows
. "$root/scripts/lib/windows-qt.sh"
. "$root/scripts/lib/debian-source.sh"
. "$root/scripts/lib/wine.sh"

sources=$root/build/benchmark-src
debian_source benchmark "$sources" "$root/build/apt"

build=$root/build/windows-bench
windows_build_dir "$build"
args=(-B "$build" -DONDREL_BUILD_TESTS=OFF -DONDREL_BENCHMARK_SOURCE_DIR="$sources")
if command -v ccache >/dev/null; then
    args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake --preset windows "${args[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target imaging_bench minimal_dialog ondrel_bench_runtime

wine_test_prefix
out=$build/imaging_bench.txt
"$wine" "$build/bench/imaging_bench.exe" --benchmark_filter='Preview|Encode|Save|Floor|Bmp' "$@" >"$out" 2>&1
cat "$out"

# Launch to window shown, beside the minimal dialog, from the self-contained folder.
dist=$root/build/windows/dist
if [ -f "$dist/ondrel-sign.exe" ]; then
    "$root/bench/ui/startup_time_wine.sh" "$dist" "$build/bench/minimal_dialog.exe" |
        tee "$build/startup_time.txt"
else
    echo "startup: skipped: no $dist (scripts/build-windows.sh, then scripts/windows-dist.sh)"
fi
