// Writes the hostile game folders of the unit tests (tests/support/hostile_games.cpp), one
// folder per case, for tools/run-bounds.sh to time the program on; or one game whose document
// takes about the given number of MiB, for tools/run-kill-test.sh:
//   make_hostile_games <folder>
//   make_hostile_games --large-document <MiB> <folder>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/hostile_games.hpp"

int main(int argc, char** argv) {
  using namespace vantrix::testing;
  if (argc == 4 && std::string(argv[1]) == "--large-document") {
    const std::size_t bytes = std::strtoull(argv[2], nullptr, 10) << 20;
    return writeHostileGame(largeDocumentGame(bytes), argv[3]) ? 0 : 1;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_hostile_games [--large-document <MiB>] <folder>\n");
    return 2;
  }
  for (const auto& recipe : hostileRecipes()) {
    const std::string folder = std::string(argv[1]) + "/" + recipe.name;
    if (!writeHostileGame(recipe.make(), folder)) {
      std::fprintf(stderr, "cannot write %s\n", folder.c_str());
      return 1;
    }
    std::printf("%s\n", recipe.name);
  }
  return 0;
}
