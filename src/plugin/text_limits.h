// How much text crosses the host boundary, in characters without the
// terminator. The ABI's nominal sizes (vst_abi.h) are the host's buffers.
#pragma once

#include "plugin/vst_abi.h"

namespace kx {

// Program and parameter texts fill the nominal size with characters and put
// the terminator after them: hosts pass larger buffers (256 bytes is common
// practice). A value's display is cut to the same 8 characters as the name
// and the unit, since hosts size their display buffer by that limit.
inline constexpr int kProgramNameChars = kVstMaxProgNameLen;
inline constexpr int kParamNameChars = kVstMaxParamStrLen;
inline constexpr int kParamLabelChars = kVstMaxParamStrLen;
inline constexpr int kParamDisplayChars = kVstMaxParamStrLen;
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
