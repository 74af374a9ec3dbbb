// What a sequencer sends when playback stops at the end of a song: a note-off
// for every note still sounding and the release of a held sustain pedal, so
// that releases ring out in the tail instead of the notes being cut or held.
#pragma once

#include "kelvox2/host/midi_file.h"

namespace kx {

// Appends those messages to the song, at its end.
void endSoundingNotes(MidiSong& song);

}  // namespace kx
