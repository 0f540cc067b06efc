#include "faces/face_files.hpp"

#include "platform/platform.hpp"

namespace vantrix {
namespace {

class DiskFiles final : public FaceFiles {
 public:
  bool isReadableFile(const std::string& path) override { return platform::isReadableFile(path); }
  std::optional<std::vector<std::string>> listFolder(const std::string& path) override {
    return platform::listFolder(path);
  }
  std::optional<Lent> readFile(const std::string& path, std::uint64_t maxBytes,
                               Arena& memory) override {
    return platform::readFile(path, maxBytes, memory);
  }
  std::string pathOfName(std::string_view name) override {
    return platform::pathFromSystemName(name);
  }
};

}  // namespace

FaceFiles& diskFiles() {
  static DiskFiles files;  // no state: every call goes to the system
  return files;
}

}  // namespace vantrix
