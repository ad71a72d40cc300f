#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it in the bundled sample site.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" run

cmake --preset release -S "$root" -DONDREL_BUILD_TESTS=OFF -DONDREL_BUILD_BENCH=OFF >/dev/null
cmake --build --preset release --target ondrel-sign

exchange=${ONDREL_EXCHANGE_DIR:-/tmp/ondrelTemp}
mkdir -p "$exchange"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found. Start the program on a desktop, or under a virtual one:" >&2
    echo "  xvfb-run -s '-screen 0 1920x1080x24' $0" >&2
    exit 1
fi

cd "$root/res/site"
exec "$root/build/release/ondrel-sign" "$@"
