#include "data/file_access.h"

#include "data/linux/posix_file.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

namespace kx {
namespace {

// Reads exactly `count` bytes, looping over short reads; false when the file
// ends early or a read fails.
bool readFully(int fd, std::uint8_t* buffer, std::size_t count) {
    while (count > 0) {
        const std::size_t n = posix::readOnce(fd, buffer, count);
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

    // The object that holds this very function: the plug-in module when loaded
    // by a host, the executable when the framework is linked into a program.
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&getLibraryDirectory), &info) == 0)
        return nullptr;
    const char* path = info.dli_fname;
    char resolved[PATH_MAX];
    // A host may have loaded us by a relative path; make it absolute while the
    // current directory is still the one it was loaded from.
    if (path != nullptr && path[0] != '/' && std::strchr(path, '/') != nullptr &&
        ::realpath(path, resolved) != nullptr) {
        path = resolved;
    }
    // The main program's entry may name it without any folder.
    if (path == nullptr || std::strchr(path, '/') == nullptr) {
        const ssize_t n = ::readlink("/proc/self/exe", resolved, sizeof resolved - 1);
        if (n <= 0)
            return nullptr;
        resolved[n] = '\0';
        path = resolved;
    }

    const std::size_t length = std::strlen(path);
    if (length == 0 || length >= size)
        return nullptr;
    const char* slash = std::strrchr(path, '/');
    if (slash == nullptr)
        return nullptr;
    const std::size_t directory = static_cast<std::size_t>(slash - path) + 1;
    std::memcpy(buffer, path, directory);
    buffer[directory] = '\0';
    return buffer + directory;
}

std::unique_ptr<std::uint8_t[]> readWholeFile(const char* path, std::uint64_t* length) {
    if (length != nullptr)
        *length = 0;
    std::uint64_t size = 0;
    const int fd = posix::openForReading(path, &size);
    if (fd < 0)
        return nullptr;
    std::unique_ptr<std::uint8_t[]> bytes;
    if (size > 0 && size <= SIZE_MAX) {
        bytes.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size)]);
        if (bytes != nullptr && !readFully(fd, bytes.get(), static_cast<std::size_t>(size))) {
            bytes.reset();
        }
    }
    ::close(fd);
    if (bytes != nullptr && length != nullptr)
        *length = size;
    return bytes;
}

}  // namespace kx
