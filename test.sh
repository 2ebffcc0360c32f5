#!/usr/bin/env bash
# Installs what the project needs (Debian 12), builds with the address and
# undefined-behaviour sanitizers, and runs every test. Extra arguments go to ctest
# (for example: ./test.sh -L game).
set -euo pipefail
cd "$(dirname "$0")"

tools/install_packages.sh

build=build/asan
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORDALT_SANITIZE=ON
cmake --build "$build"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/tests/support/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600 "$@"
