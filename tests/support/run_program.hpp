#pragma once

#include <string>
#include <vector>

namespace vantrix::testing {

struct ProgramResult {
  int exitCode = -1;
  std::string output;  // standard output, byte for byte
  std::string errors;  // standard error
};

// Runs the built vantrix executable in `folder` with the given arguments (no shell involved
// in splitting them).
ProgramResult runVantrix(const std::string& folder, const std::vector<std::string>& arguments);

}  // namespace vantrix::testing
