#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>

#include "common/arena.hpp"
#include "faces/face_cells.hpp"
#include "faces/face_set_lookup.hpp"
#include "save/save_preview.hpp"

namespace vantrix {

// The pictures of a save's faces: each face is cut from its face set in the FaceSet folder
// beside the save and written as the Base64 text of a 48 × 48 BMP file. Each face set is
// found, read and decoded once, however many faces use it, keeping only their cells.
class FacePictures {
 public:
  FacePictures(const std::array<FaceSlot, 4>& faces, FaceSetLookup& lookup, Arena& memory);

  // The Base64 BMP of face slot 1 to 4 appended to `text`; nothing when its face set is
  // missing or gives no picture.
  void appendBitmap(int slot, std::string& text) const;
  // The length of the text appendBitmap gives for all four slots.
  std::size_t textSize() const;
  // The code page that found the first face set found only by reading its name in one.
  std::optional<CodePage> codePage() const { return codePage_; }

 private:
  // The cell of a slot's face in its face set's cells, or nothing.
  const FaceCell* cellOf(int slot, const FaceSetCells** set) const;

  std::map<std::string, std::optional<FaceSetCells>> decoded_;  // by the face set file's path
  std::array<const FaceSetCells*, 4> setOf_{};
  std::array<int, 4> indexOf_{};
  std::optional<CodePage> codePage_;
};

}  // namespace vantrix
