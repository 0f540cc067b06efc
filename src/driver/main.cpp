#include <string>
#include <vector>

#include "driver/run.hpp"
#include "platform/platform.hpp"

#ifdef _WIN32
// Names reach the program as the command line gives them: no wildcard expansion.
extern "C" {
int _dowildcard = 0;
}

// The wide command line, so that a save in a folder named in any script opens on any Windows;
// the document and messages keep the ANSI names the narrow command line would have given.
int wmain(int argc, wchar_t** argv) {
  vantrix::platform::prepareProcess();
  std::vector<std::string> paths;
  std::vector<std::string> shown;
  for (int i = 1; i < argc; ++i) {
    paths.push_back(vantrix::platform::pathFromWide(argv[i]));
    shown.push_back(vantrix::platform::systemNameFromWide(argv[i]));
  }
  return vantrix::run(paths, &shown);
}
#else
int main(int argc, char** argv) {
  vantrix::platform::prepareProcess();
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  return vantrix::run(arguments);
}
#endif
