#include "graphics/png_error.h"

namespace kx {

const char* pngErrorText(PngError error) {
    switch (error) {
    case PngError::none: return "no error";
    case PngError::tooShort: return "file shorter than 30 bytes";
    case PngError::badSignature: return "not a PNG signature";
    case PngError::ihdrNotFirst: return "first chunk is not IHDR";
    case PngError::unsupportedHeader:
        return "unsupported header (colour type, bit depth, compression, filter or interlace method)";
    case PngError::zeroSize: return "width or height is 0";
    case PngError::tooLarge: return "image too large";
    case PngError::outOfMemory: return "out of memory";
    case PngError::noIend: return "no IEND chunk before the end of the data";
    case PngError::chunkOverrun: return "chunk runs past the end of the data";
    case PngError::noIdat: return "no IDAT chunk";
    case PngError::badZlibHeader: return "bad zlib header";
    case PngError::badBlockType: return "DEFLATE block type 3";
    case PngError::badStoredLength: return "stored block length check failed";
    case PngError::badCodeLengths: return "bad Huffman code lengths";
    case PngError::badCode: return "undefined Huffman code in the data";
    case PngError::badSymbol: return "literal/length or distance symbol out of range";
    case PngError::distanceTooFar: return "back-reference before the start of the data";
    case PngError::outputOverrun: return "more image data than the image holds";
    case PngError::inputOverrun: return "compressed data ends inside a block";
    case PngError::badFilter: return "unknown filter type";
    case PngError::unsupportedDepth: return "unsupported bit depth for the colour type";
    }
    return "unknown error";
}

}  // namespace kx
