#include "common/cpu_features.hpp"

#include <cstdlib>
#include <cstring>

// glibc has asked the processor at start-up; its answers are read rather than asked again, as
// every CPUID is a trip to the hypervisor on a virtual machine, and GCC's own detection asks a
// dozen more questions than a conversion needs. glibc's header is C that GCC's C++ takes
// (_Bool) and clang's does not.
#if defined(VANTRIX_X86_SIMD) && defined(__GLIBC__) && !defined(__clang__) && \
    __has_include(<sys/platform/x86.h>)
#include <sys/platform/x86.h>
#define VANTRIX_GLIBC_CPU_FEATURES 1
#endif

// Linux tells an ARM64 program its processor's extensions in the auxiliary vector.
#if defined(VANTRIX_ARM_SIMD) && defined(__linux__)
#include <sys/auxv.h>
#ifndef HWCAP_CRC32
#define HWCAP_CRC32 (1 << 7)
#endif
#endif

namespace vantrix::cpu {
namespace {

Features ask() {
  Features features;
  if (const char* scalar = std::getenv("VANTRIX_SCALAR"); scalar && std::strcmp(scalar, "1") == 0) {
    return features;
  }
#if defined(VANTRIX_GLIBC_CPU_FEATURES)
  features.sse2 = true;
  features.ssse3 = CPU_FEATURE_ACTIVE(SSSE3);
  features.avx2 = CPU_FEATURE_ACTIVE(AVX2);
  features.carryLessMultiply = CPU_FEATURE_ACTIVE(PCLMULQDQ) && CPU_FEATURE_ACTIVE(SSE4_1);
#elif defined(VANTRIX_X86_SIMD)
  __builtin_cpu_init();
  features.sse2 = true;
  features.ssse3 = __builtin_cpu_supports("ssse3");
  features.avx2 = __builtin_cpu_supports("avx2");
  features.carryLessMultiply = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
#elif defined(VANTRIX_ARM_SIMD)
  features.neon = true;
#if defined(__ARM_FEATURE_CRC32)
  features.armCrc32 = true;
#elif defined(__linux__)
  features.armCrc32 = (getauxval(AT_HWCAP) & HWCAP_CRC32) != 0;
#endif
#endif
  return features;
}

}  // namespace

const Features& features() {
  static const Features asked = ask();
  return asked;
}

}  // namespace vantrix::cpu
