#pragma once

// Which vector instructions the processor offers, asked in one place. Every loop that has a
// vector form chooses it from features() and keeps a scalar twin for processors without it.

#include <cstdint>

// x86-64 with GCC or clang: SSE2 always there, the later sets chosen at run time through
// target attributes.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VANTRIX_X86_SIMD 1
#include <immintrin.h>
#endif

namespace vantrix::cpu {

struct Features {
  bool sse2 = false;
  bool ssse3 = false;
  bool avx2 = false;
  bool carryLessMultiply = false;  // PCLMULQDQ with SSE4.1, as the CRC-32 folding needs them
};

// This processor's features, asked once per process.
const Features& features();

}  // namespace vantrix::cpu
