#pragma once

// What vantrix reads from a save file: part of the public interface, see vantrix.hpp.

#include <array>
#include <cstdint>
#include <string>

namespace vantrix {

// One face of the preview: the face set's file name without extension (empty: no face) and
// the 0-based number of the face within it (16 faces in 4 rows of 4).
struct FaceSlot {
  std::string name;
  std::int32_t index = 0;
};

// What a load menu shows of one save file. Fields the save does not hold keep these values.
// Text is the save's bytes as they are (the games write their own code page).
struct SavePreview {
  double timestamp = 0.0;  // a date serial: days since 1899-12-30, the fraction the time
  std::string heroName;
  std::int32_t heroLevel = 0;  // no hero shown when below 1
  std::int32_t heroHp = 0;
  std::array<FaceSlot, 4> faces;  // face slots 1 to 4
  std::int32_t frameCount = 0;    // playing time, 60 frames a second
  std::int32_t money = 0;
};

}  // namespace vantrix
