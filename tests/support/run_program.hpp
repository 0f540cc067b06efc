#pragma once

#include <string>
#include <vector>

namespace vantrix::testing {

struct ProgramResult {
  int exitCode = -1;
  std::string output;      // standard output, byte for byte
  std::string errors;      // standard error
  long peakMemoryKiB = 0;  // the largest resident set the program reached, where measured
};

// The program that starts the target's executables where this machine cannot run them itself
// (a cross build under qemu-user): the environment's VANTRIX_TEST_LAUNCHER, or "" to start
// them directly. A launcher's memory is the emulator's, so peakMemoryKiB is then 0.
std::string testLauncher();

// Runs the built vantrix executable (through the launcher, if any) in `folder` with the given
// arguments (no shell involved in splitting them), in this process's environment with
// `environment`'s "NAME=value" entries in place of any of the same names. Several may run at
// once, from different threads.
ProgramResult runVantrix(const std::string& folder, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {});

}  // namespace vantrix::testing
