#!/usr/bin/env bash
# Configures and builds the project into build/ (or the folder given as $1), passing the
# further arguments to CMake; after "--", only the targets named are built.
#   bash tools/build.sh build-tsan -DTROPHEX_SANITIZE_THREAD=ON -- batch_tests trophex-cli
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh cmake ninja-build g++ pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev \
  qt6-base-dev qt6-svg-dev fonts-liberation poppler-utils locales
source tools/compiler-cache.sh
builddir=${1:-build}
shift || true
cmake_args=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  cmake_args+=("$1")
  shift
done
shift || true
targets=()
for target in "$@"; do
  targets+=(--target "$target")
done
cmake -S . -B "$builddir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${compiler_cache[@]}" "${cmake_args[@]}" >/dev/null
cmake --build "$builddir" -j2 "${targets[@]}"
