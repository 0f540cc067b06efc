#pragma once

// vantrix as a library: what the vantrix program does, for programs that show save slots.
// Link the CMake target vantrix::vantrix (find_package(vantrix)) or use pkg-config's
// "vantrix" (with --static: the library is static and needs zlib).
//
//   vantrix::Conversion c = vantrix::convertSaveFile("Game/Save01.lsd");
//   if (c.status == vantrix::ConversionStatus::converted) use(c.document);
//
// or, with the save and its game folder's files held elsewhere, convertSave.
//
// Nothing here throws, prints or writes a file, and no call keeps state for the next one.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vantrix/codecs.hpp"
#include "vantrix/save_preview.hpp"
#include "vantrix/text.hpp"

namespace vantrix {

enum class ConversionStatus {
  converted,        // `document` holds the preview document
  cannotOpenInput,  // missing, a folder or no access (the program's exit code 1)
  invalidSave,      // no save file: its header is not "LcfSaveData" (exit code 2)
  outOfMemory,      // the conversion could not have the memory it needs (exit code 5)
};

// The status in a few English words, for logs and messages.
std::string_view toString(ConversionStatus status);

struct Conversion {
  ConversionStatus status = ConversionStatus::converted;
  // The preview document's bytes, exactly what the program writes to its output file:
  // ISO-8859-1 XML with CR LF line ends. Empty unless converted.
  std::string document;
  // When a face set was found only under its name read in a code page (a Japanese game's
  // Shift-JIS name as a UTF-8 file name, say), the page that found the first one: the game's
  // code page, in which its hero's name reads right too (textToUtf8).
  std::optional<CodePage> faceSetCodePage;
};

// Reads a save file by name and makes its preview document. When the save lies in a game
// project folder, the faces found in its FaceSet folder are embedded as Base64 BMPs. The
// document names the input as given here, and its slot number comes from the name
// ("Save03.lsd" gives 3).
Conversion convertSaveFile(const std::string& inputFileName);

// The files of a game folder that vantrix cannot read from a disk itself: a folder a browser
// page was handed, an archive, files held in memory. A conversion from memory asks it for
// the face sets. Paths are relative to the folder it stands for ("" is that folder itself),
// with "/" between names ("FaceSet/Hero.png"), and names are the bytes the source gives
// (UTF-8 where names are text). Its answers should not throw.
class FaceSetSource {
 public:
  virtual ~FaceSetSource() = default;
  // The names of the files and folders in `folder`, or nothing when there is no such folder.
  virtual std::optional<std::vector<std::string>> listFolder(const std::string& folder) = 0;
  // True when `path` is a file that readFile gives the bytes of.
  virtual bool isFile(const std::string& path) = 0;
  // The bytes of the file at `path`, or nothing when there is none or it cannot be read.
  virtual std::optional<std::vector<std::uint8_t>> readFile(const std::string& path) = 0;
};

// Makes the preview document of a save held in memory, with the faces found in `faceSets`
// by the rules convertSaveFile follows on disk: the FaceSet folder beside the save and
// NAME.bmp, NAME.png or NAME.xyz in that order, each by its exact name first, then by the
// first name in byte order that equals it ignoring letter case (of every script, as Windows
// compares names). `fileName` is the save's name
// as the document shows it and takes its slot number from ("Save03.lsd"); a folder in it
// ("Game/Save03.lsd") is where in `faceSets` the save lies. The document is the one
// convertSaveFile gives for a save so named beside the same files. The status is never
// cannotOpenInput.
Conversion convertSave(ByteView save, std::string_view fileName, FaceSetSource& faceSets);

// The preview values of a whole save file held in memory; nothing when its header is not
// "LcfSaveData". Damaged or missing parts keep their start values, as in the document.
std::optional<SavePreview> readSavePreview(ByteView bytes);

}  // namespace vantrix
