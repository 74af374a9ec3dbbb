#!/usr/bin/env bash
# Renders one MIDI phrase through the LV2 bundle in Ardour 7's headless
# session (ardour7-lua, its dummy backend, a freewheel export to a 32-bit
# float WAV) and through the VST 2.4 module with 'kelvox2 render', at
# 48 kHz, and compares the samples. Exits 0 when they agree, 1 when they do
# not, 2 on bad use, 77 when Ardour 7 is not installed.
#
# What may differ, and why: every voice adds an anti-denormal offset drawn
# from the process-wide random generator (below 5e-6 times the main gain),
# and Ardour moves that generator with calls of its own before the phrase
# starts (instances made at load, cycles run while the session loads). So
# the two renders agree to within that offset at every sample; anything
# larger (an offset in time, a gain, a dither) fails. Ardour also ramps its
# fader up from silence when the transport starts: the phrase begins with a
# second of silence.
#
# Ardour reads its settings from a private home in a temporary folder that is
# removed afterwards; the user's own settings are never read or changed.
set -euo pipefail

usage() {
  cat <<'EOF'
Usage: scripts/ardour-lv2-render.sh [options]

Plays a short MIDI phrase through Kelvox2.lv2 in Ardour 7's headless Lua
session and through Kelvox2.so with 'kelvox2 render', and compares the two
renders sample by sample.

Options:
  --build DIR   the build folder holding Kelvox2.lv2/, Kelvox2.so and
                kelvox2 (default: build)
  --keep        keep the temporary folder (session, MIDI file, renders, logs)
  --lfo         also turn the tempo-synced LFO up (the renders then differ by
                up to about 1e-4, which fails)
  -h, --help    show this help

Needs ardour7-lua (Debian package 'ardour') and python3.
EOF
}

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
keep=0
lfo=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=${2:?--build needs a folder}; shift 2 ;;
    --keep) keep=1; shift ;;
    --lfo) lfo=1; shift ;;
    -h|--help) usage; exit 0 ;;
    *) echo "ardour-lv2-render: unknown option '$1' (see --help)" >&2; exit 2 ;;
  esac
done
[ -d "$build" ] || { echo "ardour-lv2-render: no build folder $build" >&2; exit 2; }
build=$(cd "$build" && pwd)
for f in Kelvox2.lv2/manifest.ttl Kelvox2.so kelvox2; do
  [ -e "$build/$f" ] || { echo "ardour-lv2-render: no $build/$f (build it first)" >&2; exit 2; }
done
command -v ardour7-lua >/dev/null || { echo "skipped: ardour7-lua is missing (Debian package 'ardour')"; exit 77; }
command -v python3 >/dev/null || { echo "skipped: python3 is missing"; exit 77; }

