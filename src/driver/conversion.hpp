#pragma once

#include <optional>
#include <string>

namespace vantrix {

enum class ConversionStatus {
  converted,
  cannotOpenInput,
  invalidSave,
};

struct Conversion {
  ConversionStatus status = ConversionStatus::converted;
  std::string document;  // the preview document when converted
};

// Reads a save file by name and makes its preview document, faces included, without
// touching the console or any output file.
Conversion convertSaveFile(const std::string& inputFileName);

}  // namespace vantrix
