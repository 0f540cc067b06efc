#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/paths.hpp"
#include "faces/face_files.hpp"
#include "text/code_page.hpp"

namespace vantrix {

enum class FaceSetKind { bmp, png, xyz };

// A face set file larger than this gives no bitmap, decided from its size before it is read,
// so no file in a FaceSet folder costs more memory or time than this: real face sets take a
// few KB to a few hundred KB.
inline constexpr std::uint64_t kMaxFaceSetFileBytes = std::uint64_t{16} << 20;

struct FaceSetFile {
  FaceSetKind kind;
  std::string path;
  // The code page the name was read in to find the file; nothing when its own bytes found it.
  std::optional<CodePage> codePage;
  // The file's bytes, read by the open that found it; nothing when it is larger than
  // kMaxFaceSetFileBytes or could not be read.
  std::optional<Bytes> bytes;
};

// True when a face set name from a save may be joined into a path: a plain file name, not
// one that reaches out of the FaceSet folder ("..", the style's separators, drive names) or,
// on Windows, a device such as CON or NUL.
bool isPlainFaceSetName(std::string_view name, PathStyle style);

// Where the face sets of the save `inputFileName` lie: its folder's "FaceSet" folder, with a
// separator at the end ("FaceSet/" for a save in the current folder).
std::string faceSetFolder(std::string_view inputFileName, PathStyle style);

// What one conversion's lookups keep between them: the folders listed, so that looking up
// several face sets lists the project and FaceSet folders once, and memory to read the next
// face set file into, handed back by the caller once it is done with the last one's bytes.
struct LookupCache {
  std::map<std::string, std::optional<std::vector<std::string>>> byFolder;
  Bytes spareBytes;
};

// Finds face set `name` (bytes from the save) beside the save at `inputPath` as NAME.bmp,
// NAME.png or NAME.xyz, in that order. Where names are case-sensitive, a file that matches
// only when ASCII case is ignored is found too, as it is on Windows, where the games are made.
// When the name's own bytes find nothing, the name is read in each code page of
// kCodePageTrialOrder in turn and looked up the same way. `cache`, when given, keeps the
// folders listed and lends its spare bytes to the read; `files` are where the folders and
// files are looked for.
std::optional<FaceSetFile> findFaceSet(std::string_view inputPath, std::string_view name,
                                       PathStyle style, LookupCache* cache = nullptr,
                                       FaceFiles& files = diskFiles());

}  // namespace vantrix
