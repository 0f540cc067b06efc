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
// in splitting them), in this process's environment with `environment`'s "NAME=value"
// entries in place of any of the same names. Several may run at once, from different threads.
ProgramResult runVantrix(const std::string& folder, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {});

}  // namespace vantrix::testing
