#pragma once
// Files built into the library (default skin, preset text, images), found by
// name. The registry is filled by static initialisation when the library
// loads and never changes afterwards, so lookups need no lock.

#include <cstddef>
#include <cstdint>

namespace kx {

// One built-in file; records are static and live as long as the library.
struct KEmbeddedFile {
    const char* name;           // as the skin and preset code ask for it
    std::uint64_t length;       // number of bytes
    const std::uint8_t* bytes;  // the file's bytes, unchanged (CR LF kept)
};

// Appends a record to the process-wide registry. Called only from the static
// initialiser of the generated file table, before any effect exists. The
// record must outlive the library (it is never copied).
void registerEmbeddedFile(const KEmbeddedFile* file);

// First registered file whose name equals `name` ignoring ASCII letter case
// (whole string); its bytes, and its length in *length when asked. Null (and
// a length of 0) when none matches or `name` is null.
const std::uint8_t* findEmbeddedFile(const char* name, std::uint64_t* length = nullptr);

// Registry walk in registration order, for listing tools and tests.
std::size_t embeddedFileCount();
const KEmbeddedFile* embeddedFileAt(std::size_t index);  // null past the end

}  // namespace kx
