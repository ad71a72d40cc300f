#!/usr/bin/env bash
# Cross-builds the Windows program's libraries and tests (the `windows` preset, build/windows)
# with mingw-w64 against the Qt for Windows in ../shared/tools/mingw-qt6. Without that folder it
# says so and does nothing. Arguments go on to CMake's configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. "$root/scripts/lib/mingw-qt6.sh"
"$root/scripts/install-deps.sh" windows

# The preset finds the toolchain file as ../shared beside the sources; ONDREL_SHARED_DIR may
# put the shared folder elsewhere.
args=()
if [ ! -f "$root/build/windows/CMakeCache.txt" ]; then
    args+=(-DCMAKE_TOOLCHAIN_FILE="$toolchain")
fi
if command -v ccache >/dev/null; then
    args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake --preset windows "${args[@]}" "$@" >/dev/null
cmake --build --preset windows -j "$(nproc)"
