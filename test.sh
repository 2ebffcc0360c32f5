#!/usr/bin/env bash
# Installs what the project needs (Debian 12), builds with the address and
# undefined-behaviour sanitizers, and runs every test. Extra arguments go to ctest
# (for example: ./test.sh -L game).
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-charts-dev
  libfluidsynth-dev timgm6mb-soundfont
  libcurl4-openssl-dev libasio-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  liblz4-dev zlib1g-dev
  fonts-dejavu-core fonts-liberation2
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

build=build/asan
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORDALT_SANITIZE=ON
cmake --build "$build"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/tests/support/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600 "$@"
