#include "kelvox2/host/plugin_host.h"

#include "kelvox2/host/plugin_lookup.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace kx {

namespace {

// The host being loaded: a plug-in may call back during its entry point,
// before the host knows its AEffect (with a null effect, or with its own
// record not yet returned).
thread_local PluginHost* gLoadingHost = nullptr;

constexpr size_t kTextBuffer = 256;

}  // namespace

// ---- MidiEventList ---------------------------------------------------------

VstMidiEvent makeMidiEvent(int deltaFrames, unsigned char status, unsigned char data1, unsigned char data2) {
    VstMidiEvent e{};
    e.type = kVstMidiType;
    e.byteSize = sizeof(VstMidiEvent);
    e.deltaFrames = deltaFrames;
    e.midiData[0] = static_cast<char>(status);
    e.midiData[1] = static_cast<char>(data1);
    e.midiData[2] = static_cast<char>(data2);
    return e;
}

VstEvents* MidiEventList::events(const std::vector<VstEvent*>& extra) {
    pointers_.clear();
    for (VstMidiEvent& e : midi_)
        pointers_.push_back(reinterpret_cast<VstEvent*>(&e));
    pointers_.insert(pointers_.end(), extra.begin(), extra.end());
    const size_t n = pointers_.size();
    list_.assign(offsetof(VstEvents, events) + sizeof(VstEvent*) * (n < 2 ? 2 : n), 0);
    auto* list = reinterpret_cast<VstEvents*>(list_.data());
    list->numEvents = static_cast<VstInt32>(n);
    if (n)
        std::memcpy(list_.data() + offsetof(VstEvents, events), pointers_.data(), sizeof(VstEvent*) * n);
    return list;
}

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
    struct stat st;
    if (::stat(located.c_str(), &st) != 0)
        return fail("cannot open '" + path + "': " + std::strerror(errno));
    if (!S_ISREG(st.st_mode))
        return fail("'" + path + "' is not a file");
    module_ = ::dlopen(located.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module_) {
        const char* why = ::dlerror();
        return fail("cannot load '" + path + "' as a plug-in module: " + (why ? why : "unknown error"));
    }
    auto entry = reinterpret_cast<VstPluginMainProc>(::dlsym(module_, "VSTPluginMain"));
    if (!entry)
        entry = reinterpret_cast<VstPluginMainProc>(::dlsym(module_, "main"));
    if (!entry)
        return fail("'" + path + "' is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main");
    return createEffect(entry, error);
}

bool PluginHost::create(VstPluginMainProc entry, std::string* error) {
    unload();
    return createEffect(entry, error);
}

bool PluginHost::createEffect(VstPluginMainProc entry, std::string* error) {
    PluginHost* previous = gLoadingHost;
    gLoadingHost = this;
    AEffect* effect = entry(callback);
    gLoadingHost = previous;
    const char* fault = !effect                       ? "the plug-in's entry point created no effect"
                        : effect->magic != kEffectMagic ? "the plug-in's entry point returned a record without the VST magic number"
                                                        : nullptr;
    if (fault) {
        if (error)
            *error = fault;
        unload();
        return false;
    }
    effect->user = this;
    effect_ = effect;
    return true;
}

void PluginHost::unload() {
    if (effect_) {
        PluginHost* previous = gLoadingHost;
        gLoadingHost = this;
        effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
        gLoadingHost = previous;
        effect_ = nullptr;
    }
    if (module_) {
        ::dlclose(module_);
        module_ = nullptr;
    }
}

int PluginHost::countCalls(VstInt32 opcode) const {
    int n = 0;
    for (const HostCall& c : calls_)
        n += c.opcode == opcode;
    return n;
}

VstIntPtr PluginHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
    PluginHost* host = effect && effect->user ? static_cast<PluginHost*>(effect->user) : gLoadingHost;
    if (!host)
        return opcode == audioMasterVersion ? 2400 : 0;
    return host->answer(opcode, index, value, ptr, opt);
}

VstIntPtr PluginHost::answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (opcode >= 0 && opcode < 64)
        ++counts_[opcode];
    auto writeText = [ptr](const std::string& text) -> VstIntPtr {
        if (!ptr || text.empty())
            return 0;
        size_t n = text.size() < kVstMaxVendorStrLen - 1 ? text.size() : kVstMaxVendorStrLen - 1;
        std::memcpy(ptr, text.data(), n);
        static_cast<char*>(ptr)[n] = '\0';
        return 1;
    };
    switch (opcode) {
    case audioMasterAutomate:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
    case audioMasterWantMidi: calls_.push_back({opcode, index, value, opt}); return 1;
    case audioMasterSizeWindow: calls_.push_back({opcode, index, value, opt}); return sizeWindowEnabled ? 1 : 0;
    case audioMasterVersion: return hostVersion;
    case audioMasterGetTime: lastTimeMask_ = value; return timeInfoEnabled ? reinterpret_cast<VstIntPtr>(&timeInfo) : 0;
    case audioMasterGetSampleRate: return static_cast<VstIntPtr>(hostSampleRate);
    case audioMasterGetBlockSize: return hostBlockSize;
    case audioMasterGetVendorString: return writeText(hostVendor);
    case audioMasterGetProductString: return writeText(hostProduct);
    case audioMasterGetVendorVersion: return 1;
    case audioMasterGetCurrentProcessLevel: return processLevel;
    case audioMasterGetLanguage: return 1;  // English
    case audioMasterCanDo: {
        const char* what = static_cast<const char*>(ptr);
        if (!what)
            return 0;
        for (const char* yes : {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo", "startStopProcess"})
            if (std::strcmp(what, yes) == 0)
                return 1;
        return sizeWindowEnabled && std::strcmp(what, "sizeWindow") == 0 ? 1 : 0;
    }
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

}  // namespace kx
