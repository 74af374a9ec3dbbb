#include "song_schedule.h"

#include <algorithm>
#include <cmath>

namespace kx {

namespace {

int64_t frameAt(double seconds, double rate) { return static_cast<int64_t>(std::floor(seconds * rate + 0.5)); }

}  // namespace

SongSchedule::SongSchedule(const MidiSong& song, double sampleRate) : song_(song), sampleRate_(sampleRate) {
    frames_.reserve(song.messages.size());
    for (const MidiMessage& m : song.messages)
        frames_.push_back(frameAt(m.seconds, sampleRate));
    songFrames_ = frameAt(song.endSeconds, sampleRate);
    if (!frames_.empty())
        songFrames_ = std::max(songFrames_, frames_.back() + 1);
}

int SongSchedule::nextBlock(int maxFrames, size_t maxEvents, std::vector<BlockEvent>& out) {
    out.clear();
    int64_t end = position_ + std::max(maxFrames, 0);
    size_t last = next_;
    while (last < frames_.size() && frames_[last] < end)
        ++last;
    if (maxEvents > 0 && last - next_ > maxEvents) {
        // Cut before the frame of the first message that does not fit; when the
        // overflow is all at the block's first frame, keep that frame alone.
        int64_t cut = frames_[next_ + maxEvents];
        if (cut == position_)
            cut = position_ + 1;
        end = cut;
        last = next_;
        while (last < frames_.size() && frames_[last] < end)
            ++last;
    }
    for (size_t i = next_; i < last; ++i) {
        BlockEvent e;
        e.deltaFrames = static_cast<int32_t>(std::max<int64_t>(frames_[i] - position_, 0));
        e.size = song_.messages[i].size;
        std::copy(song_.messages[i].data, song_.messages[i].data + 3, e.data);
        out.push_back(e);
    }
    next_ = last;
    int length = static_cast<int>(end - position_);
    position_ = end;
    return length;
}

SongClock SongSchedule::clockAt(int64_t frame) const {
    SongClock c;
    double seconds = double(frame) / sampleRate_;
    c.samplePos = double(frame);
    c.ppqPos = song_.ppqAtSeconds(seconds);
    c.tempo = song_.bpmAtSeconds(seconds);
    c.barStartPos = song_.barStartAtPpq(c.ppqPos);
    const MeterPoint& m = song_.meterAtPpq(c.ppqPos);
    c.numerator = m.numerator;
    c.denominator = m.denominator;
    return c;
}

}  // namespace kx
