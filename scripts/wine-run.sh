#!/usr/bin/env bash
# Runs a Windows program under wine for the tests: quietly, without the
# installer dialogs of a new prefix, in the throw-away prefix that WINEPREFIX
# names (scripts/test-windows.sh makes one and starts Xvfb for DISPLAY).
set -euo pipefail
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run: set WINEPREFIX to a throw-away wine prefix (scripts/test-windows.sh does)" >&2
  exit 2
fi
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG="${WINEDEBUG:--all}"
exec "${KX_WINE:-/usr/lib/wine/wine64}" "$@"