work=$(mktemp -d /tmp/ardour-lv2-render.XXXXXX)
cleanup() {
  if [ "$keep" -eq 1 ]; then echo "ardour-lv2-render: kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache"
export XDG_DATA_HOME="$work/home/.local/share" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/ardour7/export" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$work/lv2" "$work/out"
mkdir -m 700 "$XDG_RUNTIME_DIR"
ln -s "$build/Kelvox2.lv2" "$work/lv2/"
export LV2_PATH="$work/lv2"

rate=48000
uri=urn:kelvox2:kelvox2
# A patch away from the defaults, noise off (it would draw from the shared
# generator): "INDEX NAME=VALUE LV2-VALUE", the tool's text and the port's
# value.
settings=("0 Wave1=Sawtooth 3" "4 Porta1=0.05 0.05" "7 Wave2=Square 2" "9 Detune2=7 7")
# The LFO follows the host's song position (120 bpm on both sides); with it
# the renders differ slightly (below 1e-4), so it is asked for apart: a
# square LFO's edges land up to 6 frames away from the tool's, within half a
# tick of Ardour's 1920 per beat (12.5 frames here), as if the positions
# Ardour sends were on that grid.
[ "$lfo" -eq 1 ] && settings+=("26 LFODepth=30 30" "24 LFOFreq=2 2")
set_args=() set_lua=
for s in "${settings[@]}"; do
  read -r index text value <<<"$s"
  set_args+=(--set "$text")
  set_lua+="ARDOUR.LuaAPI.set_processor_param(plugin, $index, $value)"$'\n'
done
python=python3
helper="$root/scripts/ardour_lv2_render.py"

# The phrase: legato overlaps and detached notes, no two events at one
# instant (hosts may order those differently), no tempo event (Ardour plays
# a region at the session's tempo, 120 bpm).
beats=$($python "$helper" phrase "$work/phrase.mid")

"$build/kelvox2" render "$build/Kelvox2.so" "$work/phrase.mid" "$work/vst.wav" \
  --rate $rate --block 1024 --tail 1 --quiet "${set_args[@]}"
frames=$($python "$helper" frames "$work/vst.wav")

# A float WAV at the session's rate, no dither, no normalising: Ardour's own
# format with a preset of ours that names it.
preset=6b0c1e52-5d7a-4a8e-9f8e-2b7d1c0a4f11
cat >"$XDG_CONFIG_HOME/ardour7/export/kelvox2-float.preset" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<ExportPreset id="$preset" name="Kelvox2 float">
  <ExportFormat id="20b4ab09-6452-4cb3-bd66-b921cdbd2942"/>
  <ExportFilename>
    <Folder relative="1" path="export"/>
    <Field name="timespan" enabled="1"/>
  </ExportFilename>
</ExportPreset>
EOF

# ardour_run NAME CHECK CLEAN: runs NAME.lua until CHECK holds, CLEAN between
# tries. Ardour 7.3's headless interpreter crashes now and then, more often on
# a loaded machine (a port of a new track registered twice, a heap
# corruption at exit), never the same way twice in a row.
ardour_run() {
  local name=$1 check=$2 clean=$3 try
  for try in 1 2 3 4 5; do
    timeout 120 ardour7-lua "$work/$name.lua" >"$work/$name.log" 2>&1 </dev/null || true
    eval "$check" && return 0
    echo "ardour-lv2-render: Ardour failed to $name (try $try)"
    eval "$clean"
  done
  return 1
}

# 1. A session with a MIDI track holding the LV2 by its URI. The track's
# output goes straight to the master bus, its panner bypassed (the mono
# plug-in then reaches both channels at unity gain).
cat >"$work/create.lua" <<EOF
AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:start(false)
create_session("$work/session", "render", $rate)
local tracks = Session:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
  ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), true, ARDOUR.PluginInfo(), nil, nil, 1, "Synth",
  ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
local track = tracks:front()
local plugin = ARDOUR.LuaAPI.new_plugin(Session, "$uri", ARDOUR.PluginType.LV2, "")
if plugin:isnil() then print("no LV2 plug-in $uri"); os.exit(1) end
track:add_processor_by_index(plugin, 0, nil, true)
${set_lua}track:panner_shell():set_bypassed(true)
for i = 0, track:n_outputs():n_audio() - 1 do
  track:output():audio(i):connect("Master/audio_in " .. (i + 1))
end
Session:save_state("", false, false, false, false, false)
EOF
if ! ardour_run create 'test -f "$work/session/render.ardour"' "rm -rf '$work/session'"; then
  echo "ardour-lv2-render: Ardour could not make the session:"; grep -v 'new MIDI buffer' "$work/create.log" | tail -n 5 | sed 's/^/  /'
  exit 1
fi

# 2. The MIDI file as the session's source and a region of it on the
# track's playlist (Ardour's Lua imports only through the editor's window).
cp "$work/phrase.mid" "$work/session/interchange/session/midifiles/phrase.mid"
$python "$helper" add-region "$work/session/render.ardour" phrase.mid "$beats"

# 3. A freewheel export of the master bus.
cat >"$work/export.lua" <<EOF
AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:start(false)
load_session("$work/session", "render")
if Session == nil then print("the session did not load"); os.exit(1) end
local notes = 0
for route in Session:get_routes():iter() do
  local track = route:to_track()
  if not track:isnil() then
    for region in track:playlist():region_list():iter() do
      for _ in ARDOUR.LuaAPI.note_list(region:to_midiregion():model()):iter() do notes = notes + 1 end
    end
  end
end
print("notes in the session: " .. notes)
local export = Session:simple_export()
if not export:set_preset("$preset") then print("no export preset"); os.exit(1) end
export:set_folder("$work/out")
export:set_name("ardour")
export:set_range(0, $frames)
if not export:check_outputs() or not export:run_export() then print("the export failed"); os.exit(1) end
print("exported")
EOF
# Ardour also crashes now and then while it closes the session, after the
# export: what the export wrote is checked by its length below.
if ! ardour_run export 'grep -q "^exported$" "$work/export.log" && test -f "$work/out/ardour.wav"' "rm -f '$work/out/'*"; then
  echo "ardour-lv2-render: Ardour could not export the session:"; grep -v 'new MIDI buffer' "$work/export.log" | tail -n 5 | sed 's/^/  /'
  exit 1
fi
grep -h '^notes in the session' "$work/export.log" || true

# 4. The two renders, sample by sample.
$python "$helper" compare "$work/vst.wav" "$work/out/ardour.wav"
