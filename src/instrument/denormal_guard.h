// Flush-to-zero and denormals-are-zero for the duration of one processing
// block, the caller's floating-point mode restored afterwards.
#pragma once

#if defined(__SSE__) || defined(_M_X64)
#include <xmmintrin.h>
#define KX_HAS_SSE_CSR 1
#endif

namespace kx {

class DenormalGuard {
public:
#if KX_HAS_SSE_CSR
    static constexpr unsigned kFlushModes = 0x8040;  // FTZ | DAZ

    DenormalGuard() : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | kFlushModes); }
    ~DenormalGuard() { _mm_setcsr(saved_); }

private:
    unsigned saved_;
#else
    DenormalGuard() = default;
#endif

public:
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;
};

}  // namespace kx
