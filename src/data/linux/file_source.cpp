#include <unistd.h>

#include "data/byte_source.h"
#include "data/linux/posix_file.h"

namespace kx {

bool KFileSource::open(const char* path) {
    close();
    const int fd = posix::openForReading(path, &size_);
    handle_ = fd >= 0 ? fd : kNoHandle;
    return isOpen();
}

void KFileSource::close() {
    if (isOpen())
        ::close(static_cast<int>(handle_));
    handle_ = kNoHandle;
    size_ = 0;
}

std::size_t KFileSource::read(std::uint8_t* buffer, std::size_t count) {
    if (!isOpen() || buffer == nullptr || count == 0)
        return 0;
    return posix::readOnce(static_cast<int>(handle_), buffer, count);
}

}  // namespace kx
