#include "data/file_access.h"

#include <cstring>

namespace kx {

bool makeLibraryFilePath(char* buffer, std::size_t size, const char* name) {
    if (buffer == nullptr || size == 0)
        return false;
    buffer[0] = '\0';
    if (name == nullptr)
        return false;
    getLibraryDirectory(buffer, size);
    const std::size_t directory = std::strlen(buffer);
    const std::size_t length = std::strlen(name);
    if (length >= size - directory) {
        buffer[0] = '\0';
        return false;
    }
    std::memcpy(buffer + directory, name, length + 1);
    return true;
}

}  // namespace kx
