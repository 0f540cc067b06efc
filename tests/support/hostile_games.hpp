#pragma once

// Game folders built to push vantrix to its bounds: every file at most 16 MiB, made to cost
// as much memory or time as such a file can (long names and numbers in saves, huge declared
// picture sizes, the densest zlib streams, run-length bombs). A unit test converts each and
// checks the document and the memory; tools/run-bounds.sh times them.

#include <string>
#include <utility>
#include <vector>

#include "common/bytes.hpp"

namespace vantrix::testing {

// The largest input file a conversion is held to its bounds for.
inline constexpr std::size_t kLargestInput = std::size_t{16} << 20;

struct HostileGame {
  std::string save;                                     // Save01.lsd
  std::vector<std::pair<std::string, Bytes>> faceSets;  // file name in FaceSet/, bytes
};

struct HostileRecipe {
  const char* name;
  HostileGame (*make)();
  int bitmaps;  // faces of the document that get a picture
};

const std::vector<HostileRecipe>& hostileRecipes();

// Writes the game into `folder` (Save01.lsd and FaceSet/).
bool writeHostileGame(const HostileGame& game, const std::string& folder);

// A zlib stream of `count` zero bytes, made without holding them.
Bytes zlibOfZeros(std::size_t count);

// A zlib stream of `streamBytes` bytes that inflates to about 1,000 times as many zeros and
// never ends: its checksum never comes.
Bytes endlessZeros(std::size_t streamBytes);

}  // namespace vantrix::testing
