#pragma once
// Opening files for reading, shared by the file source and whole-file reads.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace kx::posix {

// Opens an existing regular file read-only and reports its size; -1 when it
// cannot be opened or is not a regular file (a directory, a device).
inline int openForReading(const char* path, std::uint64_t* size) {
    *size = 0;
    if (path == nullptr || path[0] == '\0')
        return -1;
    int fd;
    do {
        fd = ::open(path, O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(fd);
        return -1;
    }
    *size = static_cast<std::uint64_t>(info.st_size);
    return fd;
}

// One read, retried when a signal interrupts it; 0 at the end or on error.
inline std::size_t readOnce(int fd, std::uint8_t* buffer, std::size_t count) {
    ssize_t n;
    do {
        n = ::read(fd, buffer, count);
    } while (n < 0 && errno == EINTR);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

}  // namespace kx::posix
