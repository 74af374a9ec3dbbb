#include "probe/plugin_loader.h"

#include <dlfcn.h>

namespace kx::probe {

VstPluginMainProc loadPluginEntry(const std::string& path, std::string& error) {
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        error = ::dlerror();
        return nullptr;
    }
    auto entry = reinterpret_cast<VstPluginMainProc>(::dlsym(module, "VSTPluginMain"));
    if (!entry)
        error = "no VSTPluginMain in " + path;
    return entry;
}

}  // namespace kx::probe
