// The PNG decoder on any file, as each of its callers runs it: the whole picture in either
// pixel order, and the library's decodePng, accept or refuse a file alike, for the same reason,
// with the same pixels; a decode that keeps a corner and may overwrite its copy of the file
// gives that corner's pixels, or those of the part of it it is asked to show, as colours or as
// palette indices; and a face set's cells are those of its whole picture.

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "codecs/png_decoder.hpp"
#include "faces/face_cells.hpp"
#include "fuzz_target.hpp"
#include "support/test_picture.hpp"
#include "vantrix/codecs.hpp"

namespace {

using namespace vantrix;
using testing::DecodedPng;
using testing::decodePngPicture;
// The input with every whole chunk's CRC set right, so mutations reach past the CRC check
// into the image data, palette and filters.
std::vector<std::uint8_t> withRightCrcs(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> file(data, data + size);
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const std::size_t length = readBe32(file.data() + at);
    if (length > file.size() - at - 12) break;
    const auto crc =
        static_cast<std::uint32_t>(crc32(0, file.data() + at + 4, static_cast<uInt>(length + 4)));
    for (int i = 0; i < 4; ++i) {
      file[at + 8 + length + static_cast<std::size_t>(i)] =
          static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    }
    at += length + 12;
  }
  return file;
}

// A picture's pixel as 0xAARRGGBB: its colour, or the colour its palette index stands for.
std::uint32_t pixelAt(const testing::TestPicture& picture, std::uint32_t x, std::uint32_t y) {
  return picture.bytesPerPixel == 1 ? picture.colours[picture.at(x, y)] : picture.pixel(x, y);
}

// Odd sides cut Adam7's passes part-way; the part shown starts inside a byte of samples, at
// a row that varies with the input, so that rows above it may go unrestored.
void checkCorner(ByteView file, const DecodedPng& whole, bool shownPart) {
  DecodeLimits corner;
  corner.keptWidth = 7;
  corner.keptHeight = 5;
  if (shownPart) corner.shown = {3, 1 + static_cast<std::uint32_t>(file.size() % 4), 6, 5};
  for (bool indices : {false, true}) {
    const DecodedPng part = decodePngPicture(file, corner, PngPixels::argb, indices, true);
    FUZZ_CHECK(part.error == whole.error);
    if (part.error != PngError::none) continue;
    FUZZ_CHECK(part.picture.width == std::min(whole.picture.width, 7u));
    FUZZ_CHECK(part.picture.height == std::min(whole.picture.height, 5u));
    const std::uint32_t right = std::min(part.picture.width, corner.shown.right);
    const std::uint32_t bottom = std::min(part.picture.height, corner.shown.bottom);
    for (std::uint32_t y = corner.shown.top; y < bottom; ++y) {
      for (std::uint32_t x = corner.shown.left; x < right; ++x)
        FUZZ_CHECK(pixelAt(part.picture, x, y) == whole.picture.pixel(x, y));
    }
  }
}

// The cells of faces 0, 1, 5 and 16 of the file as a face set: those of its picture on a
// 192 × 192 canvas of opaque black; face 16, off the canvas, magenta.
void checkFaces(ByteView file, const DecodedPng& whole) {
  Arena memory;
  Bytes copy(file.begin(), file.end());
  const std::optional<FaceSetCells> cut = cutFaces(FaceSetKind::png, copy, {0, 1, 5, 16}, memory);
  FUZZ_CHECK(cut.has_value() == (whole.error == PngError::none));
  if (!cut) return;
  for (const auto& [index, cell] : cut->cells) {
    const auto left = static_cast<std::uint32_t>(index % 4 * 48);
    const auto top = static_cast<std::uint32_t>(index / 4 * 48);
    for (std::uint32_t y = 0; y < 48; ++y) {
      for (std::uint32_t x = 0; x < 48; ++x) {
        const std::uint32_t want =
            index == 16 ? 0xFFFF00FFu
            : left + x < whole.picture.width && top + y < whole.picture.height
                ? whole.picture.pixel(left + x, top + y)
                : 0xFF000000u;
        const std::size_t at =
            (std::size_t{y} * 48 + x) * static_cast<std::size_t>(cell.bytesPerPixel);
        const std::uint32_t got = cell.bytesPerPixel == 1 ? cut->palette[cell.pixels[at]]
                                                          : readLe32(cell.pixels.data() + at);
        FUZZ_CHECK(got == want);
      }
    }
  }
}

void checkOrders(ByteView file) {
  const DecodedPng argb = decodePngPicture(file);
  const DecodedPng rgba = decodePngPicture(file, kDefaultDecodeLimits, PngPixels::rgba);
  checkCorner(file, argb, false);
  checkCorner(file, argb, true);
  checkFaces(file, argb);

  FUZZ_CHECK(argb.error == rgba.error);
  std::string why;
  const std::optional<RgbaImage> image = decodePng(file, &why);
  FUZZ_CHECK(image.has_value() == (argb.error == PngError::none));
  if (!image) {
    FUZZ_CHECK(why == toString(argb.error));
    return;
  }
  const std::uint32_t width = argb.picture.width;
  const std::uint32_t height = argb.picture.height;
  FUZZ_CHECK(rgba.picture.width == width && rgba.picture.height == height);
  FUZZ_CHECK(image->width == width && image->height == height &&
             image->rgba == rgba.picture.pixels);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint32_t v = argb.picture.pixel(x, y);
      const std::uint32_t swapped = (v & 0xFF00FF00u) | (v >> 16 & 0xFF) | (v & 0xFF) << 16;
      FUZZ_CHECK(rgba.picture.pixel(x, y) == swapped);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  checkOrders(ByteView(data, size));
  const std::vector<std::uint8_t> fixed = withRightCrcs(data, size);
  checkOrders(ByteView(fixed));
  return 0;
}
