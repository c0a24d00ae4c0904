#!/usr/bin/env bash
# Runs the cross-built trophex-cli of TARGET (aarch64, windows, wasm or soft; built by
# tools/cross.sh) with the arguments, in the current folder, as the native one would run:
#   bash tools/cross-run.sh wasm --json examples/example.tpx
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=${1:?usage: tools/cross-run.sh aarch64|windows|wasm|soft ARGS...}
shift
case $target in
  aarch64) exec qemu-aarch64 -L /usr/aarch64-linux-gnu "$root/build-aarch64/cli/trophex-cli" "$@" ;;
  windows) exec "$root/tools/cross/wine-run.sh" "$root/build-windows/cli/trophex-cli.exe" "$@" ;;
  wasm) exec node "$root/build-wasm/cli/trophex-cli.js" "$@" ;;
  soft) exec "$root/build-soft/cli/trophex-cli" "$@" ;;
  *) echo "unknown target $target (aarch64, windows, wasm or soft)" >&2; exit 2 ;;
esac
