#include "faces/face_set_lookup.hpp"

#include <algorithm>
#include <array>
#include <vector>

#include "text/code_page.hpp"
#include "text/letter_case.hpp"

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

// The entries of `folder` whose names equal `wanted` ignoring letter case, in byte order.
std::vector<std::string> namesIgnoringCase(const std::string& folder, std::string_view wanted,
                                           LookupCache* cache, FaceFiles& files) {
  std::optional<std::vector<std::string>> listed;
  const std::optional<std::vector<std::string>>* names = &listed;
  if (cache) {
    auto known = cache->byFolder.find(folder);
    if (known == cache->byFolder.end()) {
      known = cache->byFolder.emplace(folder, files.listFolder(folder)).first;
    }
    names = &known->second;
  } else {
    listed = files.listFolder(folder);
  }
  std::vector<std::string> matches;
  if (*names) {
    for (const std::string& name : **names) {
      if (sameNameIgnoringCase(name, wanted)) matches.push_back(name);
    }
  }
  std::sort(matches.begin(), matches.end());
  return matches;
}

// The project folder with a trailing separator, or empty for the current folder.
std::string projectFolder(std::string_view inputFileName, PathStyle style) {
  const std::size_t separator = lastSeparator(inputFileName, style);
  if (separator != std::string_view::npos) {
    return std::string(inputFileName.substr(0, separator + 1));
  }
  // "C:Save01.lsd" lies in the current folder of drive C.
  if (style == PathStyle::windows && inputFileName.size() >= 2 && inputFileName[1] == ':') {
    return std::string(inputFileName.substr(0, 2));
  }
  return {};
}

// The face set at `path` with its bytes, read by the open that finds it; nothing when there
// is no such file to read.
std::optional<FaceSetFile> openFaceSet(FaceSetKind kind, const std::string& path,
                                       LookupCache* cache, FaceFiles& files) {
  FaceSetFile file{kind, path, std::nullopt, std::nullopt};
  if (cache) file.bytes = std::move(cache->spareBytes);
  if (!files.readFoundFile(path, kMaxFaceSetFileBytes, file.bytes)) {
    // Not found: the memory waits for the next file.
    if (cache && file.bytes) cache->spareBytes = std::move(*file.bytes);
    return std::nullopt;
  }
  return file;
}

std::optional<FaceSetFile> findIgnoringCase(std::string_view inputFileName,
                                            const std::string& fileName, FaceSetKind kind,
                                            PathStyle style, LookupCache* cache, FaceFiles& files) {
  const std::string project = projectFolder(inputFileName, style);
  for (const std::string& folder :
       namesIgnoringCase(project.empty() ? "." : project, kFaceSetFolder, cache, files)) {
    const std::string folderPath = project + folder + preferredSeparator(style);
    for (const std::string& file : namesIgnoringCase(folderPath, fileName, cache, files)) {
      if (auto found = openFaceSet(kind, folderPath + file, cache, files)) return found;
    }
  }
  return std::nullopt;
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

std::string faceSetFolder(std::string_view inputFileName, PathStyle style) {
  const char separator = preferredSeparator(style);
  return projectFolder(inputFileName, style) + std::string(kFaceSetFolder) + separator;
}

namespace {

// True when the folder's kept listing shows it holds no file of exactly this name, so that
// opening it could only fail.
bool listedWithout(const LookupCache* cache, const std::string& folder,
                   const std::string& fileName) {
  if (!cache) return false;
  const auto listing = cache->byFolder.find(folder);
  if (listing == cache->byFolder.end() || !listing->second) return false;
  const std::vector<std::string>& names = *listing->second;
  return std::find(names.begin(), names.end(), fileName) == names.end();
}

// Looks `fileStem` up as NAME.bmp, NAME.png, NAME.xyz in turn: the exact path first, then,
// where names are case-sensitive, a file that matches ignoring ASCII case. A name the kept
// listing of the FaceSet folder lacks is not opened.
std::optional<FaceSetFile> findByStem(std::string_view inputPath, const std::string& folder,
                                      const std::string& fileStem, PathStyle style,
                                      LookupCache* cache, FaceFiles& files) {
  for (const Extension& extension : kExtensions) {
    const std::string fileName = fileStem + std::string(extension.text);
    if (!listedWithout(cache, folder, fileName)) {
      if (auto found = openFaceSet(extension.kind, folder + fileName, cache, files)) return found;
    }
    if (style == PathStyle::posix) {
      if (auto found = findIgnoringCase(inputPath, fileName, extension.kind, style, cache, files)) {
        return found;
      }
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<FaceSetFile> findFaceSet(std::string_view inputPath, std::string_view name,
                                       PathStyle style, LookupCache* cache, FaceFiles& files) {
  const std::string folder = faceSetFolder(inputPath, style);
  // The name's own bytes first, as the system reads them: they win whenever they find a file.
  const std::string ownName = files.pathOfName(name);
  const bool ownNameTried = isPlainFaceSetName(name, style);
  if (ownNameTried) {
    if (auto found = findByStem(inputPath, folder, ownName, style, cache, files)) return found;
  }
  // Games unpacked on another system have their file names in UTF-8 while the save keeps the
  // game's code page: read the name in each page a game may be made in. The folder rule is
  // about characters, so it applies to the decoded name (where a Shift-JIS second byte 0x5C
  // is part of its character, not a "\").
  if (!hasHighByte(name)) return std::nullopt;
  for (const CodePage page : kCodePageTrialOrder) {
    const std::optional<std::string> decoded = decodeToUtf8(name, page);
    if (!decoded || (ownNameTried && *decoded == ownName) || !isPlainFaceSetName(*decoded, style))
      continue;
    if (auto found = findByStem(inputPath, folder, *decoded, style, cache, files)) {
      found->codePage = page;
      return found;
    }
  }
  return std::nullopt;
}

}  // namespace vantrix
