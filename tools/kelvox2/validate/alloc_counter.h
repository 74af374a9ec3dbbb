// Counts heap calls (malloc and friends, free) made on a thread while it has
// counting switched on. The tool replaces the C library's allocation
// functions with thin wrappers that forward to glibc's own, so a plug-in's
// allocations are seen whatever C++ runtime it carries inside.
//
// Sanitizer builds own the allocation functions: there the wrappers are left
// out and available() answers false.
#pragma once

#include <cstdint>

namespace kx::validate {

namespace alloc_counter {

bool available();

// Counting on the calling thread only; other threads are never counted.
void begin();
void end();
// Heap calls counted on this thread since the last reset.
std::uint64_t count();
void reset();

// Counts on the calling thread for the life of the object.
class Scope {
public:
    Scope() { begin(); }
    ~Scope() { end(); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
};

}  // namespace alloc_counter

}  // namespace kx::validate
