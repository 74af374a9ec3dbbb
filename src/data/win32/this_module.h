#pragma once
// The module (DLL or program) that holds this code: what the file, resource
// and window lookups name it by.

#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;  // from the linker, at the module's load address

namespace kx::win32 {

inline HMODULE thisModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }

}  // namespace kx::win32
