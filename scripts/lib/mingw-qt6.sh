# Sourced by the Windows scripts, with $root set to the repository: finds the Qt for Windows in
# ../shared/tools/mingw-qt6 (or $ONDREL_SHARED_DIR/tools/mingw-qt6) and sets $shared, $qt6 and
# $toolchain; where it is not there, says so and ends the calling script with success.
shared=${ONDREL_SHARED_DIR:-$root/../shared}
qt6=$shared/tools/mingw-qt6
toolchain=$qt6/mingw-w64-x86_64.cmake
if [ ! -f "$toolchain" ]; then
    echo "skipped: ../shared/tools/mingw-qt6 is not there (no Qt for Windows to build against)"
    exit 0
fi
shared=$(cd "$shared" && pwd)
qt6=$shared/tools/mingw-qt6
toolchain=$qt6/mingw-w64-x86_64.cmake
