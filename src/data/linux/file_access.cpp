#include "data/file_access.h"

#include "data/linux/posix_file.h"

#include <dlfcn.h>
#include <sys/auxv.h>
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

// Whether `info` describes the executable rather than a loaded module: the
// executable's program headers lie in its first mapping.
bool inMainProgram(const Dl_info& info) {
    const auto* headers = reinterpret_cast<const void*>(::getauxval(AT_PHDR));
    Dl_info executable{};
    return headers != nullptr && ::dladdr(headers, &executable) != 0 && executable.dli_fbase == info.dli_fbase;
}

// Full path of the object that holds this code, into `path` (PATH_MAX
// bytes); false when it cannot be found.
bool findModulePath(char* path) {
    path[0] = '\0';
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&findModulePath), &info) == 0)
        return false;
    if (inMainProgram(info)) {
        // The loader names the main program by its argv[0], which may be
        // relative, a bare name found on the PATH, or anything at all.
        const ssize_t n = ::readlink("/proc/self/exe", path, PATH_MAX - 1);
        if (n <= 0)
            return false;
        path[n] = '\0';
        return true;
    }
    if (info.dli_fname == nullptr || info.dli_fname[0] == '\0')
        return false;
    // A host may load the module by a relative path, which only means the
    // same file while the current directory is unchanged.
    if (info.dli_fname[0] != '/' && ::realpath(info.dli_fname, path) != nullptr)
        return true;
    if (std::strlen(info.dli_fname) >= PATH_MAX)
        return false;
    std::strcpy(path, info.dli_fname);
    return true;
}

// The module's path, resolved while the library loads: the host's dlopen
// runs this before it can change the current directory.
struct LoadedModulePath {
    char text[PATH_MAX];
    LoadedModulePath() { findModulePath(text); }
};
const LoadedModulePath loadedModulePath;

}  // namespace

char* getLibraryDirectory(char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0)
        return nullptr;
    buffer[0] = '\0';

    char found[PATH_MAX];
    const char* path = loadedModulePath.text;
    if (path[0] == '\0') {
        // Asked before this file's initialiser ran, or it failed then.
        if (!findModulePath(found))
            return nullptr;
        path = found;
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
