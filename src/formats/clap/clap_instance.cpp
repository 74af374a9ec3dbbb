#include "formats/clap/clap_instance.h"

#include "formats/clap/clap_gui.h"
#include "formats/clap/clap_param_scale.h"
#include "plugin/effect.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kx::clap {

namespace {

constexpr int kMidiNoteOff = 0x80;
constexpr int kMidiNoteOn = 0x90;
constexpr int kMidiController = 0xB0;
constexpr int kAllSoundOff = 120;
constexpr int kAllNotesOff = 123;
// audioMasterGetCurrentProcessLevel's answers.
constexpr VstIntPtr kLevelUser = 1;
constexpr VstIntPtr kLevelRealtime = 2;
constexpr VstIntPtr kLevelOffline = 4;

int midiByte(double unit) {
    const double v = std::round(unit * 127.0);
    return !(v >= 0.0) ? 0 : v > 127.0 ? 127 : static_cast<int>(v);
}

}  // namespace

ClapInstance::ClapInstance(const clap_host* host, const clap_plugin& functions) : plugin_(functions), host_(host) {
    plugin_.plugin_data = this;
}

ClapInstance::~ClapInstance() {
    gui_.reset();
    if (effect_)
        effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);  // deletes the effect
}

bool ClapInstance::create() {
    AudioEffect* made = nullptr;
    try {
        made = createEffectInstance(&ClapInstance::hostCallback);
    } catch (...) {
        return false;
    }
    if (!made)
        return false;
    effect_ = made->getAeffect();
    kEffect_ = dynamic_cast<KEffect*>(made);
    if (!kEffect_) {
        effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
        effect_ = nullptr;
        return false;
    }
    // From here on the effect's calls reach this instance.
    effect_->user = this;
    time_.sampleRate = sampleRate_;
    return true;
}

VstIntPtr ClapInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) const {
    return effect_ ? effect_->dispatcher(effect_, opcode, index, value, ptr, opt) : 0;
}

const void* ClapInstance::hostExtension(const char* id) const {
    return host_ && host_->get_extension ? host_->get_extension(host_, id) : nullptr;
}

bool ClapInstance::init() {
    hostParams_ = static_cast<const clap_host_params*>(hostExtension(CLAP_EXT_PARAMS));
    gui_ = std::make_unique<ClapGui>(*this);
    dispatch(effOpen);
    return true;
}

// ---- Activation and processing ---------------------------------------------------

bool ClapInstance::activate(double sampleRate, uint32_t maxFrames) {
    if (!(sampleRate > 0.0) || maxFrames < 1)
        return false;
    sampleRate_ = sampleRate;
    maxFrames_ = maxFrames;
    time_.sampleRate = sampleRate;
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, static_cast<VstIntPtr>(std::min<uint32_t>(maxFrames, INT32_MAX)));
    dispatch(effMainsChanged, 0, 1);
    active_ = true;
    return true;
}

void ClapInstance::deactivate() {
    dispatch(effMainsChanged, 0, 0);
    active_ = false;
}

bool ClapInstance::startProcessing() {
    dispatch(effStartProcess);
    return true;
}

void ClapInstance::stopProcessing() { dispatch(effStopProcess); }

void ClapInstance::reset() {
    // The effect's own reset: suspending and resuming empties its events and
    // releases the voice.
    dispatch(effMainsChanged, 0, 0);
    dispatch(effMainsChanged, 0, 1);
}

bool ClapInstance::setRenderMode(int32_t mode) {
    if (mode != CLAP_RENDER_REALTIME && mode != CLAP_RENDER_OFFLINE)
        return false;
    offline_ = mode == CLAP_RENDER_OFFLINE;
    return true;
}

