#pragma once
// Data stored in the library's own module by name, looked at after the
// embedded-file registry: on Windows the module's resources of the type
// "USER_RES"; Linux has no such store.

#include <cstddef>
#include <cstdint>

namespace kx {

inline constexpr std::size_t kResourceNameChars = 63;

// The resource name that `name` is looked for under: its first 63
// characters, each "." turned into "_" and every letter into upper case.
void makeResourceName(char (&resourceName)[kResourceNameChars + 1], const char* name);

// The bytes of the module's resource of that name and their count in
// *length; null (length 0) when there is none, or it is empty. The bytes
// live as long as the library.
const std::uint8_t* findModuleResource(const char* resourceName, std::uint64_t* length);

}  // namespace kx
