#!/usr/bin/env bash
# Builds the imaging benchmarks for Windows (build/windows-bench) and runs them under Wine: the
# preview save beside the plain write of as many bytes (the floor); then times the signing
# window's start-up beside a minimal dialog (bench/ui/startup_time_wine.sh). Google Benchmark
# is compiled for the target from Debian's source package, fetched once with apt-get through a
# private source list (the machine's own apt configuration is left alone). Without
# ../shared/tools/mingw-qt6 it says so and does nothing. Arguments go on to the benchmark.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. "$root/scripts/lib/mingw-qt6.sh"
"$root/scripts/install-deps.sh" windows
command -v dpkg-source >/dev/null || "$root/scripts/install-deps.sh" test

sources=$root/build/benchmark-src
if [ ! -f "$sources/CMakeLists.txt" ]; then
    apt=$root/build/apt
    mkdir -p "$apt/lists/partial"
    echo "deb-src http://deb.debian.org/debian bookworm main" >"$apt/sources.list"
    options=(-q -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent
             -o Dir::State::Lists="$apt/lists")
    apt-get "${options[@]}" update >/dev/null
    (cd "$apt" && apt-get "${options[@]}" source --download-only benchmark >/dev/null 2>&1)
    rm -rf "$sources"
    dsc=("$apt"/benchmark_*.dsc)
    dpkg-source -x "${dsc[0]}" "$sources" >/dev/null
fi

build=$root/build/windows-bench
args=(-B "$build" -DONDREL_BUILD_TESTS=OFF -DONDREL_BENCHMARK_SOURCE_DIR="$sources")
if [ ! -f "$build/CMakeCache.txt" ]; then
    args+=(-DCMAKE_TOOLCHAIN_FILE="$toolchain")
fi
if command -v ccache >/dev/null; then
    args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake --preset windows "${args[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target imaging_bench minimal_dialog ondrel_bench_runtime

wine=$(command -v wine || command -v wine64 || echo /usr/lib/wine/wine64)
export WINEPREFIX=${ONDREL_WINEPREFIX:-${HOME:-$root/build}/.cache/ondrel-wine}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1
fi
out=$build/imaging_bench.txt
"$wine" "$build/bench/imaging_bench.exe" --benchmark_filter='Preview|Floor|Bmp' "$@" >"$out" 2>&1
cat "$out"

# Launch to window shown, beside the minimal dialog, from the self-contained folder.
dist=$root/build/windows/dist
if [ -f "$dist/ondrel-sign.exe" ]; then
    "$root/bench/ui/startup_time_wine.sh" "$dist" "$build/bench/minimal_dialog.exe" |
        tee "$build/startup_time.txt"
else
    echo "startup: skipped: no $dist (scripts/build-windows.sh, then scripts/windows-dist.sh)"
fi
