#pragma once
// The library's own folder and whole-file reads (platform code).

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kx {

// Buffer size the callers use for paths next to the library.
inline constexpr std::size_t kLibraryPathSize = 512;

// Writes the folder of the library (or program) that holds this code into
// `buffer`, with its trailing separator, and returns the position just past
// it. When the path is not available or does not fit, leaves an empty text
// and returns null; a name appended to the buffer then stands alone and is
// found relative to the current directory.
char* getLibraryDirectory(char* buffer, std::size_t size);

// The library's folder followed by `name`, in `buffer`. False (and an empty
// buffer) when the whole path does not fit.
bool makeLibraryFilePath(char* buffer, std::size_t size, const char* name);

// Reads the whole file. Null, with *length 0, when the file does not exist,
// cannot be read, is empty, or delivers fewer bytes than its size.
std::unique_ptr<std::uint8_t[]> readWholeFile(const char* path, std::uint64_t* length = nullptr);

}  // namespace kx
