#include "driver/run.hpp"

#include "api/conversion.hpp"
#include "driver/file_names.hpp"
#include "platform/platform.hpp"
#include "vantrix/vantrix.hpp"

namespace vantrix {
namespace {

void printUsage() {
  platform::printLine("VANTRIX v1.00");
  platform::printLine("by Ombrel");
  platform::printLine("");
  platform::printLine("Puts preview info from a RM2k(3) save file (*.lsd) into a XML file.");
  platform::printLine("Usage: vantrix.exe <Input file> [Output file]");
  platform::printLine("");
  platform::printLine(
      "If the LSD file is in a RM2k(3) project folder, the faces will be loaded too");
  platform::printLine(
      "and saved as Base64 encoded BMP files in the XML file. If a RTP face is used,");
  platform::printLine("no bitmap is saved!");
}

}  // namespace

int run(const std::vector<std::string>& arguments, const std::vector<std::string>* shown) {
  const FileNames names =
      chooseFileNames(arguments, platform::isReadableFile, platform::nativePathStyle(), shown);
  if (names.input.empty()) {
    printUsage();
    return exitSuccess;
  }

  const Conversion conversion = convertSaveAt(names.input, names.inputShown);
  switch (conversion.status) {
    case ConversionStatus::cannotOpenInput:
      platform::printLine("Can't open " + names.inputShown);
      return exitCannotOpenInput;
    case ConversionStatus::invalidSave:
      platform::printLine("Invalid file!");
      return exitInvalidSave;
    case ConversionStatus::outOfMemory:
      platform::printLine("Out of memory!");
      return exitOutOfMemory;
    case ConversionStatus::converted:
      break;
  }

  switch (platform::replaceFile(names.output, conversion.document)) {
    case platform::ReplaceStatus::written:
      return exitSuccess;
    case platform::ReplaceStatus::cannotOpen:
      platform::printLine("Can't open: " + names.outputShown);
      return exitCannotOpenOutput;
    case platform::ReplaceStatus::cannotWrite:
      platform::printLine("Can't write: " + names.outputShown);
      return exitCannotWriteOutput;
  }
  return exitCannotWriteOutput;
}

}  // namespace vantrix
