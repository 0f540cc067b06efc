#pragma once

#include <string>

#include "common/paths.hpp"
#include "save/save_preview.hpp"

namespace vantrix {

// Makes the pictures of a save's faces: each face is cut from its face set in the FaceSet
// folder beside the save and returned as the Base64 text of a 48 × 48 BMP file.
class FaceLoader {
 public:
  FaceLoader(std::string inputFileName, PathStyle style)
      : inputFileName_(std::move(inputFileName)), style_(style) {}

  // The Base64 BMP of one face, or empty text when its face set is missing or unreadable.
  std::string loadFaceBitmap(const FaceSlot& face) const;

 private:
  std::string inputFileName_;
  PathStyle style_;
};

}  // namespace vantrix
