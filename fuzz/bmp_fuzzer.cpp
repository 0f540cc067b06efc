// The BMP reader as a face conversion runs it: the cells of a face set's faces, cut as its
// rows are drawn one at a time, must be those of the whole 192 × 192 picture drawn at once,
// with the same colours, and each must write as a BMP. The library's decodeBmp must show the
// picture a drawing of the file's own size holds.

#include <algorithm>
#include <cstdlib>

#include "codecs/bmp_reader.hpp"
#include "faces/face_cells.hpp"
#include "fuzz_target.hpp"
#include "support/test_picture.hpp"
#include "vantrix/codecs.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrix;
  Bytes file(data, data + size);

  testing::TestPicture whole(192, 192, 1, 0);
  Palette palette = defaultPalette();
  const BmpError error = drawBmp(file, 192, 192, whole, palette);

  Arena memory;
  const std::set<int> faces = {0, 5, 15, 16};
  const std::optional<FaceSetCells> cut = cutFaces(FaceSetKind::bmp, file, faces, memory);
  FUZZ_CHECK(cut && cut->cells.size() == faces.size());
  FUZZ_CHECK(cut->palette == palette && cut->indices == BmpIndices::paletted);
  for (const auto& [index, cell] : cut->cells) {
    FUZZ_CHECK(cell.bytesPerPixel == 1);
    for (std::uint32_t y = 0; y < 48; ++y) {
      for (std::uint32_t x = 0; x < 48; ++x) {
        const std::uint8_t want = index < 16
                                      ? whole.at(static_cast<std::uint32_t>(index % 4 * 48) + x,
                                                 static_cast<std::uint32_t>(index / 4 * 48) + y)
                                      : 0;
        FUZZ_CHECK(cell.pixels[y * 48 + x] == want);
      }
    }
    std::array<std::uint8_t, 3382> bmp;
    FUZZ_CHECK(encodeBmp(cell.picture(), cut->palette, bmp) == bmp.size());
  }

  // The library's picture is the file drawn at its own size, with its colours.
  if (const auto declared = readBmpSize(file);
      declared && declared->width <= 300 && std::abs(declared->height) <= 300) {
    const auto width = static_cast<std::uint32_t>(declared->width);
    const auto height = static_cast<std::uint32_t>(std::abs(declared->height));
    testing::TestPicture exact(width, height, 1, 0);
    Palette colours = defaultPalette();
    const BmpError exactError = drawBmp(file, width, height, exact, colours);
    std::string why;
    const std::optional<RgbaImage> image = decodeBmp(file, &why);
    FUZZ_CHECK(image.has_value() == (exactError == BmpError::none));
    if (image) {
      FUZZ_CHECK(image->width == width && image->height == height);
      for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
          const std::uint32_t colour = colours[exact.at(x, y)];
          const std::uint8_t* pixel = image->rgba.data() + (std::size_t{y} * width + x) * 4;
          FUZZ_CHECK(pixel[0] == (colour & 0xFF) && pixel[1] == ((colour >> 8) & 0xFF) &&
                     pixel[2] == ((colour >> 16) & 0xFF) && pixel[3] == 255);
        }
      }
    } else {
      FUZZ_CHECK(why == toString(exactError));
    }
  }
  (void)error;
  return 0;
}
