#include "data/module_resource.h"

#include "data/win32/this_module.h"

namespace kx {

const std::uint8_t* findModuleResource(const char* resourceName, std::uint64_t* length) {
    if (length != nullptr)
        *length = 0;
    if (resourceName == nullptr)
        return nullptr;
    const HMODULE module = win32::thisModule();
    const HRSRC found = FindResourceA(module, resourceName, "USER_RES");
    if (found == nullptr)
        return nullptr;
    const DWORD size = SizeofResource(module, found);
    const HGLOBAL loaded = size != 0 ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr)
        return nullptr;
    if (length != nullptr)
        *length = size;
    return static_cast<const std::uint8_t*>(bytes);
}

}  // namespace kx
