#pragma once

// Where the engine has code for more than one kind of processor, it takes
// the path cpuPath() names. Every path does the same operations in the same
// order as the scalar code, with no fused multiply-add (AVX2 does not bring
// FMA along), so the results are the same bits on any processor; the paths
// differ only in how many doubles one operation carries.
//
// Built with KX_CPU_BASELINE (cmake -DKX_CPU_BASELINE=ON) the engine takes
// the x86-64 baseline (SSE2) everywhere, whatever the processor offers: the
// tests then run on an AVX2 machine the code a processor without it runs.

// The compiler can build AVX2 code beside the baseline's.
#if defined(__x86_64__) && defined(__GNUC__)
#define KX_AVX2_CODE 1
#else
#define KX_AVX2_CODE 0
#endif

// Loops over whole stretches of samples left to the compiler's vectorizer
// are compiled twice, for the baseline (two doubles per operation) and for
// AVX2 (four), and the loader picks one by what the processor offers. The
// baseline build compiles them once, as the baseline clone.
#if KX_AVX2_CODE && defined(__ELF__) && !defined(__clang__) && !defined(KX_CPU_BASELINE)
#define KX_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KX_VECTOR_CLONES
#endif

namespace kx {

enum class CpuPath { baseline, avx2 };

// The path of this processor, asked once per process. Any thread, the audio
// thread included.
inline CpuPath cpuPath() noexcept {
#if KX_AVX2_CODE && !defined(KX_CPU_BASELINE)
    static const CpuPath path = __builtin_cpu_supports("avx2") ? CpuPath::avx2 : CpuPath::baseline;
    return path;
#else
    return CpuPath::baseline;
#endif
}

}  // namespace kx
