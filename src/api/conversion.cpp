#include <new>
#include <stdexcept>

#include "document/preview_document.hpp"
#include "faces/face_files.hpp"
#include "faces/face_loader.hpp"
#include "platform/platform.hpp"
#include "save/save_reader.hpp"
#include "vantrix/vantrix.hpp"

namespace vantrix {
namespace {

// The lookup's paths ("./", "Game/FaceSet/", "FaceSet/Hero.png") as a source's: relative,
// without "." or empty names, folders without a trailing "/".
std::string sourcePath(const std::string& path) {
  std::string clean;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string_view name(path.data() + start, end - start);
    if (!name.empty() && name != ".") {
      if (!clean.empty()) clean += '/';
      clean += name;
    }
    start = end + 1;
  }
  return clean;
}

class SourceFiles final : public FaceFiles {
 public:
  explicit SourceFiles(FaceSetSource& source) : source_(source) {}
  bool isReadableFile(const std::string& path) override { return source_.isFile(sourcePath(path)); }
  std::optional<std::vector<std::string>> listFolder(const std::string& path) override {
    return source_.listFolder(sourcePath(path));
  }
  std::optional<Bytes> readFile(const std::string& path) override {
    return source_.readFile(sourcePath(path));
  }

 private:
  FaceSetSource& source_;
};

// The document of a save read, its faces looked up in `files`.
Conversion documentOf(const SavePreview& preview, const std::string& inputFileName, PathStyle style,
                      FaceFiles& files) {
  const FaceLoader faces(inputFileName, style, preview.faces, files);
  auto faceBitmap = [&](int slot) {
    return faces.loadFaceBitmap(preview.faces[static_cast<std::size_t>(slot - 1)]);
  };
  return {ConversionStatus::converted,
          writePreviewDocument(preview, inputFileName, faceBitmap, platform::timeSeparator())};
}

}  // namespace

Conversion convertSaveFile(const std::string& inputFileName) {
  try {
    std::optional<SavePreview> preview;
    {
      // The file's bytes go before the faces are drawn and the document is written.
      const std::optional<Bytes> bytes = platform::readFile(inputFileName);
      if (!bytes) return {ConversionStatus::cannotOpenInput, {}};
      preview = readSave(*bytes);
    }
    if (!preview) return {ConversionStatus::invalidSave, {}};
    return documentOf(*preview, inputFileName, platform::nativePathStyle(), diskFiles());
  } catch (const std::bad_alloc&) {
    return {ConversionStatus::outOfMemory, {}};
  } catch (const std::length_error&) {
    return {ConversionStatus::outOfMemory, {}};
  }
}

Conversion convertSave(ByteView save, std::string_view fileName, FaceSetSource& faceSets) {
  try {
    const std::optional<SavePreview> preview = readSave(save);
    if (!preview) return {ConversionStatus::invalidSave, {}};
    // A source's paths are "/"-separated and its names compared as bytes, wherever it runs.
    SourceFiles files(faceSets);
    return documentOf(*preview, std::string(fileName), PathStyle::posix, files);
  } catch (const std::bad_alloc&) {
    return {ConversionStatus::outOfMemory, {}};
  } catch (const std::length_error&) {
    return {ConversionStatus::outOfMemory, {}};
  }
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
