#pragma once

#include <string>
#include <vector>

#include "common/paths.hpp"

namespace vantrix {

struct FileNames {
  std::string input;  // paths that open the files
  std::string output;
  std::string inputShown;  // the same names as the user is shown them (see run)
  std::string outputShown;
};

// Chooses the input and output names from the arguments after the program name. When all
// arguments joined by single spaces name a readable file, that is the input (a name with
// spaces needs no quotes); otherwise the first is the input and the second the output. An
// empty output is derived from the input. `shown`, when given, holds each argument as the
// user is shown it, and the shown names are chosen alongside.
FileNames chooseFileNames(const std::vector<std::string>& arguments,
                          bool (*isReadableFile)(const std::string&), PathStyle style,
                          const std::vector<std::string>* shown = nullptr);

// The output name for an input: its extension replaced by "xml", or ".xml" appended when the
// file name has none, or when that would name the input itself (in any letter case).
std::string derivedOutputName(const std::string& input, PathStyle style);

}  // namespace vantrix
