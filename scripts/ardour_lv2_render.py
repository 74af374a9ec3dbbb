#!/usr/bin/env python3
"""The file work of scripts/ardour-lv2-render.sh (standard library only):

  phrase OUT.mid                    writes the phrase, prints its length in beats
  frames FILE.wav                   prints the frames in a float WAV
  add-region SESSION SRC BEATS      puts the MIDI file SRC (in the session's
                                    midifiles folder) on the track's playlist
  compare VST.wav ARDOUR.wav        compares the renders; exit 1 when they differ
"""
import array
import re
import struct
import sys

PPQ = 480
TICKS = 1920  # Ardour's ticks per beat
# (start beat, length in beats, key, velocity): legato overlaps and detached
# notes, no two events at one instant. The first starts after a second of
# silence (at 120 bpm), in which Ardour's fader ramps up from the transport's
# start.
LEAD = 2.0
NOTES = [(0.0, 1.25, 57, 100), (1.0, 0.5, 60, 90), (1.75, 0.5, 64, 110), (2.5, 1.0, 69, 64),
         (4.0, 0.25, 72, 127), (4.5, 0.25, 71, 80), (5.0, 1.5, 67, 100)]
# The instrument's anti-denormal offset at its default main level (-12.5 dB).
OFFSET_BOUND = 5e-6 * 10 ** (-12.5 / 20)


def varlen(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, (n & 0x7F) | 0x80)
        n >>= 7
    return bytes(out)


def phrase(path):
    events = []
    for start, length, key, velocity in NOTES:
        events.append((round((LEAD + start) * PPQ), bytes([0x90, key, velocity])))
        events.append((round((LEAD + start + length) * PPQ), bytes([0x80, key, 0])))
    events.sort(key=lambda e: e[0])
    track, now = b"", 0
    for tick, data in events:
        track += varlen(tick - now) + data
        now = tick
    track += b"\x00\xff\x2f\x00"
    with open(path, "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, PPQ) + b"MTrk" + struct.pack(">I", len(track)) + track)
    print(now / PPQ)


def read_wav(path):
    data = open(path, "rb").read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        sys.exit("%s: not a WAV file" % path)
    pos, fmt, samples = 12, None, None
    while pos + 8 <= len(data):
        cid, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        body = data[pos + 8:pos + 8 + size]
        if cid == b"fmt ":
            fmt = struct.unpack("<HHIIHH", body[:16])
        elif cid == b"data":
            samples = body
        pos += 8 + size + (size & 1)
    if fmt is None or samples is None or fmt[5] != 32 or fmt[0] not in (3, 0xFFFE):
        sys.exit("%s: not a 32-bit float WAV" % path)
    channels, rate = fmt[1], fmt[2]
    values = array.array("f")
    values.frombytes(samples[:len(samples) // 4 * 4])
    return rate, [values[c::channels] for c in range(channels)]


def add_region(session, source, beats):
    text = open(session).read()
    counter = re.search(r'id-counter="(\d+)"', text)
    source_id, region_id = int(counter.group(1)), int(counter.group(1)) + 1
    text = text.replace(counter.group(0), 'id-counter="%d"' % (source_id + 10), 1)
    text = text.replace("<Sources/>", '<Sources>\n    <Source name="%s" type="midi" flags="" id="%d" origin=""/>\n  </Sources>'
                        % (source, source_id), 1)
    position = "b0"
    region = ('<Region name="phrase" muted="0" opaque="1" locked="0" video-locked="0" automation-bursts="0" hidden="0"'
              ' position-locked="0" start="b0" length="b%d@%s" position="%s" sync-position="%s" ancestral-start="b0"'
              ' ancestral-length="b0@b0" stretch="1" shift="1" layering-index="0" tags="" contents="1" type="midi"'
              ' first-edit="nothing" id="%d" source-0="%d" master-source-0="%d"/>'
              % (round(float(beats) * TICKS), position, position, position, region_id, source_id, source_id))
    text, found = re.subn(r'(<Playlist [^>]*type="midi"[^>]*)/>', lambda m: "%s>\n      %s\n    </Playlist>"
                          % (m.group(1), region), text, count=1)
    if found != 1:
        sys.exit("%s: no MIDI playlist" % session)
    open(session, "w").write(text)


def compare(vst_path, ardour_path):
    vst_rate, vst = read_wav(vst_path)
    ardour_rate, ardour = read_wav(ardour_path)
    ref = vst[0]
    print("kelvox2 render: %d frames, %d channel(s) at %d Hz; Ardour: %d frames, %d channel(s) at %d Hz"
          % (len(ref), len(vst), vst_rate, len(ardour[0]), len(ardour), ardour_rate))
    ok = vst_rate == ardour_rate and len(ref) == len(ardour[0])
    for c, got in enumerate(ardour):
        n = min(len(ref), len(got))
        equal = sum(1 for i in range(n) if ref[i] == got[i])
        worst = max((abs(ref[i] - got[i]), i) for i in range(n))
        # A shift in time or a gain would show as a lower difference elsewhere.
        shifts = {s: max(abs(ref[i] - got[i + s]) for i in range(2, n - 2)) for s in (-2, -1, 1, 2)}
        dot = sum(ref[i] * got[i] for i in range(n))
        energy = sum(x * x for x in ref[:n]) or 1.0
        print("channel %d: %d of %d samples bit-equal; largest difference %.3g at frame %d (%.2f of the"
              " anti-denormal offset's %.3g); gain %.9f; shifted by 1 frame it would be %.3g"
              % (c, equal, n, worst[0], worst[1], worst[0] / OFFSET_BOUND, OFFSET_BOUND, dot / energy, shifts[1]))
        # Rounding the sum to float adds half an ulp of the larger sample.
        bound = lambda i: OFFSET_BOUND + abs(ref[i]) * 2.0 ** -23
        over = [i for i in range(n) if abs(ref[i] - got[i]) > bound(i)]
        if over:
            print("channel %d: %d samples differ by more than the offset, first at frame %d (%.9g vs %.9g)"
                  % (c, len(over), over[0], ref[over[0]], got[over[0]]))
            ok = False
    print("PASS: the same samples but for the anti-denormal offset" if ok else "FAIL: the renders differ")
    return 0 if ok else 1


def main(argv):
    if len(argv) == 3 and argv[1] == "phrase":
        phrase(argv[2])
    elif len(argv) == 3 and argv[1] == "frames":
        print(len(read_wav(argv[2])[1][0]))
    elif len(argv) == 5 and argv[1] == "add-region":
        add_region(*argv[2:])
    elif len(argv) == 4 and argv[1] == "compare":
        return compare(argv[2], argv[3])
    else:
        sys.exit(__doc__)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
