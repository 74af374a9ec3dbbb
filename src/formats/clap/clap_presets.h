// The factory sounds as CLAP presets built into the plug-in: a discovery
// factory that lists them and the preset-load extension that applies one.
// Their only source is the factory preset text compiled into the library,
// read by the instrument's own preset reader, as the bank file is made.
#pragma once

#include "formats/clap/clap_preset_abi.h"

namespace kx::clap {

extern const clap_plugin_preset_load kPresetLoad;
extern const clap_preset_discovery_factory kPresetDiscoveryFactory;

}  // namespace kx::clap
