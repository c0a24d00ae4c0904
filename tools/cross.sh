#!/usr/bin/env bash
# Cross-builds the model, file and batch libraries, trophex-cli and the test suite without
# windows for TARGET into build-TARGET/, runs that suite under the target's emulator, and
# checks that trophex-cli there writes byte for byte what the native one writes (readable
# page, JSON, batch and load response):
#   aarch64  Debian's aarch64 cross compiler, run under qemu-user
#   windows  mingw-w64, run under wine
#   wasm     Debian's emscripten, run under node with direct access to the files
#   soft     this machine, with the software extended format instead of the x87's
# The native build (build/) is made first when it is missing; it generates the shared
# synthetic lakes, so that their input does not depend on the target's C library.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: tools/cross.sh aarch64|windows|wasm|soft [CMAKE-OPTIONS...]}
shift
lakes=${TROPHEX_CROSS_LAKES:-20000}

case $target in
  aarch64) bash tools/deps.sh cmake ninja-build googletest g++-aarch64-linux-gnu qemu-user ;;
  windows) bash tools/deps.sh cmake ninja-build googletest g++-mingw-w64-x86-64-posix wine wine64 ;;
  wasm)
    bash tools/deps.sh cmake ninja-build googletest emscripten nodejs
    export NODE_PATH=/usr/share/nodejs  # emscripten's own tools need acorn from there
    ;;
  soft) bash tools/deps.sh cmake ninja-build googletest libgtest-dev ;;
  *) echo "unknown target $target (aarch64, windows, wasm or soft)" >&2; exit 2 ;;
esac
source tools/compiler-cache.sh

builddir=build-$target
if [ "$target" = soft ]; then
  configure=(-DTROPHEX_SOFT_EXTENDED=ON)
else
  configure=(-DCMAKE_TOOLCHAIN_FILE="tools/cross/$target.cmake" -DTROPHEX_GTEST_SOURCE=/usr/src/googletest)
fi
# The benchmarks are built by hand where wanted (see the README's Performance section).
cmake -S . -B "$builddir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTROPHEX_BUILD_GUI=OFF -DTROPHEX_BUILD_BENCH=OFF \
  "${compiler_cache[@]}" "${configure[@]}" "$@" >/dev/null
cmake --build "$builddir" -j2
# Wine makes its prefix on its first start, which takes far longer than any test; that is
# done before the tests, and wine is left idle.
if [ "$target" = windows ]; then
  echo "== windows: wine prefix"
  tools/cross/wine-run.sh --prepare
fi
echo "== $target: test suite"
ctest --test-dir "$builddir" --output-on-failure -j2

echo "== $target: the same output as the native build"
[ -x build/cli/trophex-cli ] || bash tools/build.sh build
work=$builddir/differential
mkdir -p "$work"
build/cli/trophex-cli batch --generate "$lakes" -o "$work/lakes.csv"
data=(examples/*.tpx tests/golden/*.tpx tests/golden/missing.tpx)
for run in "json --json ${data[*]}" "page ${data[*]}" "batch batch $work/lakes.csv" "raw batch --raw $work/lakes.csv" \
  "response response --json ${data[*]}" "response_page response ${data[*]}" \
  "target batch --target ecoregion $work/lakes.csv" "target_raw batch --raw --target tsi=50 --model $work/lakes.csv"; do
  name=${run%% *}
  read -r -a args <<<"${run#* }"
  LC_ALL=C build/cli/trophex-cli "${args[@]}" >"$work/$name.native" 2>&1 || true
  LC_ALL=C bash tools/cross-run.sh "$target" "${args[@]}" >"$work/$name.$target" 2>&1 || true
  if ! cmp "$work/$name.native" "$work/$name.$target"; then
    echo "$target: trophex-cli ${args[*]} differs from the native build" >&2
    exit 1
  fi
  echo "same output: $name ($(wc -c <"$work/$name.native") bytes)"
done
