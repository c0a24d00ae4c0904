#!/usr/bin/env bash
# Builds the project and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh build
exec build/cli/trophex-cli examples/*.tpx
