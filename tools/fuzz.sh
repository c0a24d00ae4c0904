#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, ASan and UBSan into build-fuzz/ and runs
# each for the given number of seconds (default 60) on its seed corpus from
# tests/fuzz/corpus/. New inputs the fuzzer finds go to build-fuzz/corpus/, crashing
# inputs to build-fuzz/crashes/. Fails when any target finds a crash or a broken invariant.
# Arguments after the number of seconds go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
bash tools/deps.sh cmake ninja-build clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTROPHEX_FUZZ=ON \
  -DTROPHEX_BUILD_GUI=OFF -DTROPHEX_BUILD_BENCH=OFF "$@" >/dev/null
cmake --build build-fuzz -j2

for target in number_reader data_file calculation json_output batch_table samples_reader; do
  mkdir -p "build-fuzz/corpus/$target" build-fuzz/crashes
  options=()
  # The table seeds of a megabyte are replayed whole by CTest; fuzzing works on shorter tables.
  if [ "$target" = batch_table ] || [ "$target" = samples_reader ]; then options=(-max_len=16384); fi
  echo "== fuzzing $target for ${seconds}s"
  build-fuzz/tests/fuzz/${target}_fuzz "build-fuzz/corpus/$target" "tests/fuzz/corpus/$target" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "${options[@]}" \
    -artifact_prefix="build-fuzz/crashes/$target-" 2>"build-fuzz/$target.log" \
    || { tail -n 40 "build-fuzz/$target.log"; exit 1; }
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb|cov:" "build-fuzz/$target.log" | tail -n 3
done
