#include "data/file_access.h"

#include <cstring>
#include <new>

#include "data/win32/this_module.h"
#include "data/win32/win32_file.h"

namespace kx {
namespace {

// Reads exactly `count` bytes; false when the file ends early or a read fails.
bool readFully(HANDLE file, std::uint8_t* buffer, std::size_t count) {
    while (count > 0) {
        const std::size_t n = win32::readOnce(file, buffer, count);
        if (n == 0)
            return false;
        buffer += n;
        count -= n;
    }
    return true;
}

}  // namespace

char* getLibraryDirectory(char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0)
        return nullptr;
    buffer[0] = '\0';
    const DWORD capacity = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
    const DWORD length = GetModuleFileNameA(win32::thisModule(), buffer, capacity);
    // A path that fills the buffer did not fit (and may be unterminated).
    if (length == 0 || length >= capacity) {
        buffer[0] = '\0';
        return nullptr;
    }
    char* backslash = std::strrchr(buffer, '\\');
    if (backslash == nullptr) {
        buffer[0] = '\0';
        return nullptr;
    }
    backslash[1] = '\0';
    return backslash + 1;
}

std::unique_ptr<std::uint8_t[]> readWholeFile(const char* path, std::uint64_t* length) {
    if (length != nullptr)
        *length = 0;
    std::uint64_t size = 0;
    const HANDLE file = win32::openForReading(path, &size);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    std::unique_ptr<std::uint8_t[]> bytes;
    if (size > 0 && size <= SIZE_MAX) {
        bytes.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size)]);
        if (bytes != nullptr && !readFully(file, bytes.get(), static_cast<std::size_t>(size)))
            bytes.reset();
    }
    CloseHandle(file);
    if (bytes != nullptr && length != nullptr)
        *length = size;
    return bytes;
}

}  // namespace kx
