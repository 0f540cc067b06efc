#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <vector>

#include "codecs/bmp_writer.hpp"
#include "common/arena.hpp"
#include "faces/face_set_lookup.hpp"
#include "image/palette.hpp"

namespace vantrix {

// A face set holds 16 faces of 48 × 48 pixels in 4 rows of 4, face 0 at the top left.
inline constexpr int kFaceSetSize = 192;
inline constexpr int kFaceSize = 48;
inline constexpr int kFacesPerRow = 4;

// One face: 48 × 48 pixels, rows top first, palette indices or colours 0xAARRGGBB.
struct FaceCell {
  int bytesPerPixel = 1;
  std::vector<std::uint8_t> pixels;  // 48 × 48 × bytesPerPixel

  BmpPicture picture() const {
    return {pixels.data(), kFaceSize, kFaceSize,
            std::size_t{kFaceSize} * static_cast<std::size_t>(bytesPerPixel), bytesPerPixel};
  }
};

// What a face set gives its faces: the cell of each, as the face set drawn on a 192 × 192
// canvas shows it, and how cells of palette indices are written.
struct FaceSetCells {
  std::map<int, FaceCell> cells;  // by face index
  Palette palette{};              // of the cells of palette indices
  BmpIndices indices = BmpIndices::paletted;
};

// The cells of `faces` (face indices; one outside 0 to 15 lies off the canvas and keeps the
// mask colour) of a face set file, which its format's decoder draws. BMP and XYZ face sets
// give palette indices with their own colours, PNG face sets 32-bit colours (or, for a
// palette picture that covers every cell, its indices written as the colours they stand for).
// Nothing when the file gives no picture at all; a BMP always gives one, if only the
// background.
std::optional<FaceSetCells> cutFaces(FaceSetKind kind, std::span<std::uint8_t> file,
                                     const std::set<int>& faces, Arena& memory);

}  // namespace vantrix
