#!/usr/bin/env bash
# Configures and builds the project into build/ (or the folder given as $1).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh cmake ninja-build g++ pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev \
  qt6-base-dev qt6-svg-dev fonts-liberation poppler-utils locales
builddir=${1:-build}
shift || true
cmake -S . -B "$builddir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$builddir"
