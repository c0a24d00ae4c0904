#!/usr/bin/env bash
# Builds the project and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "trophex needs a graphical display, and none is set (DISPLAY and WAYLAND_DISPLAY are empty)." >&2
  exit 1
fi
exec build/app/trophex
