#include "kelvox2/validate/score.h"

#include "kelvox2/validate/audio_check.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace kx::validate {

void Score::note(std::int64_t frame, std::int64_t length, int key, int velocity, int channel) {
    add(frame, 0x90 | channel, key, velocity);
    add(frame + length, 0x80 | channel, key, 0);
}

void Score::releaseEverything(std::int64_t frame) {
    for (int channel = 0; channel < 16; ++channel) {
        for (int key = 0; key < 128; ++key)
            add(frame, 0x80 | channel, key, 0);
        frame += 512;
    }
}

BlockSizes fixedBlocks(int frames) {
    return [frames]() { return frames; };
}

BlockSizes randomBlocks(int maxBlock, std::uint64_t seed) {
    auto rng = std::make_shared<std::mt19937_64>(seed);
    return [rng, maxBlock]() {
        const int pick = static_cast<int>((*rng)() % 20);
        if (pick == 0)
            return 0;
        if (pick < 6)
            return 1 + static_cast<int>((*rng)() % 16);
        return 1 + static_cast<int>((*rng)() % static_cast<std::uint64_t>(maxBlock));
    };
}

std::int64_t play(Instance& instance, const Score& score, std::int64_t from, std::int64_t frames,
                  const BlockSizes& sizes, bool doublePrecision) {
    const std::int64_t end = from + frames;
    BlockCutter cutter(score, from);
    std::vector<BlockEvent> events;
    EventList list;
    std::int64_t at = from;
    while (at < end && instance.alive()) {
        int block = std::min<std::int64_t>(sizes(), end - at);
        if (block > instance.maxBlock())
            block = instance.maxBlock();
        block = cutter.nextBlock(block, 0, events);
        list.clear();
        for (const BlockEvent& e : events)
            list.add(e.deltaFrames, e.data[0], e.data[1], e.data[2]);
        if (!list.empty())
            instance.sendEvents(list);
        instance.process(block, doublePrecision);
        at += block;
    }
    return at;
}

Score phrase(double rate, double seconds, std::mt19937_64& rng) {
    Score score;
    const auto total = static_cast<std::int64_t>(rate * seconds);
    std::uniform_int_distribution<int> key(24, 108), velocity(1, 127);
    std::int64_t t = 0;
    const std::int64_t step = std::max<std::int64_t>(1, static_cast<std::int64_t>(rate * 0.09));
    while (t < total * 3 / 4) {
        const std::int64_t length = step + static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(step * 2));
        score.note(t, std::min(length, total * 3 / 4 - t + 1), key(rng), velocity(rng), static_cast<int>(rng() % 2));
        t += step;
    }
    // A bend up and back on every channel used.
    for (int channel = 0; channel < 2; ++channel) {
        score.add(total / 4, 0xE0 | channel, 0x7F, 0x7F);
        score.add(total / 2, 0xE0 | channel, 0x00, 0x40);
    }
    return score;
}

double renderUntilSilent(Instance& instance, double maxSeconds, int block, double* lastPeak, bool doublePrecision) {
    const double rate = instance.rate();
    const auto limit = static_cast<std::int64_t>(maxSeconds * rate);
    const auto quietNeeded = static_cast<std::int64_t>(0.25 * rate);
    std::int64_t rendered = 0, quietSince = 0;
    double recentPeak = 0.0;
    std::int64_t recentStart = 0;
    while (rendered < limit && instance.alive()) {
        const int n = static_cast<int>(std::min<std::int64_t>(block, limit - rendered));
        instance.process(n, doublePrecision);
        const double peak = instance.lastPeak();
        if (rendered - recentStart > static_cast<std::int64_t>(rate)) {
            recentStart = rendered;
            recentPeak = 0.0;
        }
        recentPeak = std::max(recentPeak, peak);
        rendered += n;
        if (!(peak < kSilenceLimit))
            quietSince = rendered;
        else if (rendered - quietSince >= quietNeeded) {
            if (lastPeak)
                *lastPeak = recentPeak;
            return double(quietSince) / rate;
        }
    }
    if (lastPeak)
        *lastPeak = recentPeak;
    return -1.0;
}

}  // namespace kx::validate
