#!/usr/bin/env bash
# Builds the project with warnings as errors and runs every test: the test suite of the
# normal build, followed by the checks of the Debian package and of an installation
# (tools/check_package.sh); the same suite, window and report tests included, built with
# AddressSanitizer and UndefinedBehaviorSanitizer (into build-asan/); the batch tests and a
# multi-threaded batch run built with ThreadSanitizer (into build-tsan/); each fuzz target
# for 60 seconds (tools/fuzz.sh, into build-fuzz/); and the suite without windows built
# with the software extended format (build-soft/) and for ARM64, Windows and WebAssembly
# (tools/cross.sh, into build-TARGET/), each also compared byte for byte with the native
# runner's output; the browser page (tools/web-test.sh: built into one file and checked in
# headless Chromium and Firefox against the runner's output); and the R package (tools/r-test.sh: built, checked and tested against the
# runner's output). Each stage is a function named in $stages; each prints its duration,
# and the log ends with a table of them all.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

# The sanitizer builds keep line tables for their reports but no descriptions of local
# variables, which would take a third of their compile time.
sanitizer_flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")

stage_native() {
  bash tools/build.sh build -DTROPHEX_WERROR=ON
  ctest --test-dir build --output-on-failure -j2
}

stage_package() {
  local deb
  deb=$(bash tools/package.sh build | tail -n 1)
  bash tools/check_package.sh "$deb" build
}

stage_asan() {
  bash tools/build.sh build-asan "${sanitizer_flags[@]}" -DTROPHEX_SANITIZE=ON -DTROPHEX_WERROR=ON \
    -DTROPHEX_BUILD_GUI=ON -DTROPHEX_BUILD_BENCH=OFF
  LSAN_OPTIONS="suppressions=$PWD/tools/lsan-suppressions.txt:print_suppressions=0" \
    ctest --test-dir build-asan --output-on-failure -j2
}

# The batch and samples tests, and a four-thread batch run of 20,000 lakes.
stage_tsan() {
  bash tools/build.sh build-tsan "${sanitizer_flags[@]}" -DTROPHEX_SANITIZE_THREAD=ON -DTROPHEX_WERROR=ON \
    -DTROPHEX_BUILD_GUI=OFF -DTROPHEX_BUILD_BENCH=OFF -- batch_tests samples_tests trophex-cli
  TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/batch_tests
  TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/samples_tests
  TSAN_OPTIONS=halt_on_error=1 build-tsan/cli/trophex-cli batch --generate 20000 -o build-tsan/lakes.csv
  TSAN_OPTIONS=halt_on_error=1 build-tsan/cli/trophex-cli batch --threads 4 build-tsan/lakes.csv -o build-tsan/results.csv
  # The rows of four threads are those of one.
  build/cli/trophex-cli batch --threads 1 build-tsan/lakes.csv | cmp - build-tsan/results.csv
  echo "the four-thread batch run gave the rows of one thread"
}

stage_fuzz() { bash tools/fuzz.sh 60 -DTROPHEX_WERROR=ON; }
stage_soft() { bash tools/cross.sh soft -DTROPHEX_WERROR=ON; }
stage_aarch64() { bash tools/cross.sh aarch64 -DTROPHEX_WERROR=ON; }
stage_windows() { bash tools/cross.sh windows -DTROPHEX_WERROR=ON; }
stage_wasm() { bash tools/cross.sh wasm -DTROPHEX_WERROR=ON; }
stage_web() { bash tools/web-test.sh; }
stage_r() { bash tools/r-test.sh; }

stages=(native package asan tsan fuzz soft aarch64 windows wasm web r)

durations=()
stage=
print_durations() {
  local status=$?
  [ "$status" -eq 0 ] || durations+=("$stage(failed) $((SECONDS - start))")
  echo "== stage durations"
  printf '%-16s %8s\n' stage seconds
  local row
  for row in "${durations[@]}"; do printf '%-16s %8s\n' $row; done
  printf '%-16s %8s\n' total "$SECONDS"
}
trap print_durations EXIT
for stage in "${stages[@]}"; do
  echo "== stage $stage"
  start=$SECONDS
  "stage_$stage"
  durations+=("$stage $((SECONDS - start))")
  echo "== stage $stage took $((SECONDS - start))s"
done
stage=
