#!/usr/bin/env bash
# Builds the Windows plug-in and its test programs (scripts/build-windows.sh)
# and runs the tests under wine, on a private Xvfb display, in a throw-away
# wine prefix. The comparison with the Linux plug-in uses the Linux release
# tree in build/ (bash scripts/build.sh -DKX_TESTS=ON).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --windows-tests
bash scripts/build-windows.sh

work=$(mktemp -d /tmp/kelvox2-wine.XXXXXX)
export WINEPREFIX=$work/prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
xvfb_pid=""
cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "test-windows: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(tr -d '\n' <"$work/display")"

# A new prefix, made before the tests start so that they don't race to make
# it; then a wineserver that stays up between the test programs, with wine's
# own services already running.
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 </dev/null
/usr/lib/wine/wineserver -w
/usr/lib/wine/wineserver -p
/usr/lib/wine/wine64 wineboot >/dev/null 2>&1 </dev/null

status=0
ctest --test-dir build-windows -j2 --output-on-failure 2>&1 | tee "$work/ctest.log" || status=$?

# Each test program runs all its cases: add up GoogleTest's own counts, and
# the script tests (dll.*) one each.
log=build-windows/Testing/Temporary/LastTest.log
cases() { { grep -hoE "^\[ +$1 +\] [0-9]+ tests?" "$log" || true; } | awk '{n += $(NF-1)} END {print n + 0}'; }
scripts() { grep -cE "Test +#[0-9]+: dll\..*$1" "$work/ctest.log" || true; }
passed=$(( $(cases PASSED) + $(scripts Passed) ))
failed=$(( $(cases FAILED) + $(scripts Failed) ))
skipped=$(cases SKIPPED)
if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then
  failed=$(grep -oE '[0-9]+ tests failed' "$work/ctest.log" | grep -oE '^[0-9]+' || echo 1)  # a program that died
fi
echo "windows: $passed passed, $failed failed, $skipped skipped"
exit "$status"
