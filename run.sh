#!/usr/bin/env bash
# Installs what the project needs (Debian 12), builds the game without
# sanitizers in build/release and starts it.
set -euo pipefail
cd "$(dirname "$0")"

tools/install_packages.sh
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORDALT_SANITIZE=OFF -DKORDALT_TESTS=OFF
cmake --build "$build" --target kordalt
if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -n "${DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=xcb
fi
exec "$build/bin/kordalt" "$@"
