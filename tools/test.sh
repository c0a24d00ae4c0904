#!/usr/bin/env bash
# Builds the project with warnings as errors and runs every test: the test suite of the
# normal build, followed by the checks of the Debian package and of an installation
# (tools/check_package.sh); the same suite, window and report tests included, built with
# AddressSanitizer and UndefinedBehaviorSanitizer (into build-asan/); the batch tests and a
# multi-threaded batch run built with ThreadSanitizer (into build-tsan/); each fuzz target
# for 60 seconds (tools/fuzz.sh, into build-fuzz/); and the suite without windows built
# with the software extended format (build-soft/) and for ARM64, Windows and WebAssembly
# (tools/cross.sh, into build-TARGET/), each also compared byte for byte with the native
# runner's output.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
bash tools/build.sh build -DTROPHEX_WERROR=ON
ctest --test-dir build --output-on-failure

echo "== package and installation"
deb=$(bash tools/package.sh build | tail -n 1)
bash tools/check_package.sh "$deb" build

echo "== test suite with AddressSanitizer and UndefinedBehaviorSanitizer"
bash tools/build.sh build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTROPHEX_SANITIZE=ON -DTROPHEX_WERROR=ON \
  -DTROPHEX_BUILD_GUI=ON -DTROPHEX_BUILD_BENCH=OFF
LSAN_OPTIONS="suppressions=$PWD/tools/lsan-suppressions.txt:print_suppressions=0" \
  ctest --test-dir build-asan --output-on-failure -j2

echo "== batch tests and a four-thread batch run with ThreadSanitizer"
bash tools/build.sh build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTROPHEX_SANITIZE_THREAD=ON -DTROPHEX_WERROR=ON \
  -DTROPHEX_BUILD_GUI=OFF -DTROPHEX_BUILD_BENCH=OFF -- batch_tests trophex-cli
export TSAN_OPTIONS=halt_on_error=1
build-tsan/tests/batch_tests
build-tsan/cli/trophex-cli batch --generate 20000 -o build-tsan/lakes.csv
build-tsan/cli/trophex-cli batch --threads 4 build-tsan/lakes.csv -o build-tsan/results.csv
# The rows of four threads are those of one.
build/cli/trophex-cli batch --threads 1 build-tsan/lakes.csv | cmp - build-tsan/results.csv
echo "the four-thread batch run gave the rows of one thread"
unset TSAN_OPTIONS

echo "== fuzz targets"
bash tools/fuzz.sh 60 -DTROPHEX_WERROR=ON

for target in soft aarch64 windows wasm; do
  echo "== $target"
  bash tools/cross.sh "$target" -DTROPHEX_WERROR=ON
done
