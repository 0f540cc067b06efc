#include <new>
#include <stdexcept>

#include "api/conversion.hpp"
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
  std::optional<Bytes> readFile(const std::string& path, std::uint64_t maxBytes) override {
    std::optional<Bytes> bytes = source_.readFile(sourcePath(path));
    if (bytes && bytes->size() > maxBytes) return std::nullopt;
    return bytes;
  }

 private:
  FaceSetSource& source_;
};

// The document of a save read from `inputPath`, which it names `shownName`; its faces are
// looked up in `files`.
Conversion documentOf(const SavePreview& preview, const std::string& inputPath,
                      const std::string& shownName, PathStyle style, FaceFiles& files) {
  const FaceLoader faces(inputPath, style, preview.faces, files);
  // The face sets are drawn first: the document, allocated next, then takes the memory
  // their drawing gave back.
  faces.prepare(preview.faces);
  auto faceBitmap = [&](int slot, std::string& document) {
    faces.appendFaceBitmap(preview.faces[static_cast<std::size_t>(slot - 1)], document);
  };
  // Allocated at the size the faces drawn take, it fits in memory their drawing gave back.
  std::string document = writePreviewDocument(
      preview, shownName, faceBitmap, platform::timeSeparator(), faces.faceTextSize(preview.faces));
  return {ConversionStatus::converted, std::move(document), faces.faceSetCodePage()};
}

}  // namespace

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
    return documentOf(*preview, inputPath, shownName, platform::nativePathStyle(), diskFiles());
  } catch (const std::bad_alloc&) {
    return {ConversionStatus::outOfMemory, {}, {}};
  } catch (const std::length_error&) {
    return {ConversionStatus::outOfMemory, {}, {}};
  }
}

Conversion convertSave(ByteView save, std::string_view fileName, FaceSetSource& faceSets) {
  try {
    const std::optional<SavePreview> preview = readSave(save);
    if (!preview) return {ConversionStatus::invalidSave, {}, {}};
    // A source's paths are "/"-separated and its names compared as bytes, wherever it runs.
    SourceFiles files(faceSets);
    const std::string name(fileName);
    return documentOf(*preview, name, name, PathStyle::posix, files);
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
