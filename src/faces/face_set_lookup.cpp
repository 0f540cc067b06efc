#include "faces/face_set_lookup.hpp"

#include <algorithm>
#include <array>

namespace vantrix {
namespace {

constexpr std::string_view kFaceSetFolder = "FaceSet";

struct Extension {
  std::string_view text;
  FaceSetKind kind;
};
constexpr std::array<Extension, 3> kExtensions = {{
    {".bmp", FaceSetKind::bmp},
    {".png", FaceSetKind::png},
    {".xyz", FaceSetKind::xyz},
}};

bool isWindowsDeviceName(std::string_view name) {
  // Windows opens a device for these whatever extension follows, and ignores trailing blanks.
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ')
    stem.remove_suffix(1);
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (equalsIgnoringAsciiCase(stem, device)) return true;
  }
  if (stem.size() < 4 || !(equalsIgnoringAsciiCase(stem.substr(0, 3), "COM") ||
                           equalsIgnoringAsciiCase(stem.substr(0, 3), "LPT"))) {
    return false;
  }
  // Windows counts the superscript digits 1, 2 and 3 as port numbers too: one byte in the
  // ANSI page of the name's own bytes, two in the UTF-8 of a name read in another page.
  auto isSuperscript = [](char c) { return c == '\xB9' || c == '\xB2' || c == '\xB3'; };
  const std::string_view digit = stem.substr(3);
  if (digit.size() == 2) return digit[0] == '\xC2' && isSuperscript(digit[1]);
  return digit.size() == 1 && ((digit[0] >= '0' && digit[0] <= '9') || isSuperscript(digit[0]));
}

// The save's folder with a trailing separator, or empty for the current folder.
std::string projectFolder(std::string_view inputPath, PathStyle style) {
  const std::size_t separator = lastSeparator(inputPath, style);
  if (separator != std::string_view::npos) {
    return std::string(inputPath.substr(0, separator + 1));
  }
  // "C:Save01.lsd" lies in the current folder of drive C.
  if (style == PathStyle::windows && inputPath.size() >= 2 && inputPath[1] == ':') {
    return std::string(inputPath.substr(0, 2));
  }
  return {};
}

}  // namespace

bool isPlainFaceSetName(std::string_view name, PathStyle style) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    if (c == '\0' || c == '/') return false;
    // Elsewhere "\\" is a byte like any other: a Japanese game unzipped without converting
    // its names keeps "ソ" as the bytes 83 5C, and its face set must still be found.
    if (style == PathStyle::windows && (c == '\\' || c == ':')) return false;
  }
  return style != PathStyle::windows || !isWindowsDeviceName(name);
}

FaceSetLookup::FaceSetLookup(std::string_view inputPath, PathStyle style, FaceFiles& files)
    : style_(style),
      files_(files),
      project_(projectFolder(inputPath, style)),
      folder_(project_ + std::string(kFaceSetFolder) + preferredSeparator(style)) {}

std::optional<FaceSetFile> FaceSetLookup::find(std::string_view name) {
  // The name's own bytes first, as the system reads them: they win whenever they find a file.
  const std::string ownName = files_.pathOfName(name);
  const bool ownNameTried = isPlainFaceSetName(name, style_);
  if (ownNameTried) {
    if (auto found = findByStem(ownName)) return found;
  }
  // Games unpacked on another system have their file names in UTF-8 while the save keeps the
  // game's code page: read the name in each page a game may be made in. The folder rule is
  // about characters, so it applies to the decoded name (where a Shift-JIS second byte 0x5C
  // is part of its character, not a "\").
  if (!hasHighByte(name)) return std::nullopt;
  for (const CodePage page : kCodePageTrialOrder) {
    const std::optional<std::string> decoded = decodeToUtf8(name, page);
    if (!decoded || (ownNameTried && *decoded == ownName) || !isPlainFaceSetName(*decoded, style_))
      continue;
    if (auto found = findByStem(*decoded)) {
      found->codePage = page;
      return found;
    }
  }
  return std::nullopt;
}

// NAME.bmp, NAME.png, NAME.xyz in turn: the exact path first, then, where names are
// case-sensitive, a file that matches ignoring letter case. A name the kept listing of the
// FaceSet folder lacks is not opened.
std::optional<FaceSetFile> FaceSetLookup::findByStem(const std::string& stem) {
  for (const Extension& extension : kExtensions) {
    const std::string fileName = stem + std::string(extension.text);
    const auto listing = listings_.find(folder_);
    const bool listedWithout =
        listing != listings_.end() && listing->second &&
        std::none_of(listing->second->begin(), listing->second->end(),
                     [&](const CaseKey& key) { return key.name == fileName; });
    if (!listedWithout && files_.isReadableFile(folder_ + fileName)) {
      return FaceSetFile{extension.kind, folder_ + fileName, std::nullopt};
    }
    if (style_ == PathStyle::posix) {
      if (auto found = findIgnoringCase(fileName, extension.kind)) return found;
    }
  }
  return std::nullopt;
}

std::optional<FaceSetFile> FaceSetLookup::findIgnoringCase(const std::string& fileName,
                                                           FaceSetKind kind) {
  const CaseKey wantedFolder{std::string(kFaceSetFolder)};
  const CaseKey wantedFile{fileName};
  for (const std::string& folder :
       namesIgnoringCase(project_.empty() ? "." : project_, wantedFolder)) {
    const std::string folderPath = project_ + folder + preferredSeparator(style_);
    for (const std::string& file : namesIgnoringCase(folderPath, wantedFile)) {
      if (files_.isReadableFile(folderPath + file)) {
        return FaceSetFile{kind, folderPath + file, std::nullopt};
      }
    }
  }
  return std::nullopt;
}

std::vector<std::string> FaceSetLookup::namesIgnoringCase(const std::string& folder,
                                                          const CaseKey& wanted) {
  auto listing = listings_.find(folder);
  if (listing == listings_.end()) {
    std::optional<std::vector<CaseKey>> keys;
    if (std::optional<std::vector<std::string>> names = files_.listFolder(folder)) {
      keys.emplace();
      keys->reserve(names->size());
      for (std::string& name : *names)
        keys->emplace_back(std::move(name));
    }
    listing = listings_.emplace(folder, std::move(keys)).first;
  }
  std::vector<std::string> matches;
  if (listing->second) {
    for (const CaseKey& key : *listing->second) {
      if (sameNameIgnoringCase(key, wanted)) matches.push_back(key.name);
    }
  }
  std::sort(matches.begin(), matches.end());
  return matches;
}

}  // namespace vantrix
