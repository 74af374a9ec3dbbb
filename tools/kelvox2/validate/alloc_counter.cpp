// The interposed allocation functions. They live in the executable, so the
// dynamic linker binds every module's malloc to them first; each forwards to
// glibc's internal entry of the same function. Counting is a thread-local
// flag and counter: no lock, no allocation, nothing another thread sees.
#include "kelvox2/validate/alloc_counter.h"

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KX_VALIDATE_NO_INTERPOSER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define KX_VALIDATE_NO_INTERPOSER 1
#endif
#endif

namespace kx::validate::alloc_counter {

namespace {
// Initial-exec thread-locals of the executable: reading them never allocates.
thread_local bool tCounting = false;
thread_local std::uint64_t tCount = 0;
}  // namespace

void begin() { tCounting = true; }
void end() { tCounting = false; }
std::uint64_t count() { return tCount; }
void reset() { tCount = 0; }

#ifdef KX_VALIDATE_NO_INTERPOSER
bool available() { return false; }
#else
bool available() { return true; }

inline void note() {
    if (tCounting)
        ++tCount;
}
#endif

}  // namespace kx::validate::alloc_counter

#ifndef KX_VALIDATE_NO_INTERPOSER

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void __libc_free(void* block);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void* __libc_valloc(std::size_t size);
void* __libc_pvalloc(std::size_t size);

using kx::validate::alloc_counter::note;

void* malloc(std::size_t size) {
    note();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) {
    note();
    return __libc_calloc(count, size);
}

void* realloc(void* block, std::size_t size) {
    note();
    return __libc_realloc(block, size);
}

void free(void* block) {
    if (block)
        note();
    __libc_free(block);
}

void* memalign(std::size_t alignment, std::size_t size) {
    note();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) {
    note();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    note();
    // The checks glibc's own posix_memalign makes before allocating.
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0 || alignment == 0)
        return 22;  // EINVAL
    void* p = __libc_memalign(alignment, size);
    if (!p)
        return 12;  // ENOMEM
    *out = p;
    return 0;
}

void* valloc(std::size_t size) {
    note();
    return __libc_valloc(size);
}

void* pvalloc(std::size_t size) {
    note();
    return __libc_pvalloc(size);
}
}  // extern "C"

#endif
