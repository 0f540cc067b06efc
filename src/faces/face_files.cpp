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
  std::optional<Bytes> readFile(const std::string& path, std::uint64_t maxBytes) override {
    return platform::readFile(path, maxBytes);
  }
  bool readFoundFile(const std::string& path, std::uint64_t maxBytes,
                     std::optional<Bytes>& bytes) override {
    bool readable = false;
    Bytes memory = bytes ? std::move(*bytes) : Bytes{};
    bytes = platform::readFile(path, maxBytes, &readable, std::move(memory));
    return readable;
  }
  std::string pathOfName(std::string_view name) override {
    return platform::pathFromSystemName(name);
  }
};

}  // namespace

FaceFiles& diskFiles() {
  static DiskFiles files;
  return files;
}

}  // namespace vantrix
