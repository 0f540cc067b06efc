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
  std::optional<Bytes> readFile(const std::string& path) override {
    return platform::readFile(path);
  }
};

}  // namespace

FaceFiles& diskFiles() {
  static DiskFiles files;
  return files;
}

}  // namespace vantrix
