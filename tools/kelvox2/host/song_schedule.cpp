#include "kelvox2/host/song_schedule.h"

#include <algorithm>
#include <cmath>

namespace kx {

namespace {

int64_t frameAt(double seconds, double rate) { return static_cast<int64_t>(std::floor(seconds * rate + 0.5)); }

}  // namespace

SongSchedule::SongSchedule(const MidiSong& song, double sampleRate)
    : song_(song), sampleRate_(sampleRate), cutter_(timeline_) {
    for (const MidiMessage& m : song.messages) {
        TimedMessage t;
        t.frame = frameAt(m.seconds, sampleRate);
        t.size = m.size;
        std::copy(m.data, m.data + 3, t.data);
        timeline_.append(t);
    }
    songFrames_ = frameAt(song.endSeconds, sampleRate);
    if (!song.messages.empty())
        songFrames_ = std::max(songFrames_, timeline_.end() + 1);
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
