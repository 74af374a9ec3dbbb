#include "kelvox2/host/midi_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace kx {
namespace {

using Bytes = std::vector<uint8_t>;

void append(Bytes& b, std::initializer_list<int> v) {
    for (int x : v)
        b.push_back(uint8_t(x));
}

Bytes header(int format, int tracks, int division) {
    Bytes b;
    append(b, {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, format, tracks >> 8, tracks & 0xFF, division >> 8, division & 0xFF});
    return b;
}

void addTrack(Bytes& file, const Bytes& body) {
    size_t n = body.size();
    append(file, {'M', 'T', 'r', 'k', int(n >> 24), int(n >> 16 & 0xFF), int(n >> 8 & 0xFF), int(n & 0xFF)});
    file.insert(file.end(), body.begin(), body.end());
}

bool parse(const Bytes& b, MidiSong& song, MidiError& err) { return parseMidi(b.data(), b.size(), song, err); }

const Bytes kEndOfTrack = {0x00, 0xFF, 0x2F, 0x00};

TEST(MidiFile, Format0WithRunningStatusAndTempoChange) {
    Bytes body;
    append(body, {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});  // 500000 us: 120 bpm
    append(body, {0x00, 0x90, 60, 100});                       // note on
    append(body, {0x60, 62, 90});                              // running status, tick 96
    append(body, {0x60, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90});  // tick 192: 250000 us: 240 bpm
    append(body, {0x00, 0x80, 60, 0});
    append(body, {0x60, 62, 0});             // 0x80 restated after the meta, then running
    append(body, {0x00, 0xE0, 0x00, 0x50});  // pitch bend
    append(body, {0x00, 0xC0, 5});           // program change: two bytes
    body.insert(body.end(), kEndOfTrack.begin(), kEndOfTrack.end());
    Bytes file = header(0, 1, 96);
    addTrack(file, body);

    MidiSong song;
    MidiError err;
    ASSERT_TRUE(parse(file, song, err)) << err.describe();
    ASSERT_EQ(song.messages.size(), 6u);
    EXPECT_EQ(song.messages[1].data[0], 0x90);
    EXPECT_EQ(song.messages[1].data[1], 62);
    EXPECT_DOUBLE_EQ(song.messages[1].seconds, 0.5);   // 96 ticks at 120 bpm
    EXPECT_DOUBLE_EQ(song.messages[2].seconds, 1.0);   // tick 192
    EXPECT_DOUBLE_EQ(song.messages[3].seconds, 1.25);  // 96 more ticks at 240 bpm
    EXPECT_EQ(song.messages[4].data[0], 0xE0);
    EXPECT_EQ(song.messages[5].size, 2);
    EXPECT_EQ(song.messages[5].data[1], 5);
    EXPECT_DOUBLE_EQ(song.endSeconds, 1.25);

    ASSERT_EQ(song.tempo.size(), 2u);
    EXPECT_DOUBLE_EQ(song.bpmAtSeconds(0.99), 120.0);
    EXPECT_DOUBLE_EQ(song.bpmAtSeconds(1.0), 240.0);
    EXPECT_DOUBLE_EQ(song.ppqAtSeconds(1.0), 2.0);
    EXPECT_DOUBLE_EQ(song.ppqAtSeconds(1.5), 4.0);
}

TEST(MidiFile, Format1MergesTracksStablyAndTakesTempoFromAnyTrack) {
    Bytes conductor;
    append(conductor, {0x00, 0xFF, 0x58, 0x04, 3, 2, 24, 8});             // 3/4
    append(conductor, {0x83, 0x60, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40});  // tick 480: 60 bpm
    conductor.insert(conductor.end(), kEndOfTrack.begin(), kEndOfTrack.end());
    Bytes a, b;
    append(a, {0x00, 0x91, 64, 80, 0x83, 0x60, 0x81, 64, 0});  // on at 0, off at 480
    append(b, {0x00, 0x92, 67, 80, 0x83, 0x60, 0x82, 67, 0});
    append(b, {0x83, 0x60, 0x92, 69, 1});  // tick 960
    a.insert(a.end(), kEndOfTrack.begin(), kEndOfTrack.end());
    b.insert(b.end(), kEndOfTrack.begin(), kEndOfTrack.end());
    Bytes file = header(1, 3, 480);
    addTrack(file, conductor);
    append(file, {'X', 'y', 'z', 'w', 0, 0, 0, 2, 9, 9});  // an unknown chunk is skipped
    addTrack(file, a);
    addTrack(file, b);

    MidiSong song;
    MidiError err;
    ASSERT_TRUE(parse(file, song, err)) << err.describe();
    ASSERT_EQ(song.messages.size(), 5u);
    // equal ticks: track order first, each track in its own order
    EXPECT_EQ(song.messages[0].data[0], 0x91);
    EXPECT_EQ(song.messages[1].data[0], 0x92);
    EXPECT_EQ(song.messages[2].data[0], 0x81);
    EXPECT_EQ(song.messages[3].data[0], 0x82);
    EXPECT_EQ(song.messages[3].track, 2);
    EXPECT_DOUBLE_EQ(song.messages[2].seconds, 0.5);
    EXPECT_DOUBLE_EQ(song.messages[4].seconds, 1.5);  // 480 ticks at 60 bpm after 0.5 s

    EXPECT_EQ(song.meterAtPpq(0).numerator, 3);
    EXPECT_DOUBLE_EQ(song.barStartAtPpq(2.9), 0.0);
    EXPECT_DOUBLE_EQ(song.barStartAtPpq(3.0), 3.0);
    EXPECT_DOUBLE_EQ(song.barStartAtPpq(7.5), 6.0);
}

TEST(MidiFile, SysexIsSkippedAndCancelsRunningStatus) {
    Bytes body;
    append(body, {0x00, 0x90, 60, 100});
    append(body, {0x00, 0xF0, 0x03, 0x7E, 0x09, 0xF7});
    append(body, {0x00, 61, 100});  // data byte after sysex: no running status left
    Bytes file = header(0, 1, 96);
    addTrack(file, body);
    MidiSong song;
    MidiError err;
    ASSERT_FALSE(parse(file, song, err));
    EXPECT_EQ(err.offset, 14u + 8 + 4 + 6 + 1);
    EXPECT_NE(err.message.find("without a status byte"), std::string::npos) << err.message;

    body.resize(10);  // drop the orphan data byte: sysex alone is fine
    file = header(0, 1, 96);
    addTrack(file, body);
    ASSERT_TRUE(parse(file, song, err)) << err.describe();
    EXPECT_EQ(song.messages.size(), 1u);
}

TEST(MidiFile, TimeCodeDivisionCountsRealTime) {
    Bytes body;
    append(body, {0x00, 0x90, 60, 100, 0x81, 0x48, 0x80, 60, 0});  // off at tick 200
    Bytes file = header(0, 1, 0xE728);                             // -25 fps, 40 ticks per frame: 1000 ticks a second
    addTrack(file, body);
    MidiSong song;
    MidiError err;
    ASSERT_TRUE(parse(file, song, err)) << err.describe();
    EXPECT_DOUBLE_EQ(song.messages[1].seconds, 0.2);
    EXPECT_DOUBLE_EQ(song.ppqAtSeconds(0.5), 1.0);  // default 120 bpm
}

struct BadCase {
    const char* name;
    Bytes file;
    size_t offset;
    const char* says;
};

TEST(MidiFile, MalformedInputIsRefusedWithWhereAndWhy) {
    Bytes good = header(0, 1, 96);
    addTrack(good, Bytes{0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00});

    std::vector<BadCase> cases;
    cases.push_back({"empty", {}, 0, "not a Standard MIDI File"});
    cases.push_back({"wave file", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0}, 0, "not a Standard MIDI File"});
    Bytes shortHeader = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0};
    cases.push_back({"short header", shortHeader, 4, "runs past the end"});
    Bytes f2 = header(2, 1, 96);
    cases.push_back({"format 2", f2, 8, "format 2"});
    Bytes zeroDiv = header(0, 1, 0);
    cases.push_back({"zero division", zeroDiv, 12, "division"});
    Bytes missing = header(1, 2, 96);
    addTrack(missing, Bytes{0x00, 0xFF, 0x2F, 0x00});
    cases.push_back({"missing track", missing, missing.size(), "1 of 2 tracks"});
    Bytes longChunk = good;
    longChunk[14 + 7] = 200;  // track length beyond the file
    cases.push_back({"chunk length", longChunk, 18, "chunk length 200"});
    Bytes cut = good;
    cut.resize(cut.size() - 6);
    cut[14 + 7] = uint8_t(cut.size() - 22);  // consistent chunk, cut inside a message
    cases.push_back({"cut message", cut, cut.size(), "ends inside"});
    Bytes longMeta = header(0, 1, 96);
    addTrack(longMeta, Bytes{0x00, 0xFF, 0x01, 0x40, 'a'});
    cases.push_back({"meta length", longMeta, 23, "runs past the end of its track"});
    Bytes badTempo = header(0, 1, 96);
    addTrack(badTempo, Bytes{0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1});
    cases.push_back({"tempo length", badTempo, 23, "tempo"});
    Bytes varlen = header(0, 1, 96);
    addTrack(varlen, Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x7F});
    cases.push_back({"delta over 4 bytes", varlen, 22, "longer than 4 bytes"});
    Bytes highData = header(0, 1, 96);
    addTrack(highData, Bytes{0x00, 0x90, 60, 0xC0});
    cases.push_back({"data byte top bit", highData, 25, "top bit"});
    Bytes system = header(0, 1, 96);
    addTrack(system, Bytes{0x00, 0xF8});
    cases.push_back({"realtime byte", system, 23, "not allowed"});

    for (const BadCase& c : cases) {
        MidiSong song;
        MidiError err;
        EXPECT_FALSE(parse(c.file, song, err)) << c.name;
        EXPECT_EQ(err.offset, c.offset) << c.name << ": " << err.message;
        EXPECT_NE(err.message.find(c.says), std::string::npos) << c.name << ": " << err.message;
    }

    // every truncation of a good file either parses or fails cleanly, never reads past the end
    for (size_t n = 0; n < good.size(); ++n) {
        Bytes part(good.begin(), good.begin() + long(n));
        MidiSong song;
        MidiError err;
        EXPECT_FALSE(parse(part, song, err)) << n;
        EXPECT_LE(err.offset, n);
    }
}

TEST(MidiFile, ReadFileNamesThePath) {
    MidiSong song;
    std::string error;
    EXPECT_FALSE(readMidiFile("/nonexistent/x.mid", song, error));
    EXPECT_EQ(error.rfind("/nonexistent/x.mid: cannot open", 0), 0u) << error;
}

}  // namespace
}  // namespace kx
