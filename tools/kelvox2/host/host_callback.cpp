#include "kelvox2/host/host_callback.h"

#include <cstring>

namespace kx {

namespace {

// The host being served while an entry point runs or an effect closes: a
// plug-in may call back before the host knows its record (with a null
// effect, or with its own record not yet returned).
thread_local HostAnswers* tServing = nullptr;

VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    HostAnswers* host = effect && effect->user ? static_cast<HostAnswers*>(effect->user) : tServing;
    if (!host)
        return opcode == audioMasterVersion ? kVstVersion : 0;
    return host->answer(opcode, index, value, ptr, opt);
}

VstIntPtr writeHostText(void* ptr, const char* text) {
    const size_t length = text ? std::strlen(text) : 0;
    if (!ptr || length == 0)
        return 0;
    const size_t n = length < kVstMaxVendorStrLen - 1 ? length : kVstMaxVendorStrLen - 1;
    std::memcpy(ptr, text, n);
    static_cast<char*>(ptr)[n] = '\0';
    return 1;
}

}  // namespace

AEffect* runEntry(VstPluginMainProc entry, HostAnswers& answers) {
    HostAnswers* previous = tServing;
    tServing = &answers;
    AEffect* effect = entry(hostCallback);
    tServing = previous;
    return effect;
}

void attachEffect(AEffect* effect, HostAnswers& answers) { effect->user = &answers; }

void closeEffect(AEffect* effect, HostAnswers& answers) {
    HostAnswers* previous = tServing;
    tServing = &answers;
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    tServing = previous;
}

bool answerAboutHost(const HostIdentity& host, VstInt32 opcode, void* ptr, VstIntPtr& result) {
    switch (opcode) {
    case audioMasterVersion: result = host.version; return true;
    case audioMasterGetVendorString: result = writeHostText(ptr, host.vendor); return true;
    case audioMasterGetProductString: result = writeHostText(ptr, host.product); return true;
    case audioMasterGetVendorVersion: result = host.vendorVersion; return true;
    case audioMasterGetLanguage: result = 1; return true;  // English
    case audioMasterCanDo: {
        result = 0;
        const char* what = static_cast<const char*>(ptr);
        for (const char* const* yes = host.canDo; what && yes && *yes; ++yes)
            if (std::strcmp(what, *yes) == 0)
                result = 1;
        return true;
    }
    default: return false;
    }
}

VstIntPtr quietHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    static constexpr HostIdentity kQuiet{kVstVersion, "kelvox2", "snapshot", 0, nullptr};
    VstIntPtr result = 0;
    if (answerAboutHost(kQuiet, opcode, ptr, result))
        return result;
    switch (opcode) {
    case audioMasterGetSampleRate: return 44100;
    case audioMasterGetBlockSize: return 1024;
    default: return 0;
    }
}

}  // namespace kx
