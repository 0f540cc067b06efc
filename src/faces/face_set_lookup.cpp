#include "faces/face_set_lookup.hpp"

#include <algorithm>
#include <array>
#include <vector>

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
  if (stem.size() == 4 && (equalsIgnoringAsciiCase(stem.substr(0, 3), "COM") ||
                           equalsIgnoringAsciiCase(stem.substr(0, 3), "LPT"))) {
    // Windows counts the superscript digits 1, 2 and 3 of ISO-8859-1 as port numbers too.
    const auto digit = static_cast<unsigned char>(stem[3]);
    return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
  }
  return false;
}

// The entries of `folder` whose names equal `wanted` ignoring ASCII case, in byte order.
std::vector<std::string> namesIgnoringCase(const std::string& folder, std::string_view wanted,
                                           FolderListings* listings, FaceFiles& files) {
  std::optional<std::vector<std::string>> listed;
  const std::optional<std::vector<std::string>>* names = &listed;
  if (listings) {
    auto known = listings->byFolder.find(folder);
    if (known == listings->byFolder.end()) {
      known = listings->byFolder.emplace(folder, files.listFolder(folder)).first;
    }
    names = &known->second;
  } else {
    listed = files.listFolder(folder);
  }
  std::vector<std::string> matches;
  if (*names) {
    for (const std::string& name : **names) {
      if (equalsIgnoringAsciiCase(name, wanted)) matches.push_back(name);
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

std::optional<std::string> findIgnoringCase(std::string_view inputFileName,
                                            const std::string& fileName, PathStyle style,
                                            FolderListings* listings, FaceFiles& files) {
  const std::string project = projectFolder(inputFileName, style);
  for (const std::string& folder :
       namesIgnoringCase(project.empty() ? "." : project, kFaceSetFolder, listings, files)) {
    const std::string folderPath = project + folder + preferredSeparator(style);
    for (const std::string& file : namesIgnoringCase(folderPath, fileName, listings, files)) {
      if (files.isReadableFile(folderPath + file)) return folderPath + file;
    }
  }
  return std::nullopt;
}

}  // namespace

bool isPlainFaceSetName(std::string_view name, PathStyle style) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    if (c == '\0' || c == '/' || c == '\\') return false;
    if (style == PathStyle::windows && c == ':') return false;
  }
  return style != PathStyle::windows || !isWindowsDeviceName(name);
}

std::string faceSetFolder(std::string_view inputFileName, PathStyle style) {
  const char separator = preferredSeparator(style);
  return projectFolder(inputFileName, style) + std::string(kFaceSetFolder) + separator;
}

std::optional<FaceSetFile> findFaceSet(std::string_view inputFileName, std::string_view name,
                                       PathStyle style, FolderListings* listings,
                                       FaceFiles& files) {
  if (!isPlainFaceSetName(name, style)) return std::nullopt;
  const std::string base = faceSetFolder(inputFileName, style) + std::string(name);
  for (const Extension& extension : kExtensions) {
    const std::string path = base + std::string(extension.text);
    if (files.isReadableFile(path)) return FaceSetFile{extension.kind, path};
    if (style == PathStyle::posix) {
      const std::string fileName = std::string(name) + std::string(extension.text);
      if (auto found = findIgnoringCase(inputFileName, fileName, style, listings, files)) {
        return FaceSetFile{extension.kind, *found};
      }
    }
  }
  return std::nullopt;
}

}  // namespace vantrix
