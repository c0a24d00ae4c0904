#!/usr/bin/env bash
# Builds the browser page: the engine compiled with Debian's emscripten in the software
# extended format (build-web/engine/), then the page's script and styles bundled with it
# into one self-contained file, build-web/trophex.html, whose path is the last line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh cmake ninja-build emscripten nodejs
command -v npm >/dev/null || bash tools/deps.sh npm
export NODE_PATH=/usr/share/nodejs  # emscripten's own tools need acorn from there
[ -w /usr/share/emscripten/cache ] || export EM_CACHE=${EM_CACHE:-$PWD/build-web/emcache}  # Debian's cache, when writable, holds the built libraries

source tools/compiler-cache.sh
cmake -S . -B build-web/engine -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=tools/cross/web.cmake \
  -DTROPHEX_SOFT_EXTENDED=ON -DTROPHEX_BUILD_WEB=ON -DTROPHEX_BUILD_GUI=OFF -DTROPHEX_BUILD_TESTS=OFF \
  -DTROPHEX_BUILD_BENCH=OFF -DTROPHEX_WERROR=ON "${compiler_cache[@]}" "$@" >/dev/null
cmake --build build-web/engine -j2 --target trophex_web

(cd web && { [ -d node_modules ] && [ node_modules/.package-lock.json -nt package-lock.json ] || npm ci --no-audit --no-fund --loglevel=error; })
node web/build.mjs build-web/engine/web/trophex-engine.js build-web/trophex.html
echo "$PWD/build-web/trophex.html"
