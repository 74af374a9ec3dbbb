#!/usr/bin/env bash
# Tries the plug-in's editor in real hosts, as a musician would: Ardour 7 (its
# dummy audio backend) and Qtractor (on a JACK dummy server) each open the
# editor under Xvfb with a window manager (openbox); a dial is dragged and the
# Full Random button clicked through XTest, and the editor's pixels tell
# whether each moved. Prints PASS or FAIL per host; exits 1 when a host
# failed, 2 when something it needs is missing.
#
# Everything the hosts write (their configuration, caches, sessions) goes to
# a temporary folder that is removed afterwards; the user's own settings are
# never read or changed.
set -euo pipefail

usage() {
  cat <<'EOF'
Usage: scripts/try-hosts.sh [options]

Loads Kelvox2.so into Ardour 7 and Qtractor under Xvfb with openbox, drags a
dial and clicks a button of its editor, and checks with the editor's pixels
that each moved.

Options:
  --plugin PATH   the plug-in to load (default: build/Kelvox2.so, or
                  build/Kelvox2.clap with --format clap)
  --format NAME   vst (VST 2.4) or clap (CLAP: Qtractor only, as Debian's
                  Ardour 7 hosts no CLAP) (default: vst)
  --host NAME     ardour, qtractor or all (default: all)
  --tries N       drags and clicks per host (default: 4)
  --keep          keep the temporary folder (sessions, logs, screenshots)
  -h, --help      show this help

Needs the packages of 'scripts/install-deps.sh --hosts'.
EOF
}

root=$(cd "$(dirname "$0")/.." && pwd)
plugin=
format=vst
hosts=all
tries=4
keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    --plugin) plugin=${2:?--plugin needs a path}; shift 2 ;;
    --host) hosts=${2:?--host needs a name}; shift 2 ;;
    --format) format=${2:?--format needs a name}; shift 2 ;;
    --tries) tries=${2:?--tries needs a number}; shift 2 ;;
    --keep) keep=1; shift ;;
    -h|--help) usage; exit 0 ;;
    *) echo "try-hosts: unknown option '$1' (see --help)" >&2; exit 2 ;;
  esac
done
case "$hosts" in all|ardour|qtractor) ;; *) echo "try-hosts: --host must be ardour, qtractor or all" >&2; exit 2 ;; esac
case "$format" in vst) ;; clap)
  [ "$hosts" = ardour ] && { echo "try-hosts: Ardour 7 hosts no CLAP plug-ins; use --host qtractor" >&2; exit 2; }
  hosts=qtractor ;;
*) echo "try-hosts: --format must be vst or clap" >&2; exit 2 ;; esac
if [ -z "$plugin" ]; then
  if [ "$format" = clap ]; then plugin="$root/build/Kelvox2.clap"; else plugin="$root/build/Kelvox2.so"; fi
fi
case "$tries" in ''|*[!0-9]*|0) echo "try-hosts: --tries must be a positive number" >&2; exit 2 ;; esac
if [ ! -f "$plugin" ]; then
  echo "try-hosts: no plug-in at $plugin (build it first, or give --plugin)" >&2
  exit 2
fi

# Debian's own interpreter: it is the one that has python3-xlib.
python=/usr/bin/python3
missing=()
for tool in Xvfb openbox xwininfo $python; do command -v "$tool" >/dev/null || missing+=("$tool"); done
if [ "$hosts" != qtractor ]; then
  for tool in ardour ardour7-lua /usr/lib/ardour7/ardour-vst-scanner; do command -v "$tool" >/dev/null || missing+=("$tool"); done
fi
if [ "$hosts" != ardour ]; then
  for tool in qtractor jackd; do command -v "$tool" >/dev/null || missing+=("$tool"); done
