// Short MIDI messages on the sample clock, and a sequencer's cut of them into
// blocks: which messages fall into each block, with their frame offset
// inside it. The one sequencer of the tool's hosts: render plays a song's
// timeline, the validate battery plays the scores it writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kx {

struct TimedMessage {
    int64_t frame = 0;
    uint8_t size = 3;
    uint8_t data[3] = {};
};

// A message as its block carries it.
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

class Timeline {
public:
    // In order of frame; a message goes after those already at its frame.
    void add(int64_t frame, int status, int data1, int data2);
    // At the end, as given: for messages that come in order already.
    void append(const TimedMessage& message) { messages_.push_back(message); }
    const std::vector<TimedMessage>& messages() const { return messages_; }
    // The frame of the last message (0 when there is none).
    int64_t end() const { return messages_.empty() ? 0 : messages_.back().frame; }

private:
    std::vector<TimedMessage> messages_;
};

// Hands a timeline out block by block, from a starting frame on. The
// timeline is not owned and must not change while it is cut.
class BlockCutter {
public:
    explicit BlockCutter(const Timeline& timeline, int64_t from = 0);

    // Starts the next block at the frame after the previous one. The block is
    // maxFrames long unless more than maxEvents (0: no limit) messages would
    // fall into it; then it ends before the first frame that overflows (a
    // plug-in's event queue is finite). A block of no frames carries no
    // messages: they wait for a real one. `out` receives the block's
    // messages in order. Returns the block's length.
    int nextBlock(int maxFrames, size_t maxEvents, std::vector<BlockEvent>& out);
    int64_t position() const { return position_; }

private:
    const std::vector<TimedMessage>& messages_;
    size_t next_ = 0;  // first message not yet handed out
    int64_t position_ = 0;
};

}  // namespace kx
