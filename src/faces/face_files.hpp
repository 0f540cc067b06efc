#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/arena.hpp"

namespace vantrix {

// The files a conversion finds face sets in: the system's folders, or files handed over in
// memory (a browser page's chosen folder). The lookup asks in its own paths: the save's
// folder joined with "FaceSet" and a file name, by the path style's separator.
class FaceFiles {
 public:
  virtual ~FaceFiles() = default;
  // True when readFile would give the file's bytes: it exists, is no folder and can be read.
  virtual bool isReadableFile(const std::string& path) = 0;
  // The names in a folder, or nothing when it cannot be listed.
  virtual std::optional<std::vector<std::string>> listFolder(const std::string& path) = 0;
  // The file's bytes in memory borrowed from `memory`; nothing for a file larger than
  // maxBytes, as well as for one that cannot be read.
  virtual std::optional<Lent> readFile(const std::string& path, std::uint64_t maxBytes,
                                       Arena& memory) = 0;
  // The path a name from a save names in these files: on disk the system's reading of its
  // bytes (the ANSI code page on Windows), elsewhere the bytes themselves.
  virtual std::string pathOfName(std::string_view name) { return std::string(name); }
};

// The system's files, through the platform.
FaceFiles& diskFiles();

}  // namespace vantrix
