#!/usr/bin/env bash
# Runs a Windows program under wine for the tests: quietly, without the
# installer dialogs of a new prefix, in the throw-away prefix that WINEPREFIX
# names (scripts/test-windows.sh makes one and starts Xvfb for DISPLAY).
#
# The program's output goes through a file: wine may start its own
# background processes (services, the desktop) from any program, and they
# would keep a pipe to the caller open long after the program has ended.
set -euo pipefail
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run: set WINEPREFIX to a throw-away wine prefix (scripts/test-windows.sh does)" >&2
  exit 2
fi
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG="${WINEDEBUG:--all}"
output=$(mktemp)
trap 'rm -f "$output"' EXIT
status=0
"${KX_WINE:-/usr/lib/wine/wine64}" "$@" >"$output" 2>&1 </dev/null || status=$?
cat "$output"
exit "$status"
