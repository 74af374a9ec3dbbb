#include <unistd.h>

#include "data/byte_source.h"
#include "data/linux/posix_file.h"

namespace kx {

bool KFileSource::open(const char* path) {
    close();
    handle_ = posix::openForReading(path, &size_);
    return handle_ >= 0;
}

void KFileSource::close() {
    if (handle_ >= 0)
        ::close(handle_);
    handle_ = -1;
    size_ = 0;
}

std::size_t KFileSource::read(std::uint8_t* buffer, std::size_t count) {
    if (handle_ < 0 || buffer == nullptr || count == 0)
        return 0;
    return posix::readOnce(handle_, buffer, count);
}

}  // namespace kx
