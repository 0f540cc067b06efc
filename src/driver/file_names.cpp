#include "driver/file_names.hpp"

namespace vantrix {

std::string derivedOutputName(const std::string& input, PathStyle style) {
  // Only the file name's own "." counts: a dot in a folder name is no extension.
  const std::size_t separator = lastSeparator(input, style);
  const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
  const std::size_t dot = input.rfind('.');
  std::string output = dot != std::string::npos && dot >= nameStart
                           ? input.substr(0, dot + 1) + "xml"
                           : input + ".xml";
  // A save named like its preview is never overwritten by it: names that differ only in
  // letter case count as the same wherever vantrix runs, since Linux too reads a FAT or exFAT
  // drive (a USB stick, a Windows partition) ignoring case.
  if (equalsIgnoringAsciiCase(output, input)) output = input + ".xml";
  return output;
}

namespace {

std::string joined(const std::vector<std::string>& arguments) {
  std::string commandLine;
  for (const std::string& argument : arguments) {
    if (&argument != &arguments.front()) commandLine += ' ';
    commandLine += argument;
  }
  return commandLine;
}

}  // namespace

FileNames chooseFileNames(const std::vector<std::string>& arguments,
                          bool (*isReadableFile)(const std::string&), PathStyle style,
                          const std::vector<std::string>* shown) {
  if (!shown || shown->size() != arguments.size()) shown = &arguments;
  const std::string commandLine = joined(arguments);
  FileNames names;
  if (!commandLine.empty() && isReadableFile(commandLine)) {
    names.input = commandLine;
    names.inputShown = joined(*shown);
  } else {
    if (!arguments.empty()) names.input = arguments[0], names.inputShown = (*shown)[0];
    if (arguments.size() > 1) names.output = arguments[1], names.outputShown = (*shown)[1];
  }
  if (names.output.empty() && !names.input.empty()) {
    names.output = derivedOutputName(names.input, style);
    names.outputShown = derivedOutputName(names.inputShown, style);
  }
  return names;
}

}  // namespace vantrix
