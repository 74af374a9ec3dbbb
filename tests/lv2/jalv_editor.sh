#!/usr/bin/env bash
# The editor embedded in a real LV2 host's window: jalv's GTK front-end
# under Xvfb and openbox, on a dummy JACK server of its own. A drag on a
# dial and a click on a button, given through XTest, must change what the
# editor shows (scripts/editor-gestures.py).
# usage: jalv_editor.sh BUNDLE_DIR GESTURES_SCRIPT WORK_DIR
set -u
bundle=$1 gestures=$2 work=$3
python=/usr/bin/python3
for tool in Xvfb openbox jackd jalv.gtk3 $python; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing (scripts/install-deps.sh)"; exit 77; }
done
$python -c 'import Xlib.ext.xtest' 2>/dev/null || { echo "skipped: python3-xlib is missing"; exit 77; }

rm -rf "$work" && mkdir -p "$work/lv2" && ln -s "$bundle" "$work/lv2/"
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  wait 2>/dev/null
}
trap cleanup EXIT

# Xvfb picks a free display and tells its number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
export JACK_DEFAULT_SERVER="kx_jalv_$$" JACK_NO_AUDIO_RESERVATION=1
jackd --no-realtime -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
pids+=($!)
sleep 1
LV2_PATH="$work/lv2:/usr/lib/lv2" jalv.gtk3 urn:kelvox2:kelvox2 >"$work/jalv.log" 2>&1 &
pids+=($!)

$python "$gestures" --label jalv --title '^Kelvox2$' --tries 2 --timeout 30
status=$?
[ $status -eq 0 ] || cat "$work/jalv.log"
exit $status
