#include <new>

#include "api/conversion.hpp"
#include "document/preview_document.hpp"
#include "faces/face_loader.hpp"
#include "platform/platform.hpp"
#include "save/save_reader.hpp"
#include "vantrix/vantrix.hpp"

namespace vantrix {

Conversion convertSaveFile(const std::string& inputFileName) {
  return convertSaveAt(platform::pathFromSystemName(inputFileName), inputFileName);
}

Conversion convertSaveAt(const std::string& inputPath, const std::string& shownName) {
  try {
    std::optional<SavePreview> preview;
    {
      // The file's bytes go before the faces are drawn and the document is written.
      const std::optional<Bytes> bytes = platform::readFile(inputPath);
      if (!bytes) return {ConversionStatus::cannotOpenInput, {}, {}};
      preview = readSave(*bytes);
    }
    if (!preview) return {ConversionStatus::invalidSave, {}, {}};

    const FaceLoader faces(inputPath, platform::nativePathStyle(), preview->faces);
    auto faceBitmap = [&](int slot) {
      return faces.loadFaceBitmap(preview->faces[static_cast<std::size_t>(slot - 1)]);
    };
    std::string document =
        writePreviewDocument(*preview, shownName, faceBitmap, platform::timeSeparator());
    return {ConversionStatus::converted, std::move(document), faces.faceSetCodePage()};
  } catch (const std::bad_alloc&) {
    return {ConversionStatus::outOfMemory, {}, {}};
  } catch (const std::length_error&) {
    return {ConversionStatus::outOfMemory, {}, {}};
  }
}

std::string_view toString(ConversionStatus status) {
  switch (status) {
    case ConversionStatus::converted:
      return "converted";
    case ConversionStatus::cannotOpenInput:
      return "the save file cannot be opened";
    case ConversionStatus::invalidSave:
      return "not a save file";
    case ConversionStatus::outOfMemory:
      return "out of memory";
  }
  return "unknown status";
}

std::optional<SavePreview> readSavePreview(ByteView bytes) {
  try {
    return readSave(bytes);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  } catch (const std::length_error&) {
    return std::nullopt;
  }
}

}  // namespace vantrix