void ClapInstance::readTransport(const clap_event_transport* transport, int64_t steadyTime) {
    hasTransport_ = transport != nullptr;
    if (steadyTime >= 0)
        time_.samplePos = static_cast<double>(steadyTime);
    if (!transport)
        return;
    VstInt32 flags = 0;
    if (transport->flags & CLAP_TRANSPORT_HAS_TEMPO) {
        time_.tempo = transport->tempo;
        flags |= kVstTempoValid;
    }
    if (transport->flags & CLAP_TRANSPORT_HAS_BEATS_TIMELINE) {
        time_.ppqPos = static_cast<double>(transport->song_pos_beats) / CLAP_BEATTIME_FACTOR;
        time_.barStartPos = static_cast<double>(transport->bar_start) / CLAP_BEATTIME_FACTOR;
        time_.cycleStartPos = static_cast<double>(transport->loop_start_beats) / CLAP_BEATTIME_FACTOR;
        time_.cycleEndPos = static_cast<double>(transport->loop_end_beats) / CLAP_BEATTIME_FACTOR;
        flags |= kVstPpqPosValid | kVstBarsValid | kVstCyclePosValid;
    }
    if (transport->flags & CLAP_TRANSPORT_HAS_SECONDS_TIMELINE)
        time_.samplePos = static_cast<double>(transport->song_pos_seconds) / CLAP_SECTIME_FACTOR * sampleRate_;
    if (transport->flags & CLAP_TRANSPORT_HAS_TIME_SIGNATURE) {
        time_.timeSigNumerator = transport->tsig_num;
        time_.timeSigDenominator = transport->tsig_denom;
        flags |= kVstTimeSigValid;
    }
    if (transport->flags & CLAP_TRANSPORT_IS_PLAYING)
        flags |= kVstTransportPlaying;
    if (transport->flags & CLAP_TRANSPORT_IS_RECORDING)
        flags |= kVstTransportRecording;
    if (transport->flags & CLAP_TRANSPORT_IS_LOOP_ACTIVE)
        flags |= kVstTransportCycleActive;
    time_.flags = flags;
}

void ClapInstance::advanceTime(uint32_t frames) {
    time_.samplePos += frames;
    if ((time_.flags & kVstTransportPlaying) && (time_.flags & kVstPpqPosValid) && (time_.flags & kVstTempoValid))
        time_.ppqPos += frames * time_.tempo / (60.0 * sampleRate_);
}

void ClapInstance::addMidi(VstInt32 offset, int status, int data1, int data2) {
    if (list_.numEvents >= kMaxEvents)
        return;
    VstMidiEvent& e = midi_[list_.numEvents];
    std::memset(&e, 0, sizeof e);
    e.type = kVstMidiType;
    e.byteSize = sizeof e;
    e.deltaFrames = offset;
    e.midiData[0] = static_cast<char>(status);
    e.midiData[1] = static_cast<char>(data1 & 0x7F);
    e.midiData[2] = static_cast<char>(data2 & 0x7F);
    list_.events[list_.numEvents++] = reinterpret_cast<VstEvent*>(&e);
}

void ClapInstance::takeEvent(const clap_event_header* event, VstInt32 offset) {
    switch (event->type) {
    case CLAP_EVENT_NOTE_ON:
    case CLAP_EVENT_NOTE_OFF:
    case CLAP_EVENT_NOTE_CHOKE: {
        if (event->size < sizeof(clap_event_note))
            return;
        const auto* note = reinterpret_cast<const clap_event_note*>(event);
        const int channel = note->channel >= 0 && note->channel < 16 ? note->channel : 0;
        if (note->key < 0 || note->key > 127) {
            // A wildcard key: every note (or every sound, for a choke).
            if (event->type != CLAP_EVENT_NOTE_ON)
                addMidi(offset, kMidiController | channel,
                        event->type == CLAP_EVENT_NOTE_CHOKE ? kAllSoundOff : kAllNotesOff, 0);
            return;
        }
        if (event->type == CLAP_EVENT_NOTE_ON) {
            if (note->channel < 0)
                return;
            // Velocity 0 is a note-on here, a release in MIDI.
            addMidi(offset, kMidiNoteOn | channel, note->key, std::max(1, midiByte(note->velocity)));
        } else {
            addMidi(offset, kMidiNoteOff | channel, note->key, midiByte(note->velocity));
        }
        return;
    }
    case CLAP_EVENT_MIDI: {
        if (event->size < sizeof(clap_event_midi))
            return;
        const auto* midi = reinterpret_cast<const clap_event_midi*>(event);
        addMidi(offset, midi->data[0], midi->data[1], midi->data[2]);
        return;
    }
    case CLAP_EVENT_PARAM_VALUE: {
        if (event->size < sizeof(clap_event_param_value))
            return;
        const auto* value = reinterpret_cast<const clap_event_param_value*>(event);
        setPlainValue(value->param_id, value->value);
        return;
    }
    default: return;  // transport inside a block, expressions, modulation, sysex: not taken
    }
}

