// Loads a plug-in, opens and closes one instance, and unloads it again, as
// many times as asked: what a host that scans its plug-ins does.
// usage: kx_load_unload PLUGIN COUNT
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "plugin/vst_abi.h"

namespace {

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kx_load_unload PLUGIN COUNT\n");
        return 2;
    }
    const int count = std::atoi(argv[2]);
    for (int i = 0; i < count; ++i) {
        void* module = ::dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            std::fprintf(stderr, "%s\n", ::dlerror());
            return 1;
        }
        using Entry = AEffect* (*)(audioMasterCallback);
        auto entry = reinterpret_cast<Entry>(::dlsym(module, "VSTPluginMain"));
        AEffect* effect = entry ? entry(host) : nullptr;
        if (!effect) {
            std::fprintf(stderr, "no effect\n");
            return 1;
        }
        effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        ::dlclose(module);
    }
    return 0;
}
