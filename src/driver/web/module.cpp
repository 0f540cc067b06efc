// The conversion as a WebAssembly module for the viewer page: the page hands over a save's
// bytes and name and answers for the files of its game folder (module.js); the document goes
// back. The module has no file system of its own: every face set comes from the page.

#include <emscripten.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "vantrix/vantrix.hpp"

// The page's answers. Paths and names cross as bytes; a result the page gives is a block the
// module frees, its length in *length (-1: there is no such file or folder).
EM_JS(int, vantrixPageIsFile, (const char* path, int length),
      { return Module["vantrixPageFiles"].isFile(path, length) ? 1 : 0; });
EM_JS(std::uint8_t*, vantrixPageList, (const char* path, int length, int* resultLength),
      { return Module["vantrixPageFiles"].list(path, length, resultLength); });
EM_JS(std::uint8_t*, vantrixPageRead, (const char* path, int length, int* resultLength),
      { return Module["vantrixPageFiles"].read(path, length, resultLength); });

namespace {

// A block the page allocated with malloc, freed when it goes.
struct PageBlock {
  std::uint8_t* data = nullptr;
  int length = -1;
  ~PageBlock() { std::free(data); }
};

int lengthOf(const std::string& text) {
  return static_cast<int>(text.size());
}

class PageFiles final : public vantrix::FaceSetSource {
 public:
  std::optional<std::vector<std::string>> listFolder(const std::string& folder) override {
    PageBlock names;
    names.data = vantrixPageList(folder.data(), lengthOf(folder), &names.length);
    if (names.length < 0) return std::nullopt;
    // Each name ends with a zero byte, which no name holds.
    std::vector<std::string> list;
    const char* text = reinterpret_cast<const char*>(names.data);
    for (std::size_t at = 0; at < static_cast<std::size_t>(names.length);) {
      std::string name(text + at);
      at += name.size() + 1;
      list.push_back(std::move(name));
    }
    return list;
  }
  bool isFile(const std::string& path) override {
    return vantrixPageIsFile(path.data(), lengthOf(path)) != 0;
  }
  std::optional<std::vector<std::uint8_t>> readFile(const std::string& path) override {
    PageBlock bytes;
    bytes.data = vantrixPageRead(path.data(), lengthOf(path), &bytes.length);
    if (bytes.length < 0) return std::nullopt;
    return std::vector<std::uint8_t>(bytes.data, bytes.data + bytes.length);
  }
};

// The last document, kept for the page to copy out.
std::string lastDocument;

}  // namespace

extern "C" {

// Converts a save; the status is ConversionStatus's number.
EMSCRIPTEN_KEEPALIVE int vantrixConvert(const std::uint8_t* save, int saveLength, const char* name,
                                        int nameLength) {
  PageFiles files;
  vantrix::Conversion conversion =
      vantrix::convertSave(vantrix::ByteView(save, static_cast<std::size_t>(saveLength)),
                           std::string_view(name, static_cast<std::size_t>(nameLength)), files);
  lastDocument = std::move(conversion.document);
  return static_cast<int>(conversion.status);
}

EMSCRIPTEN_KEEPALIVE const char* vantrixDocument() {
  return lastDocument.data();
}

EMSCRIPTEN_KEEPALIVE int vantrixDocumentLength() {
  return static_cast<int>(lastDocument.size());
}

}  // extern "C"
