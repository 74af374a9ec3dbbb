#include "kelvox2/host/sounding_notes.h"

#include <gtest/gtest.h>

namespace kx {
namespace {

MidiMessage message(double seconds, uint8_t status, uint8_t data1, uint8_t data2) {
    MidiMessage m;
    m.seconds = seconds;
    m.tick = uint64_t(seconds * 960);
    m.size = 3;
    m.data[0] = status;
    m.data[1] = data1;
    m.data[2] = data2;
    return m;
}

TEST(SoundingNotes, EachNoteStillSoundingGetsANoteOffAtTheSongsEnd) {
    MidiSong song;
    song.messages = {
        message(0.0, 0x90, 60, 100),                              // ended below
        message(0.1, 0x91, 64, 90),                               // channel 2, struck twice
        message(0.2, 0x91, 64, 90),  message(0.3, 0x90, 67, 80),  // ended by a note-on of velocity 0
        message(0.4, 0x80, 60, 0),   message(0.5, 0x90, 67, 0),
        message(0.6, 0x8F, 70, 0),    // a note-off for a key never struck
        message(0.7, 0xB3, 64, 127),  // sustain pedal held on channel 4
        message(0.8, 0xB4, 64, 127),  // and released on channel 5
        message(0.9, 0xB4, 64, 0),
    };
    song.endSeconds = 2.5;
    endSoundingNotes(song);
    ASSERT_EQ(song.messages.size(), 13u);
    for (size_t i = 10; i < 13; ++i)
        EXPECT_EQ(song.messages[i].seconds, 2.5) << i;
    EXPECT_EQ(song.messages[10].data[0], 0x81);
    EXPECT_EQ(song.messages[10].data[1], 64);
    EXPECT_EQ(song.messages[11].data[0], 0x81);
    EXPECT_EQ(song.messages[12].data[0], 0xB3);
    EXPECT_EQ(song.messages[12].data[1], 64);
    EXPECT_EQ(song.messages[12].data[2], 0);

    // A song that ends everything itself is left as it is.
    MidiSong closed;
    closed.messages = {message(0.0, 0x90, 60, 100), message(1.0, 0x80, 60, 64)};
    closed.endSeconds = 1.0;
    endSoundingNotes(closed);
    EXPECT_EQ(closed.messages.size(), 2u);
}

}  // namespace
}  // namespace kx
