// How much text crosses the host boundary, in characters without the
// terminator. The ABI's nominal sizes (vst_abi.h) are the host's buffers.
#pragma once

#include "plugin/vst_abi.h"

namespace kx {

// Hosts pass buffers of 256 bytes or more for every text request, although
// the nominal sizes are smaller: program and parameter texts fill the
// nominal size with characters, and a value's display text gets the 32
// characters hosts show rather than the nominal 8.
inline constexpr int kProgramNameChars = kVstMaxProgNameLen;
inline constexpr int kParamNameChars = kVstMaxParamStrLen;
inline constexpr int kParamLabelChars = kVstMaxParamStrLen;
inline constexpr int kParamDisplayChars = 32;
// Identity texts keep their terminator within the nominal size.
inline constexpr int kEffectNameChars = kVstMaxEffectNameLen - 1;
inline constexpr int kVendorTextChars = kVstMaxVendorStrLen - 1;
inline constexpr int kProductTextChars = kVstMaxProductStrLen - 1;

// The zeroed buffer every text operation writes into before the request's
// limit is applied, and the room given to a host that writes text for us:
// larger than any limit above, so that a writer that oversteps a nominal
// size still stays inside it.
inline constexpr int kTextScratchSize = 256;

}  // namespace kx
