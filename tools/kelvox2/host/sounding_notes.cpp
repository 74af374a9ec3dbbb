#include "kelvox2/host/sounding_notes.h"

#include <array>

namespace kx {

namespace {

constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kControlChange = 0xB0;
constexpr uint8_t kSustainPedal = 64;

}  // namespace

void endSoundingNotes(MidiSong& song) {
    // A key struck twice without a note-off in between sounds twice as far as
    // the plug-in knows, so each strike gets its own note-off.
    std::array<std::array<int, 128>, 16> sounding{};
    std::array<bool, 16> pedalDown{};
    for (const MidiMessage& m : song.messages) {
        const uint8_t kind = m.data[0] & 0xF0, channel = m.data[0] & 0x0F;
        const uint8_t key = m.data[1] & 0x7F;
        if (kind == kNoteOn && m.data[2] > 0)
            ++sounding[channel][key];
        else if ((kind == kNoteOff || kind == kNoteOn) && sounding[channel][key] > 0)
            --sounding[channel][key];
        else if (kind == kControlChange && m.data[1] == kSustainPedal)
            pedalDown[channel] = m.data[2] >= 64;
    }
    const uint64_t endTick = song.messages.empty() ? 0 : song.messages.back().tick;
    auto add = [&](uint8_t status, uint8_t data1, uint8_t data2) {
        MidiMessage m;
        m.tick = endTick;
        m.seconds = song.endSeconds;
        m.size = 3;
        m.data[0] = status;
        m.data[1] = data1;
        m.data[2] = data2;
        song.messages.push_back(m);
    };
    for (uint8_t channel = 0; channel < 16; ++channel) {
        for (uint8_t key = 0; key < 128; ++key)
            for (int n = 0; n < sounding[channel][key]; ++n)
                add(uint8_t(kNoteOff | channel), key, 0);
        if (pedalDown[channel])
            add(uint8_t(kControlChange | channel), kSustainPedal, 0);
    }
}

}  // namespace kx
