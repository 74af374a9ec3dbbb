#include "data/data_block.h"

#include "data/embedded_file.h"
#include "data/module_resource.h"

namespace kx {

void KDataBlock::clear() {
    if (owned_)
        delete[] bytes_;
    bytes_ = nullptr;
    length_ = 0;
    owned_ = false;
}

void KDataBlock::setView(const std::uint8_t* bytes, std::uint64_t length) {
    clear();
    bytes_ = bytes;
    length_ = bytes != nullptr ? length : 0;
}

void KDataBlock::adopt(std::unique_ptr<std::uint8_t[]> bytes, std::uint64_t length) {
    clear();
    if (bytes == nullptr)
        return;
    bytes_ = bytes.release();
    length_ = length;
    owned_ = true;
}

const std::uint8_t* loadEmbedded(KDataBlock& block, const char* name) {
    block.clear();
    if (name == nullptr)
        return nullptr;
    std::uint64_t length = 0;
    const std::uint8_t* bytes = findEmbeddedFile(name, &length);
    if (bytes == nullptr) {
        char resourceName[kResourceNameChars + 1];
        makeResourceName(resourceName, name);
        bytes = findModuleResource(resourceName, &length);
        if (bytes == nullptr || length == 0)
            return nullptr;
    }
    block.setView(bytes, length);
    return bytes;
}

}  // namespace kx
