#include <stdlib.h>  // mkdtemp

#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz_target.hpp"

namespace vantrix::fuzz {

void fail(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: expectation failed: %s\n", file, line, condition);
  std::abort();
}

std::filesystem::path privateFolder(const char* prefix) {
  struct RemoveAtExit {
    std::vector<std::filesystem::path> folders;
    ~RemoveAtExit() {
      std::error_code error;
      for (const auto& folder : folders)
        std::filesystem::remove_all(folder, error);
    }
  };
  static RemoveAtExit removal;
  std::string pattern =
      (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  if (!mkdtemp(pattern.data())) fail("mkdtemp", __FILE__, __LINE__);
  removal.folders.emplace_back(pattern);
  return pattern;
}

}  // namespace vantrix::fuzz
