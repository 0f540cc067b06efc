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
#include "text/letter_case.hpp"

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
};

// True when a face set name from a save may be joined into a path: a plain file name, not
// one that reaches out of the FaceSet folder ("..", the style's separators, drive names) or,
// on Windows, a device such as CON or NUL.
bool isPlainFaceSetName(std::string_view name, PathStyle style);

// Finds the face sets of one save: NAME.bmp, NAME.png or NAME.xyz, in that order, in the
// FaceSet folder beside the save. Where names are case-sensitive, a file that matches only
// when letter case is ignored is found too, as it is on Windows, where the games are made.
// When the name's own bytes find nothing, the name is read in each code page of
// kCodePageTrialOrder in turn and looked up the same way. One lookup serves one conversion:
// it lists each folder once, and compares each listed name through capitals worked out once.
class FaceSetLookup {
 public:
  // `inputPath` is the path that opens the save; `files` are where the face sets are looked
  // for and read.
  FaceSetLookup(std::string_view inputPath, PathStyle style, FaceFiles& files);

  std::optional<FaceSetFile> find(std::string_view name);
  // The FaceSet folder the face sets are looked for in first, with a trailing separator.
  const std::string& folder() const { return folder_; }
  // The file's bytes; nothing when it is larger than kMaxFaceSetFileBytes or cannot be read.
  std::optional<Lent> read(const FaceSetFile& file, Arena& memory) {
    return files_.readFile(file.path, kMaxFaceSetFileBytes, memory);
  }

 private:
  std::optional<FaceSetFile> findByStem(const std::string& stem);
  std::optional<FaceSetFile> findIgnoringCase(const std::string& fileName, FaceSetKind kind);
  // The entries of `folder` (listed once) whose names equal `wanted` ignoring letter case, in
  // byte order.
  std::vector<std::string> namesIgnoringCase(const std::string& folder, const CaseKey& wanted);

  const PathStyle style_;
  FaceFiles& files_;
  const std::string project_;  // the save's folder with a trailing separator, or empty
  const std::string folder_;   // its FaceSet folder, with a trailing separator
  std::map<std::string, std::optional<std::vector<CaseKey>>> listings_;
};

}  // namespace vantrix
