// The conversion as a WebAssembly module, for the JavaScript package (js/) and the viewer page
// built on it: the caller hands over a save's bytes and name and answers for the files of its
// game folder (module.js); the document goes back. The module has no file system of its own:
// every face set comes from the caller. Results wait in this file's variables until the
// caller has copied them out.

#include <emscripten.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vantrix/vantrix.hpp"

// The caller's answers. Paths and names cross as bytes; a result is a block the module frees,
// its length in *length: -1 when there is no such file or folder, -2 when the caller had no
// memory for the answer.
EM_JS(int, vantrixCallerIsFile, (const char* path, int length),
      { return Module["vantrixFiles"].isFile(path, length) ? 1 : 0; });
EM_JS(std::uint8_t*, vantrixCallerList, (const char* path, int length, int* resultLength),
      { return Module["vantrixFiles"].list(path, length, resultLength); });
EM_JS(std::uint8_t*, vantrixCallerRead, (const char* path, int length, int* resultLength),
      { return Module["vantrixFiles"].read(path, length, resultLength); });

namespace {

// A block the caller allocated with malloc, freed when it goes.
struct CallerBlock {
  std::uint8_t* data = nullptr;
  int length = -1;
  CallerBlock() = default;
  CallerBlock(const CallerBlock&) = delete;
  CallerBlock& operator=(const CallerBlock&) = delete;
  ~CallerBlock() { std::free(data); }
  // The conversion reports running out of memory as the program does.
  bool present() const {
    if (length == -2) throw std::bad_alloc();
    return length >= 0;
  }
};

int lengthOf(std::string_view text) {
  return static_cast<int>(text.size());
}

class CallerFiles final : public vantrix::FaceSetSource {
 public:
  std::optional<std::vector<std::string>> listFolder(const std::string& folder) override {
    CallerBlock names;
    names.data = vantrixCallerList(folder.data(), lengthOf(folder), &names.length);
    if (!names.present()) return std::nullopt;
    // Each name ends with a zero byte, which no name holds.
    std::vector<std::string> list;
    const char* text = reinterpret_cast<const char*>(names.data);
    const auto end = static_cast<std::size_t>(names.length);
    for (std::size_t at = 0; at < end;) {
      std::size_t stop = at;
      while (stop < end && text[stop] != '\0')
        ++stop;
      list.emplace_back(text + at, stop - at);
      at = stop + 1;
    }
    return list;
  }
  bool isFile(const std::string& path) override {
    return vantrixCallerIsFile(path.data(), lengthOf(path)) != 0;
  }
  std::optional<std::vector<std::uint8_t>> readFile(const std::string& path) override {
    CallerBlock bytes;
    bytes.data = vantrixCallerRead(path.data(), lengthOf(path), &bytes.length);
    if (!bytes.present()) return std::nullopt;
    return std::vector<std::uint8_t>(bytes.data, bytes.data + bytes.length);
  }
};

// A game folder with no files: the preview's texts come from a document without faces.
class NoFiles final : public vantrix::FaceSetSource {
 public:
  std::optional<std::vector<std::string>> listFolder(const std::string&) override {
    return std::nullopt;
  }
  bool isFile(const std::string&) override { return false; }
  std::optional<std::vector<std::uint8_t>> readFile(const std::string&) override {
    return std::nullopt;
  }
};

// The text of the first <tag> element of a document, as the document writes it.
std::string elementText(const std::string& document, const std::string& tag) {
  const std::string open = "<" + tag + ">";
  const std::size_t start = document.find(open);
  if (start == std::string::npos) return {};
  const std::size_t end = document.find("</" + tag + ">", start);
  if (end == std::string::npos) return {};
  return document.substr(start + open.size(), end - start - open.size());
}

vantrix::ByteView bytesAt(const std::uint8_t* data, int length) {
  return {data, static_cast<std::size_t>(length)};
}

std::string_view textAt(const char* data, int length) {
  return {data, static_cast<std::size_t>(length)};
}

// The last results, kept for the caller to copy out.
std::string lastDocument;
int lastCodePage = 0;
std::optional<vantrix::SavePreview> lastPreview;
std::string lastTimestampText;
std::string lastPlayingTimeText;
std::string lastText;

const std::string& previewText(int which) {
  static const std::string none;
  if (!lastPreview) return none;
  if (which == 0) return lastPreview->heroName;
  if (which >= 1 && which <= 4) return lastPreview->faces[static_cast<std::size_t>(which - 1)].name;
  if (which == 5) return lastTimestampText;
  if (which == 6) return lastPlayingTimeText;
  return none;
}

}  // namespace

