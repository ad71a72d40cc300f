#!/usr/bin/env bash
# Installs what is missing, builds the program (with what `cpack` packs beside it) and starts it
# in the bundled sample site. The exchange folder is build/exchange in the clone unless
# ONDREL_EXCHANGE_DIR names another; the program and the sample site's scripts both see it. Beside
# the default one, build/archive is where the sample finishing script keeps its copies, as it does
# beside the packaged folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" run

# Everything but the tests and benchmarks: the program, the diagnostic program and the compressed
# man pages, so that `cd build/release && cpack -G DEB` works after this.
cmake --preset release -S "$root" -DONDREL_BUILD_TESTS=OFF -DONDREL_BUILD_BENCH=OFF >/dev/null
cmake --build --preset release

export ONDREL_EXCHANGE_DIR=${ONDREL_EXCHANGE_DIR:-$root/build/exchange}
if [ ! -d "$ONDREL_EXCHANGE_DIR" ]; then
    mkdir -p "$(dirname "$ONDREL_EXCHANGE_DIR")"
    mkdir -m 0750 "$ONDREL_EXCHANGE_DIR"
fi
if [ "$ONDREL_EXCHANGE_DIR" = "$root/build/exchange" ] && [ ! -d "$root/build/archive" ]; then
    mkdir -m 0750 "$root/build/archive"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found. Start the program on a desktop, or under a virtual one:" >&2
    echo "  xvfb-run -s '-screen 0 1920x1080x24' $0" >&2
    exit 1
fi

cd "$root/res/site"
exec "$root/build/release/app/ondrel-sign" "$@"
