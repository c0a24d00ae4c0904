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
source tools/compiler-cache.sh
# Line tables only: enough for the reports of a crash, at a lower cost in compile time.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -gline-tables-only -DNDEBUG" -DTROPHEX_FUZZ=ON "${compiler_cache[@]}" \
  -DTROPHEX_BUILD_GUI=OFF -DTROPHEX_BUILD_BENCH=OFF "$@" >/dev/null
cmake --build build-fuzz -j2

# Fuzzes one target for the given seconds; its log goes to build-fuzz/TARGET.log.
fuzz() {
  local target=$1 options=()
  mkdir -p "build-fuzz/corpus/$target" build-fuzz/crashes
  # The table seeds of a megabyte are replayed whole by CTest; fuzzing works on shorter tables.
  if [ "$target" = batch_table ] || [ "$target" = samples_reader ]; then options=(-max_len=16384); fi
  build-fuzz/tests/fuzz/${target}_fuzz "build-fuzz/corpus/$target" "tests/fuzz/corpus/$target" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "${options[@]}" \
    -artifact_prefix="build-fuzz/crashes/$target-" 2>"build-fuzz/$target.log"
}

# The targets run two at a time (TROPHEX_FUZZ_JOBS), each for the full time.
jobs=${TROPHEX_FUZZ_JOBS:-2}
targets=(number_reader data_file calculation json_output batch_table samples_reader)
declare -A running=()
failed=()
finish_one() {
  local pid
  wait -n -p pid "${!running[@]}" || failed+=("${running[$pid]}")
  report "${running[$pid]}"
  unset "running[$pid]"
}
report() {
  echo "== fuzzed $1 for ${seconds}s"
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb|cov:" "build-fuzz/$1.log" | tail -n 3
}
for target in "${targets[@]}"; do
  [ "${#running[@]}" -lt "$jobs" ] || finish_one
  fuzz "$target" &
  running[$!]=$target
done
while [ "${#running[@]}" -gt 0 ]; do finish_one; done
for target in "${failed[@]}"; do
  echo "== $target failed:"
  tail -n 40 "build-fuzz/$target.log"
done
[ "${#failed[@]}" -eq 0 ]
