// The BMP reader onto the face loader's 8-bit canvas, then the face's cell cut out and
// written as a BMP, as a face conversion does. A plain file read where it lies gives the rows
// and palette a canvas of its size shows after drawing it.

#include <algorithm>
#include <cstdlib>

#include "codecs/bmp_reader.hpp"
#include "codecs/bmp_writer.hpp"
#include "fuzz_target.hpp"
#include "image/canvas.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrix;
  const ByteView file(data, size);
  Canvas canvas;
  FUZZ_CHECK(canvas.createCanvas(192, 192, 8) == ImageStatus::success);
  const ImageStatus status = loadBmpToCanvas(canvas, file);
  (void)status;

  // The last face cell: its bottom right pixel is the canvas's last one.
  auto cell = canvas.createImage(48, 48, 0, std::nullopt);
  FUZZ_CHECK(cell.has_value());
  FUZZ_CHECK(canvas.copyCanvasRect(144, 144, 191, 191, *cell) == ImageStatus::success);
  FUZZ_CHECK(encodeBmp(*cell, canvas.palette()).has_value());

  if (const auto declared = readBmpSize(file);
      declared && declared->width <= 64 && declared->height >= -64 && declared->height <= 64) {
    const auto width = static_cast<std::uint32_t>(declared->width);
    const auto height = static_cast<std::uint32_t>(std::abs(declared->height));
    if (const auto plain = readPlainBmp(file, width, height)) {
      Canvas exact;
      FUZZ_CHECK(exact.createCanvas(static_cast<int>(width), static_cast<int>(height), 8) ==
                 ImageStatus::success);
      FUZZ_CHECK(loadBmpToCanvas(exact, file) == ImageStatus::success);
      FUZZ_CHECK(exact.palette() == plain->palette);
      for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = plain->topRow + static_cast<std::ptrdiff_t>(y) * plain->pitch;
        FUZZ_CHECK(std::equal(row, row + width, exact.row(static_cast<int>(y))));
      }
    }
  }

  // A canvas of another depth is refused with nothing changed.
  Canvas wide;
  FUZZ_CHECK(wide.createCanvas(4, 4, 32) == ImageStatus::success);
  const auto before = wide.pixels();
  const ImageStatus onWide = loadBmpToCanvas(wide, file);
  if (onWide == ImageStatus::illegalCall) FUZZ_CHECK(wide.pixels() == before);
  return 0;
}
