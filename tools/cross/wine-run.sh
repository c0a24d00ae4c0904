#!/usr/bin/env bash
# Runs a Windows program under wine without wine's own messages, in a wine prefix of the
# build's own (created on first use).
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/trophex-wine}
exec wine "$@"
