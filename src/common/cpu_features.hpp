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

// Little-endian ARM64 (how its systems run): NEON always there, the CRC-32
// instructions chosen at run time.
#if defined(__aarch64__) && defined(__ARM_NEON) && !defined(__ARM_BIG_ENDIAN) && \
    (defined(__GNUC__) || defined(__clang__))
#define VANTRIX_ARM_SIMD 1
#include <arm_neon.h>
#endif

namespace vantrix::cpu {

struct Features {
  bool sse2 = false;
  bool ssse3 = false;
  bool avx2 = false;
  bool carryLessMultiply = false;  // PCLMULQDQ with SSE4.1, as the CRC-32 folding needs them
  bool neon = false;
  bool armCrc32 = false;  // ARMv8's CRC32B/H/W/X instructions
};

// This processor's features, asked once per process. With the environment variable
// VANTRIX_SCALAR set to 1 there are none: every loop takes its scalar twin, which is how the
// tests run those on processors that have the vector forms.
const Features& features();

}  // namespace vantrix::cpu
