// Score: a timeline the battery writes, and the host's playback of it: cut
// into blocks of the sizes a test asks for, each block's events sent with
// their offsets inside it, as a sequencer does.
#pragma once

#include "kelvox2/host/timeline.h"
#include "kelvox2/validate/test_host.h"

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace kx::validate {

class Score : public Timeline {
public:
    void note(std::int64_t frame, std::int64_t length, int key, int velocity = 100, int channel = 0);
    // Note-offs for every key on channels 0..15, spread over the frames
    // from `frame` on (at most 128 per block of 512).
    void releaseEverything(std::int64_t frame);
};

// The size of each next block: fixed, or a new one every block.
using BlockSizes = std::function<int()>;
BlockSizes fixedBlocks(int frames);
// 0 included now and then, never above `maxBlock`.
BlockSizes randomBlocks(int maxBlock, std::uint64_t seed);

// Plays the score's messages in [from, from + frames) through the instance.
// Returns the new position.
std::int64_t play(Instance& instance, const Score& score, std::int64_t from, std::int64_t frames,
                  const BlockSizes& sizes, bool doublePrecision = false);

// A musical phrase of `seconds` at `rate`: overlapping notes from a wide key
// range, velocities, a bend and its return, every note released at the end.
Score phrase(double rate, double seconds, std::mt19937_64& rng);

// Renders on (no further events) until 0.25 s in a row stayed below
// -90 dBFS. Returns the seconds at which the sound ended, or a negative
// number when it still sounded after `maxSeconds`; `lastPeak` gets the
// loudest sample of the last second rendered.
double renderUntilSilent(Instance& instance, double maxSeconds, int block, double* lastPeak = nullptr,
                         bool doublePrecision = false);

}  // namespace kx::validate
