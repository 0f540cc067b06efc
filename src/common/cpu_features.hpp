#pragma once

// Which vector instructions the processor offers, for the loops that choose theirs at run
// time. Where glibc is the C library it has asked the processor at start-up, and its answers
// are read: every CPUID instruction is a trip to the hypervisor on a virtual machine, and
// GCC's own detection asks a dozen more questions than a conversion needs. Elsewhere GCC's
// and clang's detection asks, once per process.

#include <cstdint>  // on glibc, also its feature macros

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VANTRIX_CPU_FEATURES 1
// glibc's header is C that GCC's C++ takes (_Bool) and clang's does not.
#if defined(__GLIBC__) && !defined(__clang__) && __has_include(<sys/platform/x86.h>)
#include <sys/platform/x86.h>
#define VANTRIX_GLIBC_CPU_FEATURES 1
#endif
#endif

namespace vantrix::cpu {

#ifdef VANTRIX_CPU_FEATURES
#ifdef VANTRIX_GLIBC_CPU_FEATURES
inline bool hasSsse3() {
  return CPU_FEATURE_ACTIVE(SSSE3);
}
inline bool hasAvx2() {
  return CPU_FEATURE_ACTIVE(AVX2);
}
// PCLMULQDQ with SSE4.1, as the CRC-32 folding needs them.
inline bool hasCarryLessMultiply() {
  return CPU_FEATURE_ACTIVE(PCLMULQDQ) && CPU_FEATURE_ACTIVE(SSE4_1);
}
#else
inline bool hasSsse3() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3");
}
inline bool hasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}
inline bool hasCarryLessMultiply() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}
#endif
#endif

}  // namespace vantrix::cpu
