#include <cstdio>
#include <cstdlib>

#include "fuzz_target.hpp"

namespace vantrix::fuzz {

void fail(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: expectation failed: %s\n", file, line, condition);
  std::abort();
}

}  // namespace vantrix::fuzz
