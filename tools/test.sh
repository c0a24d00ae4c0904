#!/usr/bin/env bash
# Builds the project and runs every test: the test suite of the normal build, the checks
# of the Debian package and of an installation (tools/check_package.sh), the same suite
# built with AddressSanitizer and UndefinedBehaviorSanitizer (into build-asan/), and each
# fuzz target for 60 seconds (tools/fuzz.sh, into build-fuzz/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure

echo "== package and installation"
deb=$(bash tools/package.sh build | tail -n 1)
bash tools/check_package.sh "$deb" build

echo "== test suite with AddressSanitizer and UndefinedBehaviorSanitizer"
bash tools/build.sh build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTROPHEX_SANITIZE=ON \
  -DTROPHEX_BUILD_GUI=OFF -DTROPHEX_BUILD_BENCH=OFF
LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp" ctest --test-dir build-asan --output-on-failure -j2

echo "== fuzz targets"
bash tools/fuzz.sh 60
