#include "kelvox2/host/song_schedule.h"

#include <gtest/gtest.h>

namespace kx {
namespace {

MidiSong songOf(std::initializer_list<double> times) {
    MidiSong song;
    song.ticksPerQuarter = 480;
    song.tempo.assign(1, TempoPoint{});
    song.meter.assign(1, MeterPoint{});
    uint8_t key = 40;
    for (double t : times) {
        MidiMessage m;
        m.seconds = t;
        m.size = 3;
        m.data[0] = 0x90;
        m.data[1] = key++;
        m.data[2] = 100;
        song.messages.push_back(m);
        song.endSeconds = t;
    }
    return song;
}

TEST(SongSchedule, EventsLandInTheirBlockAtTheirOffset) {
    // frames 0, 44.1, 511.56, 515.97, 2205
    MidiSong song = songOf({0.0, 0.001, 0.0116, 0.0117, 0.05});
    SongSchedule s(song, 44100.0);
    EXPECT_EQ(s.songFrames(), 2206);
    std::vector<BlockEvent> ev;
    ASSERT_EQ(s.nextBlock(512, 512, ev), 512);
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_EQ(ev[0].deltaFrames, 0);
    EXPECT_EQ(ev[1].deltaFrames, 44);
    EXPECT_EQ(ev[1].data[1], 41);
    ASSERT_EQ(s.nextBlock(512, 512, ev), 512);
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_EQ(ev[0].deltaFrames, 0);  // 511.56 rounds to the next block's first frame
    EXPECT_EQ(ev[1].deltaFrames, 4);
    ASSERT_EQ(s.nextBlock(512, 512, ev), 512);
    EXPECT_TRUE(ev.empty());
    ASSERT_EQ(s.nextBlock(512, 512, ev), 512);
    EXPECT_TRUE(ev.empty());
    ASSERT_EQ(s.nextBlock(512, 512, ev), 512);
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].deltaFrames, 2205 - 2048);
    EXPECT_EQ(s.position(), 2560);
}

TEST(SongSchedule, BlocksShortenSoNoEventIsDropped) {
    MidiSong song = songOf({0.0, 0.001, 0.0116, 0.0117});
    SongSchedule s(song, 44100.0);
    std::vector<BlockEvent> ev;
    EXPECT_EQ(s.nextBlock(512, 1, ev), 44);
    EXPECT_EQ(ev.size(), 1u);
    EXPECT_EQ(s.nextBlock(512, 1, ev), 512 - 44);
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].deltaFrames, 0);
    EXPECT_EQ(s.nextBlock(512, 1, ev), 4);
    EXPECT_EQ(s.nextBlock(512, 1, ev), 512);
    EXPECT_EQ(ev.size(), 1u);

    // more events at one frame than fit: that frame goes alone, with all of them
    MidiSong crowd = songOf({0.0, 0.0, 0.0, 0.01});
    SongSchedule c(crowd, 44100.0);
    EXPECT_EQ(c.nextBlock(512, 2, ev), 1);
    EXPECT_EQ(ev.size(), 3u);
}

TEST(SongSchedule, ClockFollowsTempoAndMeter) {
    MidiSong song = songOf({0.0});
    song.tempo.push_back(TempoPoint{960, 1.0, 2.0, 60.0});
    song.meter[0] = MeterPoint{0.0, 3, 4};
    SongSchedule s(song, 48000.0);
    SongClock c = s.clockAt(48000 / 2);
    EXPECT_DOUBLE_EQ(c.ppqPos, 1.0);
    EXPECT_DOUBLE_EQ(c.tempo, 120.0);
    c = s.clockAt(48000 * 3 / 2);
    EXPECT_DOUBLE_EQ(c.samplePos, 72000.0);
    EXPECT_DOUBLE_EQ(c.ppqPos, 2.5);
    EXPECT_DOUBLE_EQ(c.tempo, 60.0);
    EXPECT_DOUBLE_EQ(c.barStartPos, 0.0);
    EXPECT_EQ(c.numerator, 3);
    c = s.clockAt(48000 * 2);
    EXPECT_DOUBLE_EQ(c.barStartPos, 3.0);
    c = s.clockAt(48000 * 20);  // past the song: the last tempo runs on
    EXPECT_DOUBLE_EQ(c.ppqPos, 21.0);
}

}  // namespace
}  // namespace kx
