// Lays a MIDI song out on the sample clock for block-wise rendering: which
// messages fall into each block (with their frame offset inside it) and what
// the host's clock says at a block's first frame.
#pragma once

#include "midi_file.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kx {

struct BlockEvent {
    int32_t deltaFrames = 0;
    uint8_t size = 0;
    uint8_t data[3] = {};
};

// The song position as a host reports it (tempo in bpm, positions in quarter notes).
struct SongClock {
    double samplePos = 0.0;
    double ppqPos = 0.0;
    double tempo = 120.0;
    double barStartPos = 0.0;
    int numerator = 4;
    int denominator = 4;
};

class SongSchedule {
public:
    SongSchedule(const MidiSong& song, double sampleRate);

    // Frames from the start to the song's last event.
    int64_t songFrames() const { return songFrames_; }
    double sampleRate() const { return sampleRate_; }

    // Starts the next block at the frame after the previous one (0 at first).
    // The block is maxFrames long unless more than maxEvents messages would
    // fall into it; then it ends before the first frame that overflows (a
    // plug-in's event queue is finite). out receives the block's messages in
    // order. Returns the block's length.
    int nextBlock(int maxFrames, size_t maxEvents, std::vector<BlockEvent>& out);
    int64_t position() const { return position_; }

    SongClock clockAt(int64_t frame) const;

private:
    const MidiSong& song_;
    double sampleRate_;
    std::vector<int64_t> frames_;  // frame of each message of song_
    size_t next_ = 0;              // first message not yet handed out
    int64_t position_ = 0;
    int64_t songFrames_ = 0;
};

}  // namespace kx
