#include "data/module_resource.h"

namespace kx {

void makeResourceName(char (&resourceName)[kResourceNameChars + 1], const char* name) {
    std::size_t n = 0;
    for (; name != nullptr && name[n] != '\0' && n < kResourceNameChars; ++n) {
        const char c = name[n];
        // ASCII only, whatever locale the host has set.
        resourceName[n] = c == '.' ? '_' : (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    resourceName[n] = '\0';
}

}  // namespace kx
