// Lays a MIDI song out on the sample clock for block-wise rendering (a
// Timeline cut into blocks) and says what the host's clock says at a
// block's first frame.
#pragma once

#include "kelvox2/host/midi_file.h"
#include "kelvox2/host/timeline.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kx {

class SongSchedule {
public:
    SongSchedule(const MidiSong& song, double sampleRate);
    SongSchedule(const SongSchedule&) = delete;
    SongSchedule& operator=(const SongSchedule&) = delete;

    // Frames from the start to the song's last event.
    int64_t songFrames() const { return songFrames_; }
    double sampleRate() const { return sampleRate_; }

    // Starts the next block at the frame after the previous one (0 at first).
    // The block is maxFrames long unless more than maxEvents messages would
    // fall into it; then it ends before the first frame that overflows (a
    // plug-in's event queue is finite). out receives the block's messages in
    // order. Returns the block's length.
    int nextBlock(int maxFrames, size_t maxEvents, std::vector<BlockEvent>& out) {
        return cutter_.nextBlock(maxFrames, maxEvents, out);
    }
    int64_t position() const { return cutter_.position(); }

    SongClock clockAt(int64_t frame) const;

private:
    const MidiSong& song_;
    double sampleRate_;
    Timeline timeline_;  // the song's messages on the sample clock
    BlockCutter cutter_;
    int64_t songFrames_ = 0;
};

}  // namespace kx
