// The whole conversion of a save in a game folder, as the program runs it. The input is cut
// into up to three face sets and a save:
//
//   count:1   count % 4 face sets, each  kind:1 (% 3: bmp, png, xyz)  length:2 (LE)  bytes
//   the rest  the save file
//
// Face set i is written as FaceSet/Set<i> with its kind's extension inside a private
// temporary folder, beside decoy face sets outside the game's FaceSet folder. The document
// must be well-formed XML, give bitmaps only for faces of the face sets written, and leave
// every folder as it was.

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "common/paths.hpp"
#include "fuzz_target.hpp"
#include "platform/platform.hpp"
#include "save/save_reader.hpp"
#include "support/bytes_io.hpp"
#include "support/xml_check.hpp"
#include "vantrix/vantrix.hpp"

#ifdef VANTRIX_HAVE_EXPAT
#include <expat.h>
#endif

namespace {

using namespace vantrix;
namespace fs = std::filesystem;

constexpr std::array<const char*, 3> kExtensions = {".bmp", ".png", ".xyz"};

// A 2 × 2 BMP of 8 bits a pixel, a picture any face name that reached it would show.
const Bytes kDecoyBmp = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0, 40, 0, 0, 0,
                         2,   0,   0,  0, 2, 0, 0, 0, 1, 0, 8,  0, 0, 0, 0,  0, 0, 0,
                         0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0,
                         0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0};

struct Playground {
  fs::path root;  // holds game/ and the decoys
  fs::path game;
  fs::path faceSets;
  std::vector<std::string> rootNames;  // what the root holds once laid out, sorted
};

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names =
      platform::listFolder(folder.string()).value_or(std::vector<std::string>{});
  std::sort(names.begin(), names.end());
  return names;
}

const Playground& playground() {
  static const Playground ground = [] {
    Playground p;
    p.root = vantrix::fuzz::privateFolder("vantrix-fuzz");
    p.game = p.root / "game";
    p.faceSets = p.game / "FaceSet";
    fs::create_directories(p.faceSets);
    fs::create_directories(p.root / "FaceSet");
    // Face sets a save must never reach: beside the save, and in a FaceSet folder above.
    for (const char* name : {"Decoy.bmp", "Set0.bmp", "Set1.bmp", "Set2.bmp"}) {
      FUZZ_CHECK(testing::writeFile((p.root / "FaceSet" / name).string(), kDecoyBmp));
    }
    FUZZ_CHECK(testing::writeFile((p.root / "Decoy.bmp").string(), kDecoyBmp));
    FUZZ_CHECK(testing::writeFile((p.game / "Decoy.bmp").string(), kDecoyBmp));
    p.rootNames = namesIn(p.root);
    return p;
  }();
  return ground;
}

// The face set names of a document and whether each has a bitmap.
struct DocumentFace {
  std::string name;
  bool bitmap = false;
};

#ifdef VANTRIX_HAVE_EXPAT
struct FaceCollector {
  std::vector<DocumentFace> faces;
  std::string element;
};

void XMLCALL startElement(void* user, const XML_Char* name, const XML_Char**) {
  auto* collector = static_cast<FaceCollector*>(user);
  collector->element = name;
  if (collector->element == "face") collector->faces.emplace_back();
  if (collector->element == "bitmap" && !collector->faces.empty()) {
    collector->faces.back().bitmap = true;
  }
}

void XMLCALL endElement(void* user, const XML_Char*) {
  static_cast<FaceCollector*>(user)->element.clear();
}

void XMLCALL characters(void* user, const XML_Char* text, int length) {
  auto* collector = static_cast<FaceCollector*>(user);
  if (collector->element == "filename" && !collector->faces.empty()) {
    collector->faces.back().name.append(text, static_cast<std::size_t>(length));
  }
}

std::vector<DocumentFace> documentFaces(const std::string& document) {
  FaceCollector collector;
  XML_Parser parser = XML_ParserCreate(nullptr);
  XML_SetUserData(parser, &collector);
  XML_SetElementHandler(parser, startElement, endElement);
  XML_SetCharacterDataHandler(parser, characters);
  const bool parsed =
      XML_Parse(parser, document.data(), static_cast<int>(document.size()), 1) != XML_STATUS_ERROR;
  XML_ParserFree(parser);
  FUZZ_CHECK(parsed);
  return collector.faces;
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Playground& ground = playground();
  std::size_t at = 0;
  const std::size_t count = size > 0 ? data[at++] % 4u : 0;
  std::vector<std::string> written;  // face set names, "Set<i>"
  std::vector<fs::path> files;
  for (std::size_t i = 0; i < count && size - at >= 3; ++i) {
    const char* extension = kExtensions[data[at] % 3];
    const std::size_t declared = data[at + 1] | std::size_t{data[at + 2]} << 8;
    at += 3;
    const std::size_t length = std::min(declared, size - at);
    const std::string name = "Set" + std::to_string(i);
    files.push_back(ground.faceSets / (name + extension));
    FUZZ_CHECK(testing::writeFile(files.back().string(), ByteView(data + at, length)));
    written.push_back(name);
    at += length;
  }
  const ByteView save(data + at, size - at);
  files.push_back(ground.game / "Save01.lsd");
  FUZZ_CHECK(testing::writeFile(files.back().string(), save));
  const std::vector<std::string> gameNames = namesIn(ground.game);
  const std::vector<std::string> faceSetNames = namesIn(ground.faceSets);

  const Conversion conversion = convertSaveFile(files.back().string());
  const bool isSave = readSave(save).has_value();
  FUZZ_CHECK(conversion.status ==
             (isSave ? ConversionStatus::converted : ConversionStatus::invalidSave));
  if (isSave) {
    FUZZ_CHECK(testing::xmlError(conversion.document).empty());
#ifdef VANTRIX_HAVE_EXPAT
    for (const DocumentFace& face : documentFaces(conversion.document)) {
      if (!face.bitmap) continue;
      const bool ours = std::any_of(written.begin(), written.end(), [&](const std::string& name) {
        return equalsIgnoringAsciiCase(face.name, name);
      });
      FUZZ_CHECK(ours);
    }
#endif
  } else {
    FUZZ_CHECK(conversion.document.empty());
  }

  // Nothing was made, removed or renamed anywhere.
  FUZZ_CHECK(namesIn(ground.game) == gameNames);
  FUZZ_CHECK(namesIn(ground.faceSets) == faceSetNames);
  FUZZ_CHECK(namesIn(ground.root) == ground.rootNames);
  for (const fs::path& file : files) {
    std::error_code error;
    fs::remove(file, error);
  }
  return 0;
}
