#include "driver/conversion.hpp"

#include "document/preview_document.hpp"
#include "image/face_loader.hpp"
#include "platform/platform.hpp"
#include "save/save_reader.hpp"

namespace vantrix {

Conversion convertSaveFile(const std::string& inputFileName) {
  std::optional<SavePreview> preview;
  {
    // The file's bytes go before the faces are drawn and the document is written.
    const std::optional<Bytes> bytes = platform::readFile(inputFileName);
    if (!bytes) return {ConversionStatus::cannotOpenInput, {}};
    preview = readSavePreview(*bytes);
  }
  if (!preview) return {ConversionStatus::invalidSave, {}};

  const FaceLoader faces(inputFileName, platform::nativePathStyle(), preview->faces);
  auto faceBitmap = [&](int slot) {
    return faces.loadFaceBitmap(preview->faces[static_cast<std::size_t>(slot - 1)]);
  };
  return {ConversionStatus::converted,
          writePreviewDocument(*preview, inputFileName, faceBitmap, platform::timeSeparator())};
}

}  // namespace vantrix
