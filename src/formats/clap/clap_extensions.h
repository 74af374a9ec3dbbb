// The plug-in's extension tables and the lookup by id.
#pragma once

#include "formats/clap/clap_abi.h"

namespace kx::clap {

extern const clap_plugin_params kParams;  // clap_params.cpp

// The table for `id` (stable ids only), null for an extension not offered.
const void* findExtension(const char* id);

}  // namespace kx::clap
