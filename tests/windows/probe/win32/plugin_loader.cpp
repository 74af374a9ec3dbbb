#include "probe/plugin_loader.h"

#include <windows.h>

namespace kx::probe {

VstPluginMainProc loadPluginEntry(const std::string& path, std::string& error) {
    // The tests name files by their Linux paths, which wine resolves on its
    // drive for the root once the separators are Windows'.
    std::string windowsPath = path;
    for (char& c : windowsPath)
        if (c == '/')
            c = '\\';
    const HMODULE module = LoadLibraryA(windowsPath.c_str());
    if (!module) {
        error = "LoadLibraryA failed with error " + std::to_string(GetLastError()) + " for " + windowsPath;
        return nullptr;
    }
    auto entry = reinterpret_cast<VstPluginMainProc>(reinterpret_cast<void*>(GetProcAddress(module, "VSTPluginMain")));
    if (!entry)
        error = "no VSTPluginMain in " + windowsPath;
    return entry;
}

}  // namespace kx::probe
