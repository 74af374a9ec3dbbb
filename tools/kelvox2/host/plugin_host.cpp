#include "kelvox2/host/plugin_host.h"

#include "kelvox2/host/plugin_lookup.h"

#include <cstddef>
#include <cstring>

namespace kx {

namespace {

constexpr size_t kTextBuffer = 256;

}  // namespace

// ---- PluginHost ------------------------------------------------------------

PluginHost::PluginHost() = default;

PluginHost::~PluginHost() { unload(); }

bool PluginHost::load(const std::string& path, std::string* error) {
    auto fail = [&](const std::string& message) {
        if (error)
            *error = message;
        unload();
        return false;
    };
    unload();
    std::string located;
    std::string why;
    if (!locatePlugin(path, located, why))
        return fail(why);
    path_ = located;
    if (!module_.open(located)) {
        switch (module_.fault()) {
        case PluginModule::Fault::CannotOpen: return fail("cannot open '" + path + "': " + module_.detail());
        case PluginModule::Fault::NotAFile: return fail("'" + path + "' is not a file");
        default: return fail("cannot load '" + path + "' as a plug-in module: " + module_.detail());
        }
    }
    VstPluginMainProc entry = vst2Entry(module_);
    if (!entry)
        return fail("'" + path + "' is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main");
    return createEffect(entry, error);
}

bool PluginHost::create(VstPluginMainProc entry, std::string* error) {
    unload();
    return createEffect(entry, error);
}

bool PluginHost::createEffect(VstPluginMainProc entry, std::string* error) {
    AEffect* effect = runEntry(entry, *this);
    const char* fault = !effect ? "the plug-in's entry point created no effect"
                        : effect->magic != kEffectMagic
                            ? "the plug-in's entry point returned a record without the VST magic number"
                            : nullptr;
    if (fault) {
        if (error)
            *error = fault;
        unload();
        return false;
    }
    attachEffect(effect, *this);
    effect_ = effect;
    return true;
}

void PluginHost::unload() {
    if (effect_) {
        closeEffect(effect_, *this);
        effect_ = nullptr;
    }
    module_.close();
}

int PluginHost::countCalls(VstInt32 opcode) const {
    int n = 0;
    for (const HostCall& c : calls_)
        n += c.opcode == opcode;
    return n;
}

VstIntPtr PluginHost::answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (opcode >= 0 && opcode < 64)
        ++counts_[opcode];
    static constexpr const char* kCanDo[] = {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo", "startStopProcess",
                                             nullptr};
    static constexpr const char* kCanDoSizing[] = {"sendVstEvents",    "sendVstMidiEvent", "sendVstTimeInfo",
                                                   "startStopProcess", "sizeWindow",       nullptr};
    const HostIdentity self{hostVersion, hostVendor.c_str(), hostProduct.c_str(), 1,
                            sizeWindowEnabled ? kCanDoSizing : kCanDo};
    VstIntPtr result = 0;
    if (answerAboutHost(self, opcode, ptr, result))
        return result;
    switch (opcode) {
    case audioMasterAutomate:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
    case audioMasterWantMidi: calls_.push_back({opcode, index, value, opt}); return 1;
    case audioMasterSizeWindow: calls_.push_back({opcode, index, value, opt}); return sizeWindowEnabled ? 1 : 0;
    case audioMasterGetTime: lastTimeMask_ = value; return timeInfoEnabled ? reinterpret_cast<VstIntPtr>(&timeInfo) : 0;
    case audioMasterGetSampleRate: return static_cast<VstIntPtr>(hostSampleRate);
    case audioMasterGetBlockSize: return hostBlockSize;
    case audioMasterGetCurrentProcessLevel: return processLevel;
    default: return 0;
    }
}

