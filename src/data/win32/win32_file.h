#pragma once
// Opening files for reading, shared by the file source and whole-file reads.

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace kx::win32 {

// Opens an existing file with shared read access and reports its size;
// INVALID_HANDLE_VALUE when it cannot be opened or is no disk file (a device
// such as CON or a pipe, which a read could wait on forever).
inline HANDLE openForReading(const char* path, std::uint64_t* size) {
    *size = 0;
    if (path == nullptr || path[0] == '\0')
        return INVALID_HANDLE_VALUE;
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return file;
    LARGE_INTEGER bytes{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &bytes) || bytes.QuadPart < 0) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    *size = static_cast<std::uint64_t>(bytes.QuadPart);
    return file;
}

// One read of at most 4 GiB - 1 bytes; 0 at the end or on error.
inline std::size_t readOnce(HANDLE file, std::uint8_t* buffer, std::size_t count) {
    const DWORD wanted = count > MAXDWORD ? MAXDWORD : static_cast<DWORD>(count);
    DWORD got = 0;
    if (!ReadFile(file, buffer, wanted, &got, nullptr))
        return 0;
    return got;
}

}  // namespace kx::win32
