// The entry, the ports, the 30 parameters in their own units, and the state,
// which is the VST 2.4 chunk.
#include "clap/clap_fixture.h"
#include "support/command_run.h"

#include <set>

namespace kx::testing {
namespace {

TEST(ClapEntry, ExportsOnlyClapEntry) {
    const CommandRun r = runCommand(std::string("nm -D --defined-only '") + KX_CLAP_PATH + "' | awk '{print $3}'");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "clap_entry\n");
}

// Qtractor's own scanner (Debian's qtractor 0.9.31 hosts CLAP): one output,
// one MIDI input, 30 parameters, an editor (GUI: it asks for the gui API
// while its scanning host offers no timers).
TEST(ClapEntry, QtractorsScannerListsIt) {
#ifdef KX_SANITIZED
    GTEST_SKIP() << "Qtractor's scanner cannot load a sanitized library";
#endif
    const char* scanner = "/usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan";
    if (runCommand(std::string("test -x ") + scanner).status != 0)
        GTEST_SKIP() << "qtractor is not installed (scripts/install-deps.sh installs it)";
    const CommandRun r =
        runCommand(std::string("printf 'CLAP:%s\\n' '") + KX_CLAP_PATH + "' | " + scanner + " 2>/dev/null");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.rfind("CLAP|Kelvox2|0:1|1:0|30:0|GUI", 0), 0u) << r.out;
}

TEST_F(ClapTest, FactoryDescribesOneMonoInstrument) {
    const clap_plugin_factory* f = clap.factory();
    ASSERT_EQ(f->get_plugin_count(f), 1u);
    EXPECT_EQ(f->get_plugin_descriptor(f, 1), nullptr);
    const clap_plugin_descriptor* d = f->get_plugin_descriptor(f, 0);
    EXPECT_STREQ(d->id, kClapId);
    EXPECT_STREQ(d->name, "Kelvox2");
    std::set<std::string> features;
    for (const char* const* p = d->features; *p; ++p)
        features.insert(*p);
    EXPECT_EQ(features, (std::set<std::string>{"instrument", "synthesizer", "mono"}));
    EXPECT_EQ(clap.plugin()->desc, d);
    clap_host other{};
    other.version = CLAP_VERSION;
    EXPECT_EQ(f->create_plugin(f, &other, "org.example.other"), nullptr);
    // Hosts may initialise the entry again; it stays usable.
    EXPECT_TRUE(clap.entry()->init(KX_CLAP_PATH));
    clap.entry()->deinit();
    EXPECT_EQ(clap.entry()->get_factory("clap.unknown"), nullptr);
}

TEST_F(ClapTest, PortsLatencyVoicesAndRenderMode) {
    const auto* audio = clap.extension<clap_plugin_audio_ports>(CLAP_EXT_AUDIO_PORTS);
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(audio->count(clap.plugin(), true), 0u);
    ASSERT_EQ(audio->count(clap.plugin(), false), 1u);
    clap_audio_port_info port;
    ASSERT_TRUE(audio->get(clap.plugin(), 0, false, &port));
    EXPECT_EQ(port.channel_count, 1u);
    EXPECT_STREQ(port.port_type, "mono");
    EXPECT_EQ(port.flags, CLAP_AUDIO_PORT_IS_MAIN | CLAP_AUDIO_PORT_SUPPORTS_64BITS);
    const auto* notes = clap.extension<clap_plugin_note_ports>(CLAP_EXT_NOTE_PORTS);
    ASSERT_NE(notes, nullptr);
    ASSERT_EQ(notes->count(clap.plugin(), true), 1u);
    clap_note_port_info note;
    ASSERT_TRUE(notes->get(clap.plugin(), 0, true, &note));
    EXPECT_EQ(note.supported_dialects, CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI);
    EXPECT_EQ(note.preferred_dialect, CLAP_NOTE_DIALECT_CLAP);
    EXPECT_FALSE(notes->get(clap.plugin(), 1, true, &note));

    ASSERT_TRUE(clap.activate(44100.0, 256));
    EXPECT_EQ(clap.extension<clap_plugin_latency>(CLAP_EXT_LATENCY)->get(clap.plugin()), 0u);
    clap_voice_info voices{};
    ASSERT_TRUE(clap.extension<clap_plugin_voice_info>(CLAP_EXT_VOICE_INFO)->get(clap.plugin(), &voices));
    EXPECT_EQ(voices.voice_count, 1u);
    EXPECT_EQ(voices.voice_capacity, 1u);
    ASSERT_NE(clap.extension<clap_plugin_tail>(CLAP_EXT_TAIL), nullptr);
    const auto* render = clap.extension<clap_plugin_render>(CLAP_EXT_RENDER);
    EXPECT_TRUE(render->set(clap.plugin(), CLAP_RENDER_OFFLINE));
    EXPECT_FALSE(render->set(clap.plugin(), 7));
}

