#include <string>
#include <vector>

#include "driver/run.hpp"
#include "platform/platform.hpp"

#ifdef __MINGW32__
// Names reach the program as the command line gives them: no wildcard expansion.
extern "C" {
int _dowildcard = 0;
}
#endif

int main(int argc, char** argv) {
  vantrix::platform::prepareProcess();
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  return vantrix::run(arguments);
}