VstIntPtr PluginHost::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) const {
    if (!effect_ || opcode == effClose)
        return 0;  // closing goes through unload()
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string PluginHost::text(VstInt32 opcode, VstInt32 index) const {
    // Plug-ins overrun the nominal limits; give them room.
    char buffer[kTextBuffer] = {};
    dispatch(opcode, index, 0, buffer);
    buffer[kTextBuffer - 1] = '\0';
    return buffer;
}

float PluginHost::getParameter(int index) const {
    return effect_ && effect_->getParameter ? effect_->getParameter(effect_, index) : 0.0f;
}

void PluginHost::setParameter(int index, float value) const {
    if (effect_ && effect_->setParameter)
        effect_->setParameter(effect_, index, value);
}

bool PluginHost::string2parameter(int index, const std::string& typed) const {
    return dispatch(effString2Parameter, index, 0, const_cast<char*>(typed.c_str())) != 0;
}

VstIntPtr PluginHost::canDo(const char* what) const { return dispatch(effCanDo, 0, 0, const_cast<char*>(what)); }

bool PluginHost::inputProperties(int index, VstPinProperties* properties) const {
    return dispatch(effGetInputProperties, index, 0, properties) != 0;
}

bool PluginHost::outputProperties(int index, VstPinProperties* properties) const {
    return dispatch(effGetOutputProperties, index, 0, properties) != 0;
}

void PluginHost::setProgramName(const std::string& name) const {
    char buffer[kTextBuffer] = {};
    std::strncpy(buffer, name.c_str(), kTextBuffer - 1);
    dispatch(effSetProgramName, 0, 0, buffer);
}

bool PluginHost::programNameIndexed(int index, std::string* name) const {
    char buffer[kTextBuffer] = {};
    bool ok = dispatch(effGetProgramNameIndexed, index, 0, buffer) != 0;
    buffer[kTextBuffer - 1] = '\0';
    if (name)
        *name = ok ? buffer : "";
    return ok;
}

std::vector<uint8_t> PluginHost::getChunk(bool preset) const {
    void* data = nullptr;
    VstIntPtr size = dispatch(effGetChunk, preset ? 1 : 0, 0, &data);
    if (size <= 0 || !data)
        return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

VstIntPtr PluginHost::setChunk(const std::vector<uint8_t>& data, bool preset) const {
    return setChunk(data.data(), data.size(), preset);
}

VstIntPtr PluginHost::setChunk(const void* data, size_t size, bool preset) const {
    return dispatch(effSetChunk, preset ? 1 : 0, static_cast<VstIntPtr>(size), const_cast<void*>(data));
}

bool PluginHost::setSpeakerArrangement(VstSpeakerArrangement* inputs, VstSpeakerArrangement* outputs) const {
    return dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(inputs), outputs) != 0;
}

bool PluginHost::getSpeakerArrangement(VstSpeakerArrangement** inputs, VstSpeakerArrangement** outputs) const {
    return dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(inputs), outputs) != 0;
}

void PluginHost::processReplacing(float** inputs, float** outputs, VstInt32 frames) const {
    if (effect_ && effect_->processReplacing)
        effect_->processReplacing(effect_, inputs, outputs, frames);
}

void PluginHost::processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) const {
    if (effect_ && effect_->processDoubleReplacing)
        effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
}

// ---- PluginInstance ----------------------------------------------------------

const char* PluginHost::cannotProcess(bool doublePrecision) const {
    const VstInt32 flags = effect_ ? effect_->flags : 0;
    if (doublePrecision && !(flags & effFlagsCanDoubleReplacing))
        return "the plug-in cannot process in double precision";
    if (!doublePrecision && !(flags & effFlagsCanReplacing))
        return "the plug-in has no processReplacing";
    return nullptr;
}

void PluginHost::startProcessing(double sampleRate, int maxBlock, bool doublePrecision) {
    hostSampleRate = sampleRate;
    hostBlockSize = maxBlock;
    timeInfo = VstTimeInfo{};
    timeInfoEnabled = true;
    setSampleRate(float(sampleRate));
    setBlockSize(maxBlock);
    setProcessPrecision(doublePrecision);
    mainsChanged(true);
    startProcess();
}

void PluginHost::stopProcessing() {
    stopProcess();
    mainsChanged(false);
}

void PluginHost::setTransport(const SongClock& c, bool restarted) {
    timeInfo.samplePos = c.samplePos;
    timeInfo.sampleRate = hostSampleRate;
    timeInfo.ppqPos = c.ppqPos;
    timeInfo.tempo = c.tempo;
    timeInfo.barStartPos = c.barStartPos;
    timeInfo.timeSigNumerator = c.numerator;
    timeInfo.timeSigDenominator = c.denominator;
    timeInfo.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    if (restarted)
        timeInfo.flags |= kVstTransportChanged;
}

void PluginHost::sendEvents(const std::vector<BlockEvent>& events) {
    sequenced_.clear();
    for (const BlockEvent& e : events)
        sequenced_.add(e.deltaFrames, e.data[0], e.data[1], e.data[2]);
    processEvents(sequenced_.build());
}

}  // namespace kx
