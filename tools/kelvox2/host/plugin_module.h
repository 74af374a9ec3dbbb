// PluginModule: a plug-in's shared library, opened for its symbols. The
// format-neutral half of loading a plug-in: each format looks up its own
// entry point in the module (vst2Entry for VST 2.4).
//
// Not copyable; the library is released on destruction or close().
#pragma once

#include "plugin/vst_abi.h"

#include <string>

namespace kx {

class PluginModule {
public:
    // Why open() failed, for the caller to word in its own terms.
    enum class Fault { Ok, CannotOpen, NotAFile, CannotLoad };

    PluginModule() = default;
    ~PluginModule() { close(); }
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    // Opens the file (RTLD_NOW | RTLD_LOCAL). A name without a slash is
    // taken from the current folder, not from the library path. On failure
    // fault() says which step failed and detail() gives the system's reason.
    bool open(const std::string& file);
    void close();
    bool isOpen() const { return handle_ != nullptr; }
    void* symbol(const char* name) const;

    Fault fault() const { return fault_; }
    const std::string& detail() const { return detail_; }

private:
    void* handle_ = nullptr;
    Fault fault_ = Fault::Ok;
    std::string detail_;
};

// The VST 2.4 entry point of an open module: VSTPluginMain, else main; null
// when it exports neither.
VstPluginMainProc vst2Entry(const PluginModule& module);

}  // namespace kx