TEST_F(ClapTest, ThirtyParametersInTheirUnitsWithTheEffectsTexts) {
    loadVst(44100.0, 512);
    ASSERT_EQ(params->count(clap.plugin()), 30u);
    for (uint32_t i = 0; i < 30; ++i) {
        clap_param_info info;
        ASSERT_TRUE(params->get_info(clap.plugin(), i, &info));
        EXPECT_EQ(info.id, i);
        EXPECT_EQ(info.name, vst.paramName(static_cast<int>(i)));
        EXPECT_TRUE(info.flags & CLAP_PARAM_IS_AUTOMATABLE);
        EXPECT_LE(info.min_value, info.default_value);
        EXPECT_LE(info.default_value, info.max_value);
        // The value now, shown as the VST 2.4 instance shows it.
        EXPECT_EQ(text(i, value(i)), vstText(static_cast<int>(i))) << info.name;
        if (info.flags & CLAP_PARAM_IS_ENUM) {
            EXPECT_TRUE(info.flags & CLAP_PARAM_IS_STEPPED);
        }
    }
    struct Expected {
        const char* name;
        double min, max;
        uint32_t flags;  // stepped / enum
    };
    const Expected expected[] = {
        {"Wave1", 0, 3, CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_ENUM},
        {"LFOWave", 0, 5, CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_ENUM},
        {"Detune1", -99, 99, CLAP_PARAM_IS_STEPPED},
        {"Partial2", 1, 6, CLAP_PARAM_IS_STEPPED},
        {"LFOFreq", 1, 32, CLAP_PARAM_IS_STEPPED},
        {"Attk1", 0.01, 2, 0},
        {"PtchBend", 0, 12, 0},
        {"MainLvl", 0, 1, 0},  // a gain down to minus infinity dB: 0..1
    };
    for (const Expected& e : expected) {
        clap_param_info info;
        ASSERT_TRUE(params->get_info(clap.plugin(), paramId(e.name), &info));
        EXPECT_DOUBLE_EQ(info.min_value, e.min) << e.name;
        EXPECT_DOUBLE_EQ(info.max_value, e.max) << e.name;
        EXPECT_EQ(info.flags & (CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_ENUM), e.flags) << e.name;
    }
    EXPECT_EQ(text(paramId("Wave1"), 2), "Square");
    EXPECT_EQ(text(paramId("Detune1"), -50), "-50 cents");
    EXPECT_EQ(text(paramId("MainLvl"), 0), "-Inf dB");
}

TEST_F(ClapTest, TypedTextIsReadWithoutChangingTheValue) {
    const clap_id wave = paramId("Wave1"), detune = paramId("Detune1"), attack = paramId("Attk1");
    double v = -1;
    EXPECT_TRUE(params->text_to_value(clap.plugin(), wave, "square", &v));
    EXPECT_EQ(v, 2.0);
    EXPECT_TRUE(params->text_to_value(clap.plugin(), detune, "-50 cents", &v));
    EXPECT_EQ(v, -50.0);
    EXPECT_TRUE(params->text_to_value(clap.plugin(), attack, "500 ms", &v));
    EXPECT_DOUBLE_EQ(v, 0.5);
    EXPECT_FALSE(params->text_to_value(clap.plugin(), detune, "sideways", &v));
    EXPECT_FALSE(params->text_to_value(clap.plugin(), 30, "1", &v));
    EXPECT_EQ(value(wave), 0.0);
    EXPECT_EQ(value(detune), 0.0);
}

TEST_F(ClapTest, FlushWhileInactiveSetsPlainValuesSteppedOnesCut) {
    const clap_id detune = paramId("Detune1"), wave = paramId("Wave1"), attack = paramId("Attk1");
    clap.param(0, detune, -50.7);  // stepped: cut, not rounded
    clap.param(0, wave, 3.0);
    clap.param(0, attack, 0.25);
    clap.param(0, 4000, 1.0);  // no such parameter
    clap.flush();
    EXPECT_EQ(value(detune), -50.0);
    EXPECT_EQ(value(wave), 3.0);
    EXPECT_DOUBLE_EQ(value(attack), 0.25);
    EXPECT_EQ(text(wave, value(wave)), "Sawtooth");
}

TEST_F(ClapTest, StateIsTheVstChunkAndLoadsBothWays) {
    clap.param(0, paramId("Detune2"), 33);
    clap.param(0, paramId("Wave3"), 1);
    clap.param(0, paramId("LFODepth"), 70);
    clap.param(0, paramId("MainLvl"), 0.25);
    clap.flush();
    const std::vector<uint8_t> state = clap.saveState(3);  // a host that moves 3 bytes at a time
    ASSERT_FALSE(state.empty());

    loadVst(44100.0, 512);
    ASSERT_NE(vst.setChunk(state, false), 0);
    EXPECT_EQ(vst.getChunk(false), state);
    for (uint32_t i = 0; i < 30; ++i)
        EXPECT_EQ(text(i, value(i)), vstText(static_cast<int>(i))) << i;

    // And into a fresh CLAP instance, 5 bytes a read.
    ClapTestHost other;
    std::string error;
    ASSERT_TRUE(other.load(KX_CLAP_PATH, kClapId, &error)) << error;
    ASSERT_TRUE(other.loadState(state, 5));
    const auto* otherParams = other.extension<clap_plugin_params>(CLAP_EXT_PARAMS);
    for (uint32_t i = 0; i < 30; ++i) {
        double a = 0, b = 1;
        ASSERT_TRUE(otherParams->get_value(other.plugin(), i, &a));
        ASSERT_TRUE(params->get_value(clap.plugin(), i, &b));
        EXPECT_EQ(a, b) << i;
    }
    EXPECT_GT(other.rescans, 0) << "the host hears that the values changed";
    EXPECT_FALSE(other.loadState({}, 5));
}

}  // namespace
}  // namespace kx::testing
