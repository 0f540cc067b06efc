#include <string>
#include <vector>

#include "driver/run.hpp"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  return vantrix::run(arguments);
}
