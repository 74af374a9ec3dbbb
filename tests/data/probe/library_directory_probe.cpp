// A loadable module holding the folder lookup, so that a test can see what it
// answers from inside a module rather than from the test program.
#include <cstddef>

#include "data/file_access.h"

extern "C" __attribute__((visibility("default"))) char* kx_probe_library_directory(char* buffer, std::size_t size) {
    return kx::getLibraryDirectory(buffer, size);
}
