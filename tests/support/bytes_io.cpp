#include "support/bytes_io.hpp"

#include <fstream>

namespace vantrix::testing {

bool writeFile(const std::string& path, ByteView bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

}  // namespace vantrix::testing
