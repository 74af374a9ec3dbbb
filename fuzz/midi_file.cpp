// The MIDI file reader on arbitrary bytes; parsed songs must also answer
// position queries without faults.
#include "kelvox2/host/midi_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kx::MidiSong song;
    kx::MidiError error;
    if (kx::parseMidi(data, size, song, error)) {
        double end = song.endSeconds;
        (void)song.ppqAtSeconds(end);
        (void)song.bpmAtSeconds(end * 0.5);
        (void)song.barStartAtPpq(song.ppqAtSeconds(end));
    }
    return 0;
}
