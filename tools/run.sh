#!/usr/bin/env bash
# Builds the project and starts the desktop program (which says so when there is no display).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh build
exec build/app/trophex
