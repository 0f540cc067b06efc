#include "api/conversion.hpp"

#include <algorithm>

#include "api/guard.hpp"
#include "common/arena.hpp"
#include "document/preview_document.hpp"
#include "faces/face_files.hpp"
#include "faces/face_pictures.hpp"
#include "faces/face_set_lookup.hpp"
#include "platform/platform.hpp"
#include "save/save_reader.hpp"
#include "vantrix/vantrix.hpp"

namespace vantrix {
namespace {

const Conversion kOutOfMemory{ConversionStatus::outOfMemory, {}, {}};

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
  std::optional<Lent> readFile(const std::string& path, std::uint64_t maxBytes,
                               Arena& memory) override {
    const std::optional<std::vector<std::uint8_t>> bytes = source_.readFile(sourcePath(path));
    if (!bytes || bytes->size() > maxBytes) return std::nullopt;
    Lent lent = memory.borrow(Use::file, bytes->size());
    std::copy(bytes->begin(), bytes->end(), lent.data());
    return lent;
  }

 private:
  FaceSetSource& source_;
};

// The document of a save read from `inputPath`, which it names `shownName`; its faces are
// looked up in `files`. The conversion's memory is lent to the lookup's reads and the
// decoders, and given back before the document is made, which then takes the pages the faces
// touched rather than fresh ones.
Conversion documentOf(const SavePreview& preview, const std::string& inputPath,
                      const std::string& shownName, PathStyle style, FaceFiles& files) {
  Arena memory;
  FaceSetLookup lookup(inputPath, style, files);
  const FacePictures faces(preview.faces, lookup, memory);
  memory.release();
  std::string document = writePreviewDocument(
      preview, shownName, [&](int slot, std::string& text) { faces.appendBitmap(slot, text); },
      platform::timeSeparator(), faces.textSize());
  return {ConversionStatus::converted, std::move(document), faces.codePage()};
}

}  // namespace

Conversion convertSaveFile(const std::string& inputFileName) {
  return convertSaveAt(platform::pathFromSystemName(inputFileName), inputFileName);
}

Conversion convertSaveAt(const std::string& inputPath, const std::string& shownName) {
  return guarded(kOutOfMemory, [&]() -> Conversion {
    std::optional<SavePreview> preview;
    {
      // The file's bytes go before the faces are drawn and the document is written.
      const std::optional<Bytes> bytes = platform::readFile(inputPath);
      if (!bytes) return {ConversionStatus::cannotOpenInput, {}, {}};
      preview = readSave(*bytes);
    }
    if (!preview) return {ConversionStatus::invalidSave, {}, {}};
    return documentOf(*preview, inputPath, shownName, platform::nativePathStyle(), diskFiles());
  });
}

Conversion convertSave(ByteView save, std::string_view fileName, FaceSetSource& faceSets) {
  return guarded(kOutOfMemory, [&]() -> Conversion {
    const std::optional<SavePreview> preview = readSave(save);
    if (!preview) return {ConversionStatus::invalidSave, {}, {}};
    // A source's paths are "/"-separated and its names compared as bytes, wherever it runs.
    SourceFiles files(faceSets);
    const std::string name(fileName);
    return documentOf(*preview, name, name, PathStyle::posix, files);
  });
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
  return guarded(std::optional<SavePreview>(), [&] { return readSave(bytes); });
}

}  // namespace vantrix
