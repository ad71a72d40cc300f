#!/usr/bin/env bash
# Cross-builds the Windows program's libraries and tests (the `windows` preset, build/windows)
# with mingw-w64 against the project's own Qt for Windows (scripts/build-qt-windows.sh; the first
# time it builds that Qt, about 35 minutes on 2 cores). Arguments go on to CMake's configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh" windows
. "$root/scripts/lib/windows-qt.sh"
windows_build_dir "$root/build/windows"

args=()
if command -v ccache >/dev/null; then
    args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake --preset windows "${args[@]}" "$@" >/dev/null
cmake --build --preset windows -j "$(nproc)"
