#include "kelvox2/host/midi_file.h"

#include "kelvox2/host/byte_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kx {

namespace {

constexpr size_t kMaxMidiFileBytes = 64u << 20;
constexpr uint32_t kMThd = 0x4D546864;
constexpr uint32_t kMTrk = 0x4D54726B;

std::string hexByte(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", v & 0xFFu);
    return buf;
}

struct RawTempo {
    uint64_t tick;
    uint32_t microsPerQuarter;
};

struct RawMeter {
    uint64_t tick;
    int numerator;
    int denominator;
};

class Parser {
public:
    Parser(MidiSong& song, MidiError& error) : song_(song), error_(error) {}

    bool run(const uint8_t* data, size_t size);

private:
    bool fail(size_t offset, std::string message) {
        error_.offset = offset;
        error_.message = std::move(message);
        return false;
    }
    bool readHeader(ByteReader& file);
    bool readTrack(ByteReader& track, uint16_t index);
    bool readVarLen(ByteReader& r, uint32_t& v, const char* what);
    bool readMeta(ByteReader& r, uint64_t tick, size_t at, bool& endOfTrack);
    void buildMaps();

    MidiSong& song_;
    MidiError& error_;
    std::vector<RawTempo> tempos_;
    std::vector<RawMeter> meters_;
    uint64_t endTick_ = 0;
};

bool Parser::readVarLen(ByteReader& r, uint32_t& v, const char* what) {
    size_t at = r.position();
    v = 0;
    for (int i = 0; i < 4; ++i) {
        uint8_t b;
        if (!r.u8(b))
            return fail(r.position(), std::string("file ends inside a ") + what);
        v = v << 7 | (b & 0x7F);
        if (!(b & 0x80))
            return true;
    }
    return fail(at, std::string(what) + " is longer than 4 bytes");
}

bool Parser::readHeader(ByteReader& file) {
    uint32_t magic = 0, length = 0;
    if (!file.be32(magic) || magic != kMThd)
        return fail(0, "not a Standard MIDI File (no 'MThd' header)");
    if (!file.be32(length))
        return fail(file.position(), "file ends inside the header");
    if (length < 6)
        return fail(4, "header length " + std::to_string(length) + " is below 6");
    ByteReader header(nullptr, 0);
    if (!file.sub(length, header))
        return fail(4, "header length " + std::to_string(length) + " runs past the end of the file");
    uint16_t format = 0, tracks = 0, division = 0;
    header.be16(format);
    header.be16(tracks);
    header.be16(division);
    if (format > 1)
        return fail(8, "format " + std::to_string(format) + " is not supported (only 0 and 1)");
    if (tracks == 0)
        return fail(10, "the file declares no tracks");
    if (format == 0 && tracks != 1)
        return fail(10, "format 0 must have one track, not " + std::to_string(tracks));
    if (division & 0x8000) {
        int fps = -static_cast<int8_t>(division >> 8);
        int perFrame = division & 0xFF;
        if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || perFrame == 0)
            return fail(12, "invalid time-code division " + std::to_string(fps) + " frames per second, " +
                                std::to_string(perFrame) + " ticks per frame");
        // 29 means 29.97 drop-frame
        song_.ticksPerSecond = (fps == 29 ? 29.97 : fps) * perFrame;
    } else {
        if (division == 0)
            return fail(12, "division of 0 ticks per quarter note");
        song_.ticksPerQuarter = division;
    }
    song_.format = format;
    song_.trackCount = tracks;
    return true;
}

