#pragma once

#include <string>
#include <vector>

namespace vantrix::testing {

struct ProgramResult {
  int exitCode = -1;
  std::string output;      // standard output, byte for byte
  std::string errors;      // standard error
  long peakMemoryKiB = 0;  // the largest resident set the program reached
};

// Runs the built vantrix executable in `folder` with the given arguments (no shell involved
// in splitting them). Several may run at once, from different threads.
ProgramResult runVantrix(const std::string& folder, const std::vector<std::string>& arguments);

}  // namespace vantrix::testing
