// How much text crosses the host boundary, in characters without the
// terminator. The ABI's nominal sizes (vst_abi.h) are the host's buffers.
#pragma once

#include "plugin/vst_abi.h"

namespace kx {

// Program and parameter texts fill the nominal size with characters; the
// terminator comes after them, since most hosts pass buffers of 256 bytes or
// more. A value's display keeps to the nominal 8 characters, because some
// hosts size that buffer by it.
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
