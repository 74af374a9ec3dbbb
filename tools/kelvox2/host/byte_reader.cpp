#include "kelvox2/host/byte_reader.h"

#include <cerrno>
#include <cstdio>

namespace kx {

bool readFileCapped(const char* path, size_t maxBytes, std::vector<uint8_t>& out, std::string& error) {
    out.clear();
    std::FILE* f = std::fopen(path, "rb");
    if (!f) {
        error = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    uint8_t buf[65536];
    bool ok = true;
    for (;;) {
        size_t n = std::fread(buf, 1, sizeof buf, f);
        if (out.size() + n > maxBytes) {
            error = "file is larger than " + std::to_string(maxBytes) + " bytes";
            ok = false;
            break;
        }
        out.insert(out.end(), buf, buf + n);
        if (n < sizeof buf) {
            if (std::ferror(f)) {
                error = std::string("read error: ") + std::strerror(errno);
                ok = false;
            }
            break;
        }
    }
    std::fclose(f);
    return ok;
}

}  // namespace kx
