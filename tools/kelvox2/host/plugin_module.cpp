#include "kelvox2/host/plugin_module.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <cerrno>
#include <cstring>

namespace kx {

bool PluginModule::open(const std::string& file) {
    close();
    struct stat st;
    if (::stat(file.c_str(), &st) != 0) {
        fault_ = Fault::CannotOpen;
        detail_ = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        fault_ = Fault::NotAFile;
        return false;
    }
    // A name without a slash would make dlopen search the library path.
    const std::string dlPath = file.find('/') == std::string::npos ? "./" + file : file;
    handle_ = ::dlopen(dlPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = ::dlerror();
        fault_ = Fault::CannotLoad;
        detail_ = why ? why : "unknown error";
        return false;
    }
    return true;
}

void PluginModule::close() {
    if (handle_)
        ::dlclose(handle_);
    handle_ = nullptr;
    fault_ = Fault::Ok;
    detail_.clear();
}

void* PluginModule::symbol(const char* name) const { return handle_ ? ::dlsym(handle_, name) : nullptr; }

VstPluginMainProc vst2Entry(const PluginModule& module) {
    auto entry = reinterpret_cast<VstPluginMainProc>(module.symbol("VSTPluginMain"));
    return entry ? entry : reinterpret_cast<VstPluginMainProc>(module.symbol("main"));
}

}  // namespace kx
