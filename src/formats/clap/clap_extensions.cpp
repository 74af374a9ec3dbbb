// The small extensions, each answered from the effect: ports, state, latency,
// tail, render mode, voice info and preset loading.
#include "formats/clap/clap_extensions.h"

#include "formats/clap/clap_gui.h"
#include "formats/clap/clap_instance.h"
#include "formats/clap/clap_presets.h"
#include "params/number_text.h"

#include <climits>
#include <cstring>
#include <vector>

namespace kx::clap {

namespace {

// ---- Ports: one mono output, one note input --------------------------------------

uint32_t audioPortCount(const clap_plugin*, bool isInput) { return isInput ? 0 : 1; }

bool audioPortInfo(const clap_plugin*, uint32_t index, bool isInput, clap_audio_port_info* info) {
    if (isInput || index != 0 || !info)
        return false;
    std::memset(info, 0, sizeof *info);
    info->id = 0;
    copyText(info->name, "Output", CLAP_NAME_SIZE - 1);
    info->flags = CLAP_AUDIO_PORT_IS_MAIN | CLAP_AUDIO_PORT_SUPPORTS_64BITS;
    info->channel_count = 1;
    info->port_type = CLAP_PORT_MONO;
    info->in_place_pair = CLAP_INVALID_ID;
    return true;
}

const clap_plugin_audio_ports kAudioPorts = {audioPortCount, audioPortInfo};

uint32_t notePortCount(const clap_plugin*, bool isInput) { return isInput ? 1 : 0; }

bool notePortInfo(const clap_plugin*, uint32_t index, bool isInput, clap_note_port_info* info) {
    if (!isInput || index != 0 || !info)
        return false;
    std::memset(info, 0, sizeof *info);
    info->id = 0;
    info->supported_dialects = CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI;
    info->preferred_dialect = CLAP_NOTE_DIALECT_CLAP;
    copyText(info->name, "Notes", CLAP_NAME_SIZE - 1);
    return true;
}

const clap_plugin_note_ports kNotePorts = {notePortCount, notePortInfo};

// ---- State: the VST 2.4 chunk ---------------------------------------------------------

// No bank is anywhere near this; a stream longer than it is no state of ours.
constexpr uint64_t kMaxStateBytes = 64u << 20;

bool saveState(const clap_plugin* plugin, const clap_ostream* stream) {
    ClapInstance* instance = ClapInstance::from(plugin);
    if (!instance || !stream || !stream->write)
        return false;
    void* data = nullptr;
    const VstIntPtr size = instance->dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data)
        return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    uint64_t done = 0;
    while (done < static_cast<uint64_t>(size)) {
        const int64_t n = stream->write(stream, bytes + done, static_cast<uint64_t>(size) - done);
        if (n <= 0)
            return false;
        done += static_cast<uint64_t>(n);
    }
    return true;
}

bool loadState(const clap_plugin* plugin, const clap_istream* stream) {
    ClapInstance* instance = ClapInstance::from(plugin);
    if (!instance || !stream || !stream->read)
        return false;
    std::vector<unsigned char> bytes;
    try {
        unsigned char buffer[4096];
        for (;;) {
            const int64_t n = stream->read(stream, buffer, sizeof buffer);
            if (n < 0)
                return false;
            if (n == 0)
                break;
            if (bytes.size() + static_cast<uint64_t>(n) > kMaxStateBytes)
                return false;
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
    } catch (...) {
        return false;
    }
    if (bytes.empty() || bytes.size() > INT32_MAX)
        return false;
    if (instance->dispatch(effSetChunk, 0, static_cast<VstIntPtr>(bytes.size()), bytes.data()) == 0)
        return false;
    const clap_host_params* params = instance->hostParams();
    if (params && params->rescan)
        params->rescan(instance->host(), CLAP_PARAM_RESCAN_VALUES | CLAP_PARAM_RESCAN_TEXT);
    return true;
}

const clap_plugin_state kState = {saveState, loadState};

// ---- Latency, tail, render mode, voice info --------------------------------------------

uint32_t latency(const clap_plugin* plugin) {
    ClapInstance* instance = ClapInstance::from(plugin);
    return instance && instance->effect()->initialDelay > 0 ? static_cast<uint32_t>(instance->effect()->initialDelay)
                                                            : 0;
}

const clap_plugin_latency kLatency = {latency};

uint32_t tail(const clap_plugin* plugin) {
    // The effect's own answer: 1 is none, 0 unknown, which leaves it to the
    // host to hear when the output falls silent.
    ClapInstance* instance = ClapInstance::from(plugin);
    const VstIntPtr samples = instance ? instance->dispatch(effGetTailSize) : 0;
    if (samples == 1)
        return 0;
    return samples > 1 && samples < INT32_MAX ? static_cast<uint32_t>(samples) : INT32_MAX;
}

const clap_plugin_tail kTail = {tail};

const clap_plugin_render kRender = {
    [](const clap_plugin*) { return false; },
    [](const clap_plugin* plugin, int32_t mode) {
        ClapInstance* instance = ClapInstance::from(plugin);
        return instance && instance->setRenderMode(mode);
    },
};

const clap_plugin_voice_info kVoiceInfo = {
    [](const clap_plugin*, clap_voice_info* info) {
        if (!info)
            return false;
        info->voice_count = 1;  // monophonic
        info->voice_capacity = 1;
        info->flags = 0;
        return true;
    },
};

struct Extension {
    const char* id;
    const void* table;
};

}  // namespace

const void* findExtension(const char* id) {
    if (!id)
        return nullptr;
    const Extension kExtensions[] = {
        {CLAP_EXT_AUDIO_PORTS, &kAudioPorts},
        {CLAP_EXT_NOTE_PORTS, &kNotePorts},
        {CLAP_EXT_PARAMS, &kParams},
        {CLAP_EXT_STATE, &kState},
        {CLAP_EXT_LATENCY, &kLatency},
        {CLAP_EXT_TAIL, &kTail},
        {CLAP_EXT_RENDER, &kRender},
        {CLAP_EXT_VOICE_INFO, &kVoiceInfo},
        {CLAP_EXT_PRESET_LOAD, &kPresetLoad},
        {CLAP_EXT_PRESET_LOAD_COMPAT, &kPresetLoad},
        {CLAP_EXT_GUI, &ClapGui::kGui},
        {CLAP_EXT_TIMER_SUPPORT, &ClapGui::kTimer},
#if !defined(_WIN32)
        {CLAP_EXT_POSIX_FD_SUPPORT, &ClapGui::kFd},
#endif
    };
    for (const Extension& e : kExtensions)
        if (std::strcmp(id, e.id) == 0)
            return e.table;
    return nullptr;
}

}  // namespace kx::clap
