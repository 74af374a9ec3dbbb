#!/usr/bin/env python3
"""Writes demo/demo.mid: a short monophonic piece for the instrument.

Legato phrases (each note starts before the last one ends, so the voice glides),
a few detached notes, pitch-bend swoops, and a tempo change that the tempo-synced
tremolo follows. Standard library only; run it from anywhere:

    python3 demo/make_demo.py [OUT.mid]
"""
import os
import struct
import sys

PPQ = 480
CHANNEL = 0

# (start in beats, length in beats, MIDI key); overlapping entries play legato.
A_MINOR_LINE = [
    (0.0, 1.0, 57), (0.9, 0.6, 60), (1.4, 0.6, 64), (1.9, 2.1, 69),
    (4.0, 0.5, 67), (4.45, 0.5, 64), (4.9, 1.1, 62), (5.95, 2.05, 60),
    (8.0, 0.75, 57), (8.7, 0.75, 64), (9.4, 0.6, 72), (9.95, 2.05, 71),
    (12.0, 1.5, 69), (13.45, 0.5, 67), (13.9, 2.1, 64),
]
DETACHED = [  # short notes with gaps: no glide between them
    (16.0, 0.4, 69), (16.5, 0.4, 69), (17.0, 0.4, 72), (17.5, 0.4, 74),
    (18.0, 1.8, 76),
]
FINALE = [  # after the tempo change
    (20.0, 0.5, 76), (20.45, 0.5, 74), (20.9, 0.5, 72), (21.35, 0.7, 71),
    (22.0, 1.0, 69), (22.95, 1.0, 72), (23.9, 1.0, 71), (24.85, 0.6, 68),
    (25.4, 4.6, 69),
]
# Pitch-bend swoops: (start beat, length in beats, peak in units of -8192..8191).
BENDS = [(2.4, 1.4, 8191), (10.5, 1.3, -8192), (18.3, 1.2, 4096), (26.5, 2.5, -4096)]
TEMPO_CHANGES = [(0.0, 84.0), (20.0, 100.0)]  # (beat, bpm)


def varlen(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, (value & 0x7F) | 0x80)
        value >>= 7
    return bytes(out)


def ticks(beats):
    return int(round(beats * PPQ))


def track_chunk(events):
    """events: (tick, order, bytes); order breaks ties so note-offs come first."""
    body = bytearray()
    now = 0
    for tick, _, data in sorted(events, key=lambda e: (e[0], e[1])):
        body += varlen(tick - now) + data
        now = tick
    body += varlen(0) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(body)) + bytes(body)


def conductor():
    name = b"Tempo"
    events = [(0, 0, b"\xff\x03" + varlen(len(name)) + name),
              (0, 1, b"\xff\x58\x04\x04\x02\x18\x08")]
    for beat, bpm in TEMPO_CHANGES:
        micros = int(round(60_000_000 / bpm))
        events.append((ticks(beat), 2, b"\xff\x51\x03" + micros.to_bytes(3, "big")))
    return track_chunk(events)


def melody():
    name = b"Lead"
    events = [(0, 0, b"\xff\x03" + varlen(len(name)) + name)]
    for start, length, key in A_MINOR_LINE + DETACHED + FINALE:
        events.append((ticks(start), 2, bytes([0x90 | CHANNEL, key, 96])))
        events.append((ticks(start + length), 1, bytes([0x80 | CHANNEL, key, 64])))
    for start, length, peak in BENDS:
        steps = 24
        for i in range(steps + 1):
            # up and back along a smooth curve, ending exactly at the centre
            phase = i / steps
            shape = 1.0 - abs(1.0 - 2.0 * phase)
            value = 8192 + int(round(peak * shape * shape * (3 - 2 * shape)))
            value = max(0, min(16383, value))
            tick = ticks(start + length * phase)
            events.append((tick, 3, bytes([0xE0 | CHANNEL, value & 0x7F, value >> 7])))
    return track_chunk(events)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "demo.mid")
    header = b"MThd" + struct.pack(">IHHH", 6, 1, 2, PPQ)
    with open(out, "wb") as f:
        f.write(header + conductor() + melody())
    print(f"wrote {out}")


if __name__ == "__main__":
    main()