extern "C" {

// Converts a save; the status is ConversionStatus's number. The document and the face sets'
// code page (its Windows number, 0 for none) wait for the caller.
EMSCRIPTEN_KEEPALIVE int vantrixConvert(const std::uint8_t* save, int saveLength, const char* name,
                                        int nameLength) {
  CallerFiles files;
  vantrix::Conversion conversion =
      vantrix::convertSave(bytesAt(save, saveLength), textAt(name, nameLength), files);
  lastDocument = std::move(conversion.document);
  lastCodePage =
      conversion.faceSetCodePage ? vantrix::codePageNumber(*conversion.faceSetCodePage) : 0;
  return static_cast<int>(conversion.status);
}

EMSCRIPTEN_KEEPALIVE const char* vantrixDocument() {
  return lastDocument.data();
}

EMSCRIPTEN_KEEPALIVE int vantrixDocumentLength() {
  return lengthOf(lastDocument);
}

// Lets the document's memory go once the caller has its copy.
EMSCRIPTEN_KEEPALIVE void vantrixForget() {
  std::string().swap(lastDocument);
  lastPreview.reset();
  std::string().swap(lastText);
}

EMSCRIPTEN_KEEPALIVE int vantrixFaceSetCodePage() {
  return lastCodePage;
}

// Reads a save's preview values: 1 when its header is LcfSaveData, 0 otherwise (or when the
// memory ran out). The save time and playing time are also kept as the document writes them.
EMSCRIPTEN_KEEPALIVE int vantrixReadPreview(const std::uint8_t* save, int saveLength) {
  lastPreview = vantrix::readSavePreview(bytesAt(save, saveLength));
  if (!lastPreview) return 0;
  NoFiles none;
  const vantrix::Conversion conversion = vantrix::convertSave(bytesAt(save, saveLength), "", none);
  lastTimestampText = elementText(conversion.document, "timestamp");
  lastPlayingTimeText = elementText(conversion.document, "playingtime");
  return 1;
}

EMSCRIPTEN_KEEPALIVE double vantrixPreviewTimestamp() {
  return lastPreview ? lastPreview->timestamp : 0.0;
}

// 0 the hero's level, 1 the hero's HP, 2 the frame count, 3 the money, 4 to 7 the faces'
// indices.
EMSCRIPTEN_KEEPALIVE int vantrixPreviewNumber(int which) {
  if (!lastPreview) return 0;
  switch (which) {
    case 0:
      return lastPreview->heroLevel;
    case 1:
      return lastPreview->heroHp;
    case 2:
      return lastPreview->frameCount;
    case 3:
      return lastPreview->money;
    default:
      if (which >= 4 && which <= 7)
        return lastPreview->faces[static_cast<std::size_t>(which - 4)].index;
      return 0;
  }
}

// 0 the hero's name, 1 to 4 the face sets' names, 5 the save time's text, 6 the playing
// time's text.
EMSCRIPTEN_KEEPALIVE const char* vantrixPreviewText(int which) {
  return previewText(which).data();
}

EMSCRIPTEN_KEEPALIVE int vantrixPreviewTextLength(int which) {
  return lengthOf(previewText(which));
}

// The Windows number of a code page named as parseCodePage reads it, or 0.
EMSCRIPTEN_KEEPALIVE int vantrixParseCodePage(const char* text, int length) {
  const std::optional<vantrix::CodePage> page = vantrix::parseCodePage(textAt(text, length));
  return page ? vantrix::codePageNumber(*page) : 0;
}

// The Windows number of the page tried at `position` of kCodePageTrialOrder, or 0 past its end.
EMSCRIPTEN_KEEPALIVE int vantrixTrialCodePage(int position) {
  if (position < 0 || static_cast<std::size_t>(position) >= vantrix::kCodePageTrialOrder.size()) {
    return 0;
  }
  return vantrix::codePageNumber(vantrix::kCodePageTrialOrder[static_cast<std::size_t>(position)]);
}

// Reads text in the code page of that Windows number: 1 with the UTF-8 kept for the caller, 0
// when the bytes are no text of the page (or the number names no page).
EMSCRIPTEN_KEEPALIVE int vantrixTextToUtf8(const char* bytes, int length, int codePage) {
  const std::optional<vantrix::CodePage> page = vantrix::parseCodePage(std::to_string(codePage));
  std::optional<std::string> text;
  if (page) text = vantrix::textToUtf8(textAt(bytes, length), *page);
  lastText = text ? std::move(*text) : std::string();
  return text ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const char* vantrixText() {
  return lastText.data();
}

EMSCRIPTEN_KEEPALIVE int vantrixTextLength() {
  return lengthOf(lastText);
}

}  // extern "C"
