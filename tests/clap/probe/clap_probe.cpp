// kx_clap_probe: plays a fixed little song through a .clap file (notes, MIDI,
// parameter changes inside blocks, a running transport, 32 and 64 bits) and
// writes the samples, so that the Linux and Windows builds of Kelvox2.clap
// can be held against each other bit for bit. Usage: kx_clap_probe PLUGIN OUT
#include "clap/clap_test_host.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using kx::testing::ClapTestHost;

clap_id findParam(ClapTestHost& host, const char* name) {
    const auto* params = host.extension<clap_plugin_params>(CLAP_EXT_PARAMS);
    for (uint32_t i = 0; params && i < params->count(host.plugin()); ++i) {
        clap_param_info info;
        if (params->get_info(host.plugin(), i, &info) && std::strcmp(info.name, name) == 0)
            return info.id;
    }
    std::fprintf(stderr, "kx_clap_probe: no parameter %s\n", name);
    return CLAP_INVALID_ID;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kx_clap_probe PLUGIN OUT\n");
        return 2;
    }
    ClapTestHost host;
    std::string error;
    if (!host.load(argv[1], "org.kelvox2.kelvox2", &error)) {
        std::fprintf(stderr, "kx_clap_probe: %s\n", error.c_str());
        return 1;
    }
    const clap_id depth = findParam(host, "LFODepth"), detune = findParam(host, "Detune2");
    const clap_id wave = findParam(host, "Wave3"), noise = findParam(host, "Noise1");
    if (depth == CLAP_INVALID_ID || detune == CLAP_INVALID_ID || wave == CLAP_INVALID_ID || noise == CLAP_INVALID_ID)
        return 1;
    constexpr double kRate = 44100.0;
    constexpr uint32_t kBlock = 512;
    if (!host.activate(kRate, kBlock)) {
        std::fprintf(stderr, "kx_clap_probe: not activated\n");
        return 1;
    }
    FILE* out = std::fopen(argv[2], "wb");
    if (!out)
        return 1;
    for (int b = 0; b < 24; ++b) {
        switch (b) {
        case 0:
            host.param(0, depth, 60);
            host.param(0, wave, 3);
            host.note(10, true, 60, 0.8);
            break;
        case 3:
            host.note(200, false, 60, 0);
            host.midi(300, 0x90, 64, 90);
            break;
        case 4: host.midi(5, 0xE0, 0, 80); break;
        case 5: host.param(40, detune, -40); break;
        case 6:
            host.midi(0, 0x80, 64, 0);
            host.note(1, true, 67, 0.1);
            host.param(100, noise, 0.3);
            break;
        case 9: host.note(500, false, 67, 0); break;
        case 12: host.note(0, true, 48, 1.0); break;
        case 20: host.note(0, false, 48, 0); break;
        default: break;
        }
        clap_event_transport t{};
        t.header = {sizeof t, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
        t.flags = CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_BEATS_TIMELINE | CLAP_TRANSPORT_IS_PLAYING;
        t.tempo = 133.0;
        t.song_pos_beats = static_cast<int64_t>(std::llround(b * kBlock * 133.0 / 60.0 / kRate * CLAP_BEATTIME_FACTOR));
        if (b < 12) {
            const std::vector<float> s = host.process(kBlock, &t);
            std::fwrite(s.data(), sizeof(float), s.size(), out);
        } else {
            const std::vector<double> s = host.process64(kBlock, &t);
            std::fwrite(s.data(), sizeof(double), s.size(), out);
        }
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
