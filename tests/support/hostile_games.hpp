#pragma once

// Game folders built to push vantrix to its bounds: saves of up to 1 MiB and face set files
// of up to the loader's 16 MiB, made to cost as much memory or time as such files can (long
// names and numbers in saves, huge declared picture sizes, the densest zlib streams,
// run-length bombs), and face set files at, just over and far over that size. A unit test
// converts each and checks the document and the memory; tools/run-bounds.sh times them.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/bytes.hpp"
#include "faces/face_set_lookup.hpp"

namespace vantrix::testing {

// The largest save and face set file a conversion is held to its bounds for.
inline constexpr std::size_t kLargestSave = std::size_t{1} << 20;
inline constexpr std::size_t kLargestFaceSet = kMaxFaceSetFileBytes;

// A file too large to build in memory: its pieces at their offsets and zeros everywhere
// else, which are never written (the file is sparse).
struct SparseFile {
  std::uint64_t size = 0;
  std::vector<std::pair<std::uint64_t, Bytes>> pieces;
};

struct HostileGame {
  std::string save;                                          // Save01.lsd
  std::vector<std::pair<std::string, Bytes>> faceSets;       // file name in FaceSet/, bytes
  std::vector<std::pair<std::string, SparseFile>> bigFiles;  // file name in FaceSet/, file
};

struct HostileRecipe {
  const char* name;
  HostileGame (*make)();
  int bitmaps;  // faces of the document that get a picture
};

const std::vector<HostileRecipe>& hostileRecipes();

// Writes the game into `folder` (Save01.lsd and FaceSet/).
bool writeHostileGame(const HostileGame& game, const std::string& folder);

// A save whose hero name, all line breaks, makes a document of about `documentBytes`.
HostileGame largeDocumentGame(std::size_t documentBytes);

// A zlib stream of `count` zero bytes, made without holding them.
Bytes zlibOfZeros(std::size_t count);

// A zlib stream of `streamBytes` bytes that inflates to about 1,000 times as many zeros and
// never ends: its checksum never comes.
Bytes endlessZeros(std::size_t streamBytes);

}  // namespace vantrix::testing
