// Rendering through CLAP gives the VST 2.4 entry's samples, bit for bit, with
// notes, MIDI and parameter changes at the frames they were given.
#include "clap/clap_fixture.h"

#include <algorithm>
#include <cmath>

namespace kx::testing {
namespace {

constexpr double kRate = 44100.0;
constexpr uint32_t kBlock = 512;

// One event of a little song, at an absolute frame.
struct Cue {
    enum Kind { kNoteOn, kNoteOff, kMidi, kParam };
    uint64_t at;
    Kind kind;
    uint8_t status, data1, data2;  // kMidi; data1 is the key of a note
    clap_id id = 0;                // kParam
    double plain = 0.0;            // kParam, in the CLAP parameter's values
};

class ClapRender : public ClapTest {
protected:
    static float peak(const std::vector<float>& s, uint32_t from, uint32_t to) {
        float p = 0.0f;
        for (uint32_t i = from; i < to; ++i)
            p = std::max(p, std::fabs(s[i]));
        return p;
    }

    // The transport at the start of block `n`: 120 BPM, playing, the
    // position as CLAP's fixed point holds it.
    static clap_event_transport transportAt(uint64_t frame) {
        clap_event_transport t{};
        t.header = {sizeof t, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
        t.flags = CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_BEATS_TIMELINE | CLAP_TRANSPORT_IS_PLAYING;
        t.tempo = 120.0;
        t.song_pos_beats = static_cast<int64_t>(std::llround(frame * 2.0 / kRate * CLAP_BEATTIME_FACTOR));
        return t;
    }

    // Plays the cues through CLAP; 64-bit output when asked.
    template <typename Sample>
    std::vector<Sample> playClap(const std::vector<Cue>& cues, int blocks, bool transport) {
        EXPECT_TRUE(clap.activate(kRate, kBlock));
        std::vector<Sample> out;
        for (int b = 0; b < blocks; ++b) {
            const uint64_t start = uint64_t(b) * kBlock;
            for (const Cue& c : cues) {
                if (c.at < start || c.at >= start + kBlock)
                    continue;
                const auto t = static_cast<uint32_t>(c.at - start);
                switch (c.kind) {
                case Cue::kNoteOn: clap.note(t, true, c.data1, c.data2 / 127.0); break;
                case Cue::kNoteOff: clap.note(t, false, c.data1, 0.0); break;
                case Cue::kMidi: clap.midi(t, c.status, c.data1, c.data2); break;
                case Cue::kParam: clap.param(t, c.id, c.plain); break;
                }
            }
            const clap_event_transport tr = transportAt(start);
            std::vector<Sample> block;
            if constexpr (sizeof(Sample) == 4)
                block = clap.process(kBlock, transport ? &tr : nullptr);
            else
                block = clap.process64(kBlock, transport ? &tr : nullptr);
            out.insert(out.end(), block.begin(), block.end());
        }
        return out;
    }

    // The same through the VST 2.4 entry, as a host that splits its blocks at
    // automation does. `normalised` gives each parameter cue's 0..1 value.
    template <typename Sample>
    std::vector<Sample> playVst(const std::vector<Cue>& cues, int blocks, bool transport,
                                const std::vector<float>& normalised) {
        loadVst(kRate, kBlock);
        activateVst(kRate, kBlock);
        if (sizeof(Sample) == 8)
            vst.setProcessPrecision(true);
        vst.timeInfoEnabled = transport;
        std::vector<Sample> out(size_t(blocks) * kBlock, Sample(-7));
        for (int b = 0; b < blocks; ++b) {
            const uint64_t start = uint64_t(b) * kBlock;
            const clap_event_transport tr = transportAt(start);
            vst.timeInfo = {};
            vst.timeInfo.sampleRate = kRate;
            vst.timeInfo.tempo = 120.0;
            vst.timeInfo.ppqPos = static_cast<double>(tr.song_pos_beats) / CLAP_BEATTIME_FACTOR;
            vst.timeInfo.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid;
            uint64_t from = start;
            size_t cue = 0;
            while (from < start + kBlock) {
                uint64_t to = start + kBlock;
                EventList list;
                for (cue = 0; cue < cues.size(); ++cue) {
                    const Cue& c = cues[cue];
                    if (c.at < from || c.at >= to)
                        continue;
                    if (c.kind == Cue::kParam) {
                        if (c.at > from) {
                            to = c.at;
                            break;
                        }
                        vst.setParameter(static_cast<int>(c.id), normalised[cue]);
                        continue;
                    }
                    const int delta = static_cast<int>(c.at - from);
                    if (c.kind == Cue::kNoteOn)
                        list.add(delta, 0x90, c.data1, c.data2);
                    else if (c.kind == Cue::kNoteOff)
                        list.add(delta, 0x80, c.data1, 0);
                    else
                        list.add(delta, c.status, c.data1, c.data2);
                }
                if (list.size() > 0)
                    vst.processEvents(list.build());
                Sample* channel = out.data() + from;
                if constexpr (sizeof(Sample) == 4)
                    vst.processReplacing(nullptr, &channel, static_cast<VstInt32>(to - from));
                else
                    vst.processDoubleReplacing(nullptr, &channel, static_cast<VstInt32>(to - from));
                if (transport)
                    vst.timeInfo.ppqPos += (to - from) * 120.0 / (60.0 * kRate);
                from = to;
            }
        }
        return out;
    }

    std::vector<Cue> song() {
        const clap_id depth = paramId("LFODepth");
        const clap_id detune = paramId("Detune2");
        return {
            {0, Cue::kParam, 0, 0, 0, depth, 60.0},
            {10, Cue::kNoteOn, 0, 60, 100},
            {1700, Cue::kNoteOff, 0, 60, 0},
            {1800, Cue::kMidi, 0x90, 64, 90},  // the MIDI dialect
            {2000, Cue::kMidi, 0xE0, 0, 80},   // pitch bend
            {2600, Cue::kParam, 0, 0, 0, detune, -40.0},
            {3300, Cue::kMidi, 0x80, 64, 0},
            {3301, Cue::kNoteOn, 0, 67, 1},
            {4500, Cue::kNoteOff, 0, 67, 0},
        };
    }
    // The 0..1 values a VST host would send for the song's parameter cues.
    std::vector<float> songNormalised(const std::vector<Cue>& cues) {
        const clap_id depth = paramId("LFODepth");
        std::vector<float> n(cues.size());
        for (size_t i = 0; i < cues.size(); ++i)
            if (cues[i].kind == Cue::kParam)
                n[i] = static_cast<float>(cues[i].id == depth ? cues[i].plain / 100.0 : (cues[i].plain + 99.0) / 198.0);
        return n;
    }
};

TEST_F(ClapRender, SameSamplesAsTheVstEntryWithTransport) {
    const std::vector<Cue> cues = song();
    const std::vector<float> clapOut = playClap<float>(cues, 12, true);
    const std::vector<float> vstOut = playVst<float>(cues, 12, true, songNormalised(cues));
    ASSERT_EQ(clapOut.size(), vstOut.size());
    double energy = 0.0;
    for (float s : clapOut)
        energy += double(s) * s;
    EXPECT_GT(energy, 1.0) << "the song sounds";
    for (size_t i = 0; i < clapOut.size(); ++i)
        ASSERT_EQ(clapOut[i], vstOut[i]) << "first difference at sample " << i;
    EXPECT_TRUE(sameBits(clapOut, vstOut));
}

TEST_F(ClapRender, SameSamplesAsTheVstEntryIn64BitsWithoutTransport) {
    const std::vector<Cue> cues = song();
    const std::vector<double> clapOut = playClap<double>(cues, 12, false);
    const std::vector<double> vstOut = playVst<double>(cues, 12, false, songNormalised(cues));
    EXPECT_TRUE(sameBits(clapOut, vstOut));
}

TEST_F(ClapRender, EventsActAtTheirFrames) {
    // A note at frame 300, the main level down to silence at frame 200 of
    // the second block: the VST 2.4 entry given the same frames renders the
    // same bits, and given the level one frame later does not.
    const clap_id level = paramId("MainLvl");
    const std::vector<Cue> cues = {{300, Cue::kNoteOn, 0, 60, 100}, {kBlock + 200, Cue::kParam, 0, 0, 0, level, 0.0}};
    const std::vector<float> clapOut = playClap<float>(cues, 3, false);
    EXPECT_LT(peak(clapOut, 0, 300), 1e-5f) << "sound before the note";
    EXPECT_GT(peak(clapOut, 300, kBlock), 1e-3f) << "the note sounds";
    EXPECT_LT(peak(clapOut, 2 * kBlock, 3 * kBlock), 1e-5f) << "the level is down";
    EXPECT_EQ(value(level), 0.0);
    EXPECT_TRUE(sameBits(clapOut, playVst<float>(cues, 3, false, {0.0f, 0.0f})));
    std::vector<Cue> later = cues;
    later[1].at += 1;
    vst.unload();
    EXPECT_FALSE(sameBits(clapOut, playVst<float>(later, 3, false, {0.0f, 0.0f})));
}

TEST_F(ClapRender, AChokeOfEveryKeySilencesAtOnce) {
    ASSERT_TRUE(clap.activate(kRate, kBlock));
    clap.note(0, true, 60, 1.0);
    clap.process(kBlock);
    clap_event_note choke{};
    choke.header = {sizeof choke, 100, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_NOTE_CHOKE, 0};
    choke.note_id = choke.port_index = choke.channel = choke.key = -1;
    clap.event(&choke, sizeof choke);
    const std::vector<float> block = clap.process(kBlock);
    EXPECT_GT(peak(block, 90, 100), 1e-3f);
    EXPECT_LT(peak(block, 101, kBlock), 1e-5f);
}

}  // namespace
}  // namespace kx::testing