void ClapInstance::setPlainValue(clap_id id, double plain) {
    const KParam* param =
        id < static_cast<clap_id>(effect_->numParams) ? kEffect_->getParam(static_cast<int>(id)) : nullptr;
    if (!param)
        return;
    effect_->setParameter(effect_, static_cast<VstInt32>(id), static_cast<float>(toNormalised(*param, plain)));
}

void ClapInstance::render(const clap_audio_buffer* output, uint32_t start, uint32_t frames) {
    if (frames == 0)
        return;
    const auto n = static_cast<VstInt32>(frames);
    if (output && output->data32) {
        float* channel = output->data32[0] + start;
        effect_->processReplacing(effect_, nullptr, &channel, n);
    } else if (output && output->data64) {
        double* channel = output->data64[0] + start;
        effect_->processDoubleReplacing(effect_, nullptr, &channel, n);
    } else {
        effect_->processReplacing(effect_, nullptr, nullptr, n);
    }
    advanceTime(frames);
}

int32_t ClapInstance::process(const clap_process* process) {
    if (!process || !active_)
        return CLAP_PROCESS_ERROR;
    enterAudio(process->out_events);
    readTransport(process->transport, process->steady_time);

    const clap_audio_buffer* output = nullptr;
    if (process->audio_outputs_count > 0 && process->audio_outputs && process->audio_outputs[0].channel_count > 0) {
        process->audio_outputs[0].constant_mask = 0;  // every sample is written
        output = &process->audio_outputs[0];
    }
    const uint32_t frames = process->frames_count;
    const clap_input_events* in = process->in_events;
    const uint32_t count = in && in->size ? in->size(in) : 0;

    // The block is rendered in stretches that end where a parameter changes,
    // as a VST 2.4 host splits its blocks at automation; notes within a
    // stretch go to the effect with their offsets.
    uint32_t start = 0;
    uint32_t next = 0;
    do {
        uint32_t end = frames;
        list_.numEvents = 0;
        for (; next < count; ++next) {
            const clap_event_header* event = in->get(in, next);
            if (!event || event->space_id != CLAP_CORE_EVENT_SPACE_ID)
                continue;
            const uint32_t at = std::clamp(event->time, start, frames);
            if (event->type == CLAP_EVENT_PARAM_VALUE && at > start) {
                end = at;
                break;
            }
            // A time past the block (a faulty host) counts as its last sample.
            const uint32_t offset = at < frames ? at - start : frames > start ? frames - 1 - start : 0;
            takeEvent(event, static_cast<VstInt32>(offset));
        }
        if (list_.numEvents > 0)
            dispatch(effProcessEvents, 0, 0, &list_);
        render(output, start, end - start);
        start = end;
    } while (start < frames || next < count);

    leaveAudio();
    return CLAP_PROCESS_CONTINUE_IF_NOT_QUIET;
}

void ClapInstance::flush(const clap_input_events* in, const clap_output_events* out) {
    enterAudio(out);
    const uint32_t count = in && in->size ? in->size(in) : 0;
    for (uint32_t i = 0; i < count; ++i) {
        const clap_event_header* event = in->get(in, i);
        if (event && event->space_id == CLAP_CORE_EVENT_SPACE_ID && event->type == CLAP_EVENT_PARAM_VALUE)
            takeEvent(event, 0);
    }
    leaveAudio();
}

void ClapInstance::enterAudio(const clap_output_events* out) {
    audioThread_.store(std::this_thread::get_id(), std::memory_order_release);
    liveOut_ = out;
    pushReports(out);
}

void ClapInstance::leaveAudio() {
    liveOut_ = nullptr;
    audioThread_.store(std::thread::id(), std::memory_order_release);
}

// ---- The effect's host callback ------------------------------------------------

VstIntPtr ClapInstance::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                     float opt) {
    // While the effect is being made it is nobody's yet: it learns only the
    // version and keeps its own defaults.
    auto* self = effect && effect->user ? static_cast<ClapInstance*>(effect->user) : nullptr;
    if (!self)
        return opcode == audioMasterVersion ? kVstVersion : 0;
    return self->answer(opcode, index, value, ptr, opt);
}

