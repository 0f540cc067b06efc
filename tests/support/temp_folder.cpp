#include "support/temp_folder.hpp"

#include <fstream>
#include <random>
#include <sstream>

namespace vantrix::testing {

TempFolder::TempFolder() {
  std::random_device entropy;
  path_ = std::filesystem::temp_directory_path() /
          ("vantrix-test-" + std::to_string(entropy()) + std::to_string(entropy()));
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::write(std::string_view name, std::string_view bytes) const {
  std::filesystem::path file = path_ / name;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file.string();
}

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace vantrix::testing