fi
[ -x $python ] && ! $python -c 'import Xlib.ext.xtest' 2>/dev/null && missing+=(python3-xlib)
if [ ${#missing[@]} -gt 0 ]; then
  echo "try-hosts: missing ${missing[*]}; run 'scripts/install-deps.sh --hosts'" >&2
  exit 2
fi

work=$(mktemp -d /tmp/try-hosts.XXXXXX)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do
    # Each host runs in its own process group (setsid): end the group.
    kill -TERM -- "-$pid" 2>/dev/null || kill -TERM "$pid" 2>/dev/null || true
  done
  sleep 0.5
  for pid in "${pids[@]}"; do kill -KILL -- "-$pid" 2>/dev/null || true; done
  if [ "$keep" -eq 1 ]; then echo "try-hosts: kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A private home: every host reads and writes its settings there.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache"
export XDG_DATA_HOME="$work/home/.local/share" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# A copy newer than any cache the scanners write about it.
vst="$work/vst"
mkdir -p "$vst"
cp "$plugin" "$vst/Kelvox2.so"
export VST_PATH="$vst" LXVST_PATH="$vst"
clap="$work/clap"
mkdir -p "$clap"
cp "$plugin" "$clap/Kelvox2.clap"
export CLAP_PATH="$clap"

start() {  # start LOG COMMAND...: runs in its own process group
  local log=$1; shift
  setsid "$@" >"$log" 2>&1 </dev/null &
  pids+=($!)
  # Ended on purpose later: no job report from the shell.
  disown $!
}

stop_last() {  # ends the process group started last
  local pid=${pids[-1]}
  kill -TERM -- "-$pid" 2>/dev/null || true
  for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL -- "-$pid" 2>/dev/null || true
  unset 'pids[-1]'
}

wait_for_window() {  # wait_for_window REGEX SECONDS: prints the window id
  local pattern=$1 end=$((SECONDS + $2)) id
  while [ $SECONDS -lt $end ]; do
    id=$(xwininfo -root -tree 2>/dev/null | grep -E "^ +0x[0-9a-f]+ \"[^\"]*($pattern)" | head -n 1 | awk '{print $1}')
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.25
  done
  return 1
}

# Xvfb picks a free display and writes its number.
start "$work/xvfb.log" Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$work/display"
dpy=
for _ in $(seq 100); do
  dpy=$(head -n 1 "$work/display" 2>/dev/null || true)
  [ -n "$dpy" ] && break
  sleep 0.1
done
[ -n "$dpy" ] || { echo "try-hosts: Xvfb did not start" >&2; exit 2; }
export DISPLAY=":$dpy"
start "$work/openbox.log" openbox
sleep 1

# --- Ardour 7 -----------------------------------------------------------------
try_ardour() {
  local dir="$work/ardour" conf="$XDG_CONFIG_HOME/ardour7" session route proc
  mkdir -p "$dir" "$conf"
  # Been here before (no first-run wizard); the dummy backend shown, chosen
  # and started without the audio set-up dialog.
  touch "$conf/.a7"
  cat >"$conf/config" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="use-lxvst" value="1"/>
    <Option name="plugin-path-lxvst" value="$vst"/>
    <Option name="hide-dummy-backend" value="0"/>
    <Option name="try-autostart-engine" value="1"/>
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="None (Dummy)" driver="Normal Speed" device="Silence" input-device="" output-device="" sample-rate="48000" buffer-size="1024" n-periods="0" input-latency="0" output-latency="0" lm-input="" lm-output="" active="1" use-buffered-io="0" midi-option="1 in, 1 out, Silence" lru="1">
          <MIDIDevices/>
        </State>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
EOF
  # Ardour finds a VST 2 plug-in only through its scanner's cache.
  if ! LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst-scanner -q -f "$vst/Kelvox2.so" \
      >"$dir/scan.log" 2>&1; then
    echo "ardour: its scanner could not load the plug-in:"; sed 's/^/  /' "$dir/scan.log"; return 1
  fi
  # A session with a bus that holds the plug-in, made by Ardour itself.
  cat >"$dir/session.lua" <<EOF
AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:start(false)
create_session("$dir/try", "try", 48000)
local routes = Session:new_audio_route(2, 2, nil, 1, "Synth", ARDOUR.PresentationInfo.Flag.AudioBus,
                                       ARDOUR.PresentationInfo.max_order)
local proc = ARDOUR.LuaAPI.new_plugin(Session, "Kelvox2", ARDOUR.PluginType.LXVST, "")
if proc:isnil() then print("no plug-in named Kelvox2"); os.exit(1) end
routes:front():add_processor_by_index(proc, 0, nil, true)
Session:save_state("", false, false, false, false, false)
EOF
  # Ardour 7.3's headless interpreter sometimes aborts while it makes the
  # session (a port it has just made "already exists"): try again.
  local made=0
  for _ in 1 2 3; do
    rm -rf "$dir/try"
    if timeout 120 ardour7-lua "$dir/session.lua" >"$dir/session.log" 2>&1 </dev/null \
        && [ -f "$dir/try/try.ardour" ]; then
      made=1
      break
    fi
  done
  if [ "$made" -ne 1 ]; then
    echo "ardour: could not make a session with the plug-in:"; tail -n 5 "$dir/session.log" | sed 's/^/  /'
    return 1
  fi
  session="$dir/try/try.ardour"
  route=$(sed -n 's/.*<Route [^>]* id="\([0-9]*\)" name="Synth".*/\1/p' "$session" | head -n 1)
  proc=$(sed -n 's/.*<Processor id="\([0-9]*\)" name="Kelvox2".*/\1/p' "$session" | head -n 1)
  if [ -z "$route" ] || [ -z "$proc" ]; then echo "ardour: the session holds no Kelvox2"; return 1; fi
  # The GUI opens the plug-in's own editor with the session, as it does for
  # a session saved with the editor open.
  sed -i -e "s#</Session>#  <Extra>\n    <UI>\n      <Window name=\"P-$route-$proc\" visible=\"1\" x-off=\"100\" y-off=\"100\" x-size=\"-1\" y-size=\"-1\" custom-ui=\"1\"/>\n    </UI>\n  </Extra>\n</Session>#" \
    "$session"

  start "$dir/ardour.log" ardour -n -a "$session"
  local rc=0
  # A session opened for the first time says, in an untitled dialog, that
  # the engine's device has changed.
  $python "$root/scripts/editor-gestures.py" --label ardour --title 'Kelvox2.*\[VST\]' --dismiss '' \
    --tries "$tries" --timeout 90 || rc=$?
  stop_last
  if [ $rc -eq 2 ]; then
    echo "ardour: the editor did not open; last lines of its log:"; tail -n 8 "$dir/ardour.log" | sed 's/^/  /'
  fi
  return $rc
}

# --- Qtractor -----------------------------------------------------------------
try_qtractor() {
  local dir="$work/qtractor" conf="$XDG_CONFIG_HOME/rncbc.org" main error
  mkdir -p "$dir/session" "$conf"
  export JACK_DEFAULT_SERVER="try-hosts-$$" JACK_NO_AUDIO_RESERVATION=1
  start "$dir/jackd.log" jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 1024
  sleep 1
  printf '[Plugins]\nVst2Paths=%s\nClapPaths=%s\n\n[AutoSave]\nEnabled=false\n' "$vst" "$clap" >"$conf/Qtractor.conf"
  local type=VST2 file="$vst/Kelvox2.so"
  [ "$format" = clap ] && type=CLAP file="$clap/Kelvox2.clap"
  cat >"$dir/session/try.qtr" <<EOF
<!DOCTYPE qtractorSession>
<session version="Qtractor 0.9.31" name="try">
 <properties>
  <directory>$dir/session</directory>
  <sample-rate>48000</sample-rate>
  <tempo>120</tempo>
  <ticks-per-beat>960</ticks-per-beat>
  <beats-per-bar>4</beats-per-bar>
  <beat-divisor>2</beat-divisor>
 </properties>
 <devices>
  <audio-engine>
   <audio-bus name="Master" mode="duplex"><channels>2</channels><auto-connect>1</auto-connect></audio-bus>
  </audio-engine>
  <midi-engine>
   <midi-bus name="Master" mode="duplex"/>
  </midi-engine>
 </devices>
 <tracks>
  <track name="Synth" type="audio">
   <properties><input-bus>Master</input-bus><output-bus>Master</output-bus></properties>
   <view><height>96</height></view>
   <plugins>
    <plugin type="$type">
     <filename>$file</filename>
     <index>0</index>
     <label>Kelvox2</label>
     <activated>1</activated>
    </plugin>
   </plugins>
  </track>
 </tracks>
</session>
EOF
  # Run from its folder: Qtractor saves beside where it runs.
  start "$dir/qtractor.log" env -C "$dir" qtractor "$dir/session/try.qtr"
  # Without an ALSA sequencer (containers, machines without sound) Qtractor
  # says in a dialog that its MIDI engine could not start; its audio engine
  # runs on JACK all the same.
  $python "$root/scripts/editor-gestures.py" --answer-only --dismiss 'Error — Qtractor' --title 'try\.qtr — Qtractor' \
    --timeout 30 >/dev/null 2>&1 || true
  if ! main=$(wait_for_window 'try\.qtr — Qtractor' 30); then
    echo "qtractor: the session did not open; last lines of its log:"; tail -n 8 "$dir/qtractor.log" | sed 's/^/  /'
    stop_last; stop_last; return 1
  fi
  # The plug-in's editor opens with a double click on it in the track list.
  $python - "$main" <<'EOF'
import sys, time
from Xlib import X, display
from Xlib.ext import xtest
d = display.Display()
w = d.create_resource_object("window", int(sys.argv[1], 16))
t = w.translate_coords(d.screen().root, 0, 0)
x, y = -t.x + 179, -t.y + 179
xtest.fake_input(d, X.MotionNotify, x=x, y=y); d.sync(); time.sleep(0.2)
for _ in range(2):
    xtest.fake_input(d, X.ButtonPress, 1); d.sync(); time.sleep(0.03)
    xtest.fake_input(d, X.ButtonRelease, 1); d.sync(); time.sleep(0.08)
EOF
  local rc=0
  # A CLAP editor is embedded straight into the top-level window.
  local depth=2
  [ "$format" = clap ] && depth=1
  $python "$root/scripts/editor-gestures.py" --label qtractor --title 'Kelvox2 - Synth' \
    --depth "$depth" --tries "$tries" --timeout 30 || rc=$?
  stop_last
  stop_last
  return $rc
}

failed=()
began=$SECONDS
for host in ardour qtractor; do
  [ "$hosts" = all ] || [ "$hosts" = "$host" ] || continue
  host_began=$SECONDS
  echo "== $host"
  if "try_$host"; then
    echo "PASS $host ($((SECONDS - host_began)) s)"
  else
    echo "FAIL $host ($((SECONDS - host_began)) s)"
    failed+=("$host")
  fi
done
echo "try-hosts: $((SECONDS - began)) s"
[ ${#failed[@]} -eq 0 ]
