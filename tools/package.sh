#!/usr/bin/env bash
# Builds the Debian package of the programs into build/ (or the folder given as $1) and
# prints its path as the last line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh dpkg-dev file
builddir=${1:-build}
bash tools/build.sh "$builddir" >&2
report=$(cd "$builddir" && cpack -G DEB)
echo "$report" >&2
sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' <<<"$report" | tail -n 1
