// The one switch that sends every vector loop to its scalar twin: the suites of
// tests/vector_suites.txt run once with it and once without, so both paths are tested on any
// processor that has the vector forms.

#include "common/cpu_features.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace vantrix {
namespace {

TEST(CpuFeatures, ScalarSwitchTurnsEveryVectorFormOff) {
  const cpu::Features& features = cpu::features();
  const char* scalar = std::getenv("VANTRIX_SCALAR");
  if (scalar && std::string(scalar) == "1") {
    EXPECT_FALSE(features.sse2 || features.ssse3 || features.avx2 || features.carryLessMultiply ||
                 features.neon || features.armCrc32);
    return;
  }
#if defined(VANTRIX_X86_SIMD)
  EXPECT_TRUE(features.sse2);
#elif defined(VANTRIX_ARM_SIMD)
  EXPECT_TRUE(features.neon);
#else
  EXPECT_FALSE(features.sse2 || features.neon);
#endif
}

}  // namespace
}  // namespace vantrix
