// Standard MIDI File reader (formats 0 and 1). All tracks are merged into one
// list of channel messages in time order; equal times keep track order, then
// file order. Tempo and time-signature meta events form the song's maps, which
// convert ticks to seconds and seconds to quarter notes for the host's clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kx {

struct MidiMessage {
    uint64_t tick = 0;
    double seconds = 0.0;
    uint16_t track = 0;
    uint8_t size = 0;      // 2 or 3
    uint8_t data[3] = {};  // status, data1, data2 (0 when absent)
};

// The tempo in force from a point on; points are in time order, the first at 0.
struct TempoPoint {
    uint64_t tick = 0;
    double seconds = 0.0;
    double ppq = 0.0;  // quarter notes from the start
    double bpm = 120.0;
};

struct MeterPoint {
    double ppq = 0.0;
    int numerator = 4;
    int denominator = 4;
};

class MidiSong {
public:
    int format = 0;
    int trackCount = 0;
    // Positive: ticks per quarter note. Otherwise time code: frames per second
    // times ticks per frame, in ticksPerSecond.
    int ticksPerQuarter = 0;
    double ticksPerSecond = 0.0;

    std::vector<MidiMessage> messages;  // channel messages, merged
    std::vector<TempoPoint> tempo;      // never empty
    std::vector<MeterPoint> meter;      // never empty
    double endSeconds = 0.0;            // the latest event, end-of-track included

    double secondsAtTick(uint64_t tick) const;
    double ppqAtTick(uint64_t tick) const;
    double ppqAtSeconds(double seconds) const;
    double bpmAtSeconds(double seconds) const;
    const MeterPoint& meterAtPpq(double ppq) const;
    // Quarter-note position of the bar that contains ppq (meters change on bar lines).
    double barStartAtPpq(double ppq) const;

private:
    const TempoPoint& tempoAtTick(uint64_t tick) const;
    const TempoPoint& tempoAtSeconds(double seconds) const;
};

// Where and why a file could not be read.
struct MidiError {
    size_t offset = 0;
    std::string message;
    std::string describe() const;  // "byte N: message"
};

bool parseMidi(const uint8_t* data, size_t size, MidiSong& song, MidiError& error);

// Reads and parses a file; error becomes "PATH: byte N: message" or "PATH: cannot open: ...".
bool readMidiFile(const char* path, MidiSong& song, std::string& error);

}  // namespace kx