bool Parser::readMeta(ByteReader& r, uint64_t tick, size_t at, bool& endOfTrack) {
    uint8_t type;
    if (!r.u8(type))
        return fail(r.position(), "file ends inside a meta event");
    uint32_t length;
    if (!readVarLen(r, length, "meta event length"))
        return false;
    size_t dataAt = r.position();
    ByteReader body(nullptr, 0);
    if (!r.sub(length, body))
        return fail(at, "meta event " + hexByte(type) + " of " + std::to_string(length) +
                            " bytes runs past the end of its track");
    switch (type) {
    case 0x2F: endOfTrack = true; break;
    case 0x51: {
        uint8_t b[3];
        if (length != 3 || !body.bytes(b, 3))
            return fail(at, "tempo event has " + std::to_string(length) + " data bytes, not 3");
        uint32_t micros = uint32_t(b[0]) << 16 | uint32_t(b[1]) << 8 | b[2];
        if (micros == 0)
            return fail(dataAt, "tempo of 0 microseconds per quarter note");
        tempos_.push_back({tick, micros});
        break;
    }
    case 0x58: {
        uint8_t b[2];
        if (length < 2 || !body.bytes(b, 2))
            return fail(at, "time signature has " + std::to_string(length) + " data bytes, not 4");
        if (b[0] == 0 || b[1] > 6)
            return fail(dataAt, "invalid time signature " + std::to_string(b[0]) + "/2^" + std::to_string(b[1]));
        meters_.push_back({tick, b[0], 1 << b[1]});
        break;
    }
    default: break;  // names, texts, key signatures... carry nothing for playback
    }
    return true;
}

bool Parser::readTrack(ByteReader& r, uint16_t index) {
    uint64_t tick = 0;
    uint8_t running = 0;
    bool endOfTrack = false;
    while (!r.atEnd() && !endOfTrack) {
        uint32_t delta;
        if (!readVarLen(r, delta, "delta time"))
            return false;
        tick += delta;
        size_t at = r.position();
        uint8_t status;
        if (!r.peek(status))
            return fail(at, "track " + std::to_string(index) + " ends after a delta time");
        if (status & 0x80) {
            r.u8(status);
        } else if (running) {
            status = running;  // running status: this byte is the first data byte
        } else {
            return fail(at, "data byte " + hexByte(status) + " without a status byte");
        }

        if (status == 0xFF) {
            running = 0;  // meta and system exclusive events cancel running status
            if (!readMeta(r, tick, at, endOfTrack))
                return false;
        } else if (status == 0xF0 || status == 0xF7) {
            running = 0;
            uint32_t length;
            if (!readVarLen(r, length, "system exclusive length"))
                return false;
            if (!r.skip(length))
                return fail(at, "system exclusive event of " + std::to_string(length) +
                                    " bytes runs past the end of its track");
        } else if (status >= 0xF0) {
            return fail(at, "status byte " + hexByte(status) + " is not allowed in a MIDI file");
        } else {
            running = status;
            MidiMessage m;
            m.tick = tick;
            m.track = index;
            m.data[0] = status;
            uint8_t kind = status & 0xF0;
            m.size = (kind == 0xC0 || kind == 0xD0) ? 2 : 3;
            for (int i = 1; i < m.size; ++i) {
                size_t dataAt = r.position();
                if (!r.u8(m.data[i]))
                    return fail(dataAt,
                                "track " + std::to_string(index) + " ends inside a " + hexByte(status) + " message");
                if (m.data[i] & 0x80)
                    return fail(dataAt, "data byte " + hexByte(m.data[i]) + " of a " + hexByte(status) +
                                            " message has its top bit set");
            }
            song_.messages.push_back(m);
        }
    }
    endTick_ = std::max(endTick_, tick);
    return true;
}

void Parser::buildMaps() {
    std::stable_sort(tempos_.begin(), tempos_.end(),
                     [](const RawTempo& a, const RawTempo& b) { return a.tick < b.tick; });
    std::stable_sort(meters_.begin(), meters_.end(),
                     [](const RawMeter& a, const RawMeter& b) { return a.tick < b.tick; });
    song_.tempo.assign(1, TempoPoint{});
    for (const RawTempo& t : tempos_) {
        TempoPoint p;
        p.tick = t.tick;
        p.seconds = song_.secondsAtTick(t.tick);
        p.ppq = song_.ppqAtTick(t.tick);
        p.bpm = 60e6 / t.microsPerQuarter;
        if (p.tick == song_.tempo.back().tick)
            song_.tempo.back() = p;  // the last of several changes at one time holds
        else
            song_.tempo.push_back(p);
    }
    song_.meter.assign(1, MeterPoint{});
    for (const RawMeter& m : meters_) {
        MeterPoint p{song_.ppqAtTick(m.tick), m.numerator, m.denominator};
        if (p.ppq == song_.meter.back().ppq)
            song_.meter.back() = p;
        else
            song_.meter.push_back(p);
    }
}