VstIntPtr ClapInstance::answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    (void)value;
    auto writeText = [ptr](const char* text) -> VstIntPtr {
        if (!ptr || !text || !text[0])
            return 0;
        std::strncpy(static_cast<char*>(ptr), text, kVstMaxVendorStrLen - 1);
        static_cast<char*>(ptr)[kVstMaxVendorStrLen - 1] = '\0';
        return 1;
    };
    switch (opcode) {
    case audioMasterVersion: return kVstVersion;
    case audioMasterGetTime: return hasTransport_ ? reinterpret_cast<VstIntPtr>(&time_) : 0;
    case audioMasterGetSampleRate: return static_cast<VstIntPtr>(sampleRate_);
    case audioMasterGetBlockSize: return static_cast<VstIntPtr>(maxFrames_);
    case audioMasterGetCurrentProcessLevel:
        return offline_ ? kLevelOffline : onAudioThread() ? kLevelRealtime : kLevelUser;
    case audioMasterWantMidi: return 1;
    case audioMasterGetVendorString: return writeText(host_ ? host_->vendor : nullptr);
    case audioMasterGetProductString: return writeText(host_ ? host_->name : nullptr);
    case audioMasterBeginEdit: report(OutputReport::kBegin, index, 0.0f); return 1;
    case audioMasterAutomate: report(OutputReport::kValue, index, opt); return 1;
    case audioMasterEndEdit: report(OutputReport::kEnd, index, 0.0f); return 1;
    case audioMasterUpdateDisplay:
        if (!onAudioThread() && hostParams_ && hostParams_->rescan)
            hostParams_->rescan(host_, CLAP_PARAM_RESCAN_VALUES | CLAP_PARAM_RESCAN_TEXT);
        return 1;
    case audioMasterSizeWindow: return gui_ ? gui_->requestResize(index, static_cast<int>(value)) : 0;
    case audioMasterCanDo: {
        const char* what = static_cast<const char*>(ptr);
        if (!what)
            return 0;
        for (const char* yes :
             {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo", "startStopProcess", "sizeWindow"})
            if (std::strcmp(what, yes) == 0)
                return 1;
        return 0;
    }
    default: return 0;
    }
}

// ---- Reports from the editor -----------------------------------------------------

namespace {

bool pushEvent(const clap_output_events* out, const clap_event_header& header) {
    return out && out->try_push && out->try_push(out, &header);
}

}  // namespace

void ClapInstance::report(OutputReport::Kind kind, VstInt32 index, float normalised) {
    if (index < 0 || index >= effect_->numParams)
        return;
    OutputReport r;
    r.kind = kind;
    r.index = static_cast<uint32_t>(index);
    r.normalised = normalised;
    if (onAudioThread()) {
        // Asked from inside process or flush: out at once, after what was
        // queued (the queue has one writer: the main thread).
        pushReports(liveOut_);
        pushReport(liveOut_, r);
        return;
    }
    reports_.push(r);
    if (hostParams_ && hostParams_->request_flush)
        hostParams_->request_flush(host_);
}

void ClapInstance::pushReports(const clap_output_events* out) {
    OutputReport r;
    while (reports_.pop(&r))
        pushReport(out, r);
}

void ClapInstance::pushReport(const clap_output_events* out, const OutputReport& r) {
    if (r.kind == OutputReport::kValue) {
        clap_event_param_value e;
        std::memset(&e, 0, sizeof e);
        e.header.size = sizeof e;
        e.header.type = CLAP_EVENT_PARAM_VALUE;
        e.header.flags = CLAP_EVENT_IS_LIVE;
        e.param_id = r.index;
        e.note_id = -1;
        e.port_index = e.channel = e.key = -1;
        const KParam* param = kEffect_->getParam(static_cast<int>(r.index));
        e.value = param ? toPlain(*param, r.normalised) : r.normalised;
        pushEvent(out, e.header);
    } else {
        clap_event_param_gesture e;
        std::memset(&e, 0, sizeof e);
        e.header.size = sizeof e;
        e.header.type = r.kind == OutputReport::kBegin ? CLAP_EVENT_PARAM_GESTURE_BEGIN : CLAP_EVENT_PARAM_GESTURE_END;
        e.header.flags = CLAP_EVENT_IS_LIVE;
        e.param_id = r.index;
        pushEvent(out, e.header);
    }
}

}  // namespace kx::clap
