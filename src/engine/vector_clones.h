#pragma once

// Loops over whole stretches of samples are compiled twice: for the x86-64
// baseline (SSE2, two doubles per operation) and for AVX2 (four), and the
// library picks one when it loads, by what the processor offers. Each lane
// does the same operations in the same order as the scalar code, with no
// fused multiply-add (AVX2 does not bring FMA along), so the results are the
// same bits on any processor.
#if defined(__x86_64__) && defined(__ELF__) && defined(__GNUC__) && !defined(__clang__)
#define KX_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KX_VECTOR_CLONES
#endif
