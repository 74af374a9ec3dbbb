// Loads a VST 2.4 plug-in module for the probe and finds its entry point;
// one implementation per platform. The module stays loaded until the
// process ends.
#pragma once

#include <string>

#include "plugin/vst_abi.h"

namespace kx::probe {

// Null, with the reason in `error`, when the module or its entry is missing.
VstPluginMainProc loadPluginEntry(const std::string& path, std::string& error);

}  // namespace kx::probe
