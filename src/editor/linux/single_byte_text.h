// The system's text is single-byte Windows-1252; X speaks Unicode (keysyms,
// UTF-8 selections). Conversions from it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kx {

// The Windows-1252 byte of a Unicode code point; 0 when it has none.
unsigned char singleByteOf(uint32_t codePoint);

// UTF-8 as Windows-1252 text; characters it lacks and broken sequences
// become '?'. Writes at most size - 1 characters, terminated; answers the count.
size_t utf8ToSingleByte(const unsigned char* utf8, size_t length, char* text, size_t size);

}  // namespace kx
