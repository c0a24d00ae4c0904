#!/usr/bin/env bash
# Runs a Windows program under wine without wine's own messages, in a wine prefix of the
# project's own that outlives the clone (~/.cache/trophex-wine unless WINEPREFIX says).
#   wine-run.sh --prepare   makes the prefix now, when missing, and waits until wine has
#                           finished with it, so that no test's time includes wine's set-up
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/trophex-wine}
if [ "${1:-}" = --prepare ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  wine wineboot --init
  exec wineserver -w
fi
exec wine "$@"
