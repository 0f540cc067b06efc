#pragma once

#include <string>
#include <vector>

namespace vantrix {

// The exit codes of a run.
enum ExitCode : int {
  exitSuccess = 0,
  exitCannotOpenInput = 1,
  exitInvalidSave = 2,
  exitCannotOpenOutput = 3,
  exitCannotWriteOutput = 4,
  exitOutOfMemory = 5,
};

// One whole run of the program: `arguments` are those after the program name. Prints what
// the user is told and returns the exit code.
int run(const std::vector<std::string>& arguments);

}  // namespace vantrix
