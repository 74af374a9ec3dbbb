#include "data/byte_source.h"
#include "data/win32/win32_file.h"

namespace kx {

bool KFileSource::open(const char* path) {
    close();
    handle_ = reinterpret_cast<std::intptr_t>(win32::openForReading(path, &size_));
    return isOpen();
}

void KFileSource::close() {
    if (isOpen())
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = kNoHandle;
    size_ = 0;
}

std::size_t KFileSource::read(std::uint8_t* buffer, std::size_t count) {
    if (!isOpen() || buffer == nullptr || count == 0)
        return 0;
    return win32::readOnce(reinterpret_cast<HANDLE>(handle_), buffer, count);
}

}  // namespace kx
