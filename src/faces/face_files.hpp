#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/bytes.hpp"

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
  virtual std::optional<Bytes> readFile(const std::string& path) = 0;
};

// The system's files, through the platform.
FaceFiles& diskFiles();

}  // namespace vantrix
