#pragma once

#include <string>
#include <vector>

#include "common/paths.hpp"

namespace vantrix {

struct FileNames {
  std::string input;
  std::string output;
};

// Chooses the input and output names from the arguments after the program name. When all
// arguments joined by single spaces name a readable file, that is the input (a name with
// spaces needs no quotes); otherwise the first is the input and the second the output. An
// empty output is derived from the input.
FileNames chooseFileNames(const std::vector<std::string>& arguments,
                          bool (*isReadableFile)(const std::string&), PathStyle style);

// The output name for an input: its extension replaced by "xml", or ".xml" appended when the
// file name has none, or when that would name the input itself.
std::string derivedOutputName(const std::string& input, PathStyle style);

}  // namespace vantrix