bool Parser::run(const uint8_t* data, size_t size) {
    song_ = MidiSong{};
    ByteReader file(data, size);
    if (!readHeader(file))
        return false;

    int found = 0;
    while (found < song_.trackCount) {
        size_t at = file.position();
        uint32_t type = 0, length = 0;
        if (file.atEnd())
            return fail(
                at, "file ends after " + std::to_string(found) + " of " + std::to_string(song_.trackCount) + " tracks");
        if (!file.be32(type) || !file.be32(length))
            return fail(at, "file ends inside a chunk header");
        ByteReader chunk(nullptr, 0);
        if (!file.sub(length, chunk))
            return fail(at + 4, "chunk length " + std::to_string(length) + " runs past the end of the file (" +
                                    std::to_string(size) + " bytes)");
        if (type != kMTrk)
            continue;  // unknown chunks are skipped, as the format asks
        if (!readTrack(chunk, static_cast<uint16_t>(found)))
            return false;
        ++found;
    }

    // Merge: a stable sort on ticks keeps track order, then file order, for equal times.
    std::stable_sort(song_.messages.begin(), song_.messages.end(),
                     [](const MidiMessage& a, const MidiMessage& b) { return a.tick < b.tick; });
    buildMaps();
    for (MidiMessage& m : song_.messages)
        m.seconds = song_.secondsAtTick(m.tick);
    song_.endSeconds = song_.secondsAtTick(endTick_);
    return true;
}

}  // namespace

const TempoPoint& MidiSong::tempoAtTick(uint64_t tick) const {
    auto it =
        std::upper_bound(tempo.begin(), tempo.end(), tick, [](uint64_t t, const TempoPoint& p) { return t < p.tick; });
    return it == tempo.begin() ? *it : *(it - 1);
}

const TempoPoint& MidiSong::tempoAtSeconds(double s) const {
    auto it =
        std::upper_bound(tempo.begin(), tempo.end(), s, [](double v, const TempoPoint& p) { return v < p.seconds; });
    return it == tempo.begin() ? *it : *(it - 1);
}

double MidiSong::secondsAtTick(uint64_t tick) const {
    if (ticksPerQuarter <= 0)
        return ticksPerSecond > 0 ? tick / ticksPerSecond : 0.0;
    const TempoPoint& p = tempoAtTick(tick);
    return p.seconds + double(tick - p.tick) * 60.0 / (p.bpm * ticksPerQuarter);
}

double MidiSong::ppqAtTick(uint64_t tick) const {
    if (ticksPerQuarter > 0)
        return double(tick) / ticksPerQuarter;
    return ppqAtSeconds(secondsAtTick(tick));
}

double MidiSong::ppqAtSeconds(double s) const {
    const TempoPoint& p = tempoAtSeconds(s);
    return p.ppq + (s - p.seconds) * p.bpm / 60.0;
}

double MidiSong::bpmAtSeconds(double s) const { return tempoAtSeconds(s).bpm; }

const MeterPoint& MidiSong::meterAtPpq(double ppq) const {
    auto it =
        std::upper_bound(meter.begin(), meter.end(), ppq, [](double v, const MeterPoint& p) { return v < p.ppq; });
    return it == meter.begin() ? *it : *(it - 1);
}

double MidiSong::barStartAtPpq(double ppq) const {
    const MeterPoint& m = meterAtPpq(ppq);
    double barLength = m.numerator * 4.0 / m.denominator;
    double bars = std::floor((ppq - m.ppq) / barLength);
    return m.ppq + std::max(0.0, bars) * barLength;
}

std::string MidiError::describe() const { return "byte " + std::to_string(offset) + ": " + message; }

bool parseMidi(const uint8_t* data, size_t size, MidiSong& song, MidiError& error) {
    return Parser(song, error).run(data, size);
}

bool readMidiFile(const char* path, MidiSong& song, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!readFileCapped(path, kMaxMidiFileBytes, bytes, error)) {
        error = std::string(path) + ": " + error;
        return false;
    }
    MidiError e;
    if (!parseMidi(bytes.data(), bytes.size(), song, e)) {
        error = std::string(path) + ": " + e.describe();
        return false;
    }
    return true;
}

}  // namespace kx
