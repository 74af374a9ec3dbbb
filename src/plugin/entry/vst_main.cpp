// The library's entry point: one effect per call.
#include "plugin/effect.h"

#if defined(_WIN32)
#define KX_EXPORT __declspec(dllexport)
#else
#define KX_EXPORT __attribute__((visibility("default")))
#endif

namespace {

AEffect* createEffect(audioMasterCallback host) {
    // A host that answers version 0 speaks VST 1 only; it gets no effect.
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    kx::AudioEffect* effect = nullptr;
    try {
        effect = kx::createEffectInstance(host);
    } catch (...) {
        // Nothing may escape into the host.
        return nullptr;
    }
    return effect ? effect->getAeffect() : nullptr;
}

}  // namespace

extern "C" KX_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) { return createEffect(host); }

// The pre-2.4 entry name; C++ forbids a function called main with this
// signature, so the linker symbol is set by an asm label.
extern "C" KX_EXPORT AEffect* legacyEntry(audioMasterCallback host) __asm__("main");
extern "C" AEffect* legacyEntry(audioMasterCallback host) { return createEffect(host); }
