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

// One whole run of the program: `arguments` are those after the program name, as paths that
// open the files; `shown`, when given, the same arguments as the user is shown them (on
// Windows the ANSI names of the narrow command line, which the document keeps). Prints what
// the user is told and returns the exit code.
int run(const std::vector<std::string>& arguments, const std::vector<std::string>* shown = nullptr);

}  // namespace vantrix
