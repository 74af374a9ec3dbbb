// Why a PNG image was refused. The system itself stays silent about it;
// tools print the text.
#pragma once

namespace kx {

enum class PngError {
    none,
    tooShort,  // fewer than 30 bytes
    badSignature,
    ihdrNotFirst,
    unsupportedHeader,  // colour type, depth, compression, filter or interlace method
    zeroSize,
    tooLarge,  // raw buffer or result would not fit in 32 bits
    outOfMemory,
    noIend,
    chunkOverrun,  // a chunk does not fit in the remaining bytes
    noIdat,
    badZlibHeader,
    badBlockType,
    badStoredLength,
    badCodeLengths,  // over-subscribed code, or a repeat with nothing to repeat or past the end
    badCode,         // a bit pattern that no code fills
    badSymbol,       // literal/length 286, 287 or distance 30, 31
    distanceTooFar,  // a back-reference before the start of the image data
    outputOverrun,   // more image data than the image holds
    inputOverrun,    // the compressed data ends inside a block
    badFilter,
    unsupportedDepth,  // a palette image of depth 16
};

// A short lower-case description, e.g. "interlaced or unsupported header".
const char* pngErrorText(PngError error);

}  // namespace kx
