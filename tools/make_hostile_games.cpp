// Writes the hostile game folders of the unit tests (tests/support/hostile_games.cpp), one
// folder per case, for tools/run-bounds.sh to time the program on:
//   make_hostile_games <folder>
#include <cstdio>
#include <string>

#include "support/hostile_games.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_hostile_games <folder>\n");
    return 2;
  }
  for (const auto& recipe : vantrix::testing::hostileRecipes()) {
    const std::string folder = std::string(argv[1]) + "/" + recipe.name;
    if (!vantrix::testing::writeHostileGame(recipe.make(), folder)) {
      std::fprintf(stderr, "cannot write %s\n", folder.c_str());
      return 1;
    }
    std::printf("%s\n", recipe.name);
  }
  return 0;
}
