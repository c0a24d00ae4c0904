#!/usr/bin/env bash
# Builds, installs, checks and tests the R package: writes the outputs of trophex-cli that
# its tests compare with (TROPHEX_R_LAKES synthetic lakes, 10,000 by default), builds the
# tarball with them, and runs R CMD check --no-manual on it, which installs the package,
# runs its examples, its tests and its vignette. Fails on an ERROR or a WARNING of the
# check or a failed test; the last line counts the tests.
#   bash tools/r-test.sh
#   TROPHEX_CLI=path/to/trophex-cli bash tools/r-test.sh   # with a trophex-cli built elsewhere
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build-r
mkdir -p "$out"
. "$root/tools/r-env.sh"

cli=${TROPHEX_CLI:-}
if [ -z "$cli" ]; then
  # The project's own build folder: trophex-cli is brought up to date there (a no-op when it is).
  bash "$root/tools/build.sh" build -- trophex-cli >/dev/null
  cli=$root/build/cli/trophex-cli
fi
rm -rf "$out/fixtures"
bash "$root/tools/r-fixtures.sh" "$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")" "$out/fixtures/large" \
  "${TROPHEX_R_LAKES:-10000}"

tarball=$(bash "$root/tools/r-package.sh" "$out" | tail -n 1)
rm -rf "$out/check"
mkdir -p "$out/check"
status=0
(cd "$out/check" && R CMD check --no-manual "$tarball" >check.log 2>&1) || status=$?
cat "$out/check/check.log"
summary=$(grep -ho '\[ FAIL [0-9]* | WARN [0-9]* | SKIP [0-9]* | PASS [0-9]* \]' \
  "$out/check/trophex.Rcheck/tests/testthat.Rout"* 2>/dev/null | tail -n 1 || true)
passed=$(echo "$summary" | sed -n 's/.*PASS \([0-9]*\).*/\1/p')
failed=$(echo "$summary" | sed -n 's/.*FAIL \([0-9]*\).*/\1/p')
echo "r: ${passed:-0} passed, ${failed:-?} failed"
if [ "$status" -ne 0 ] || grep -q '^Status: .*\(ERROR\|WARNING\)' "$out/check/check.log" || [ "${failed:-1}" != 0 ]; then
  exit 1
fi
