// decodePngBuffer in each output form: all three accept or refuse a file alike, for the
// same reason, and give the same pixels; a face set's picture is then drawn as the face
// loader draws it. A decode that keeps a corner and may overwrite its copy of the file (as
// the face loader's does) accepts and refuses alike too, and gives that corner's pixels, or
// those of the part of it it is asked to show; so does a decode that hands rows to a sink,
// as pixels or as palette indices.

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "codecs/png_decoder.hpp"
#include "fuzz_target.hpp"
#include "image/canvas.hpp"

namespace {

using namespace vantrix;

// Pixel x of row y (counted from the top) as 0xAARRGGBB, whatever the form.
std::uint32_t pixelAt(const PixelImage& image, std::uint32_t x, std::uint32_t y) {
  if (image.layout() != PixelLayout::bottomUpRgba) return loadPixel32(image.row(y) + 4 * x);
  const std::uint8_t* p = image.row(image.height() - 1 - y) + 4 * x;
  return std::uint32_t{p[3]} << 24 | std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
}

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

void checkForms(ByteView file);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  checkForms(ByteView(data, size));
  const std::vector<std::uint8_t> fixed = withRightCrcs(data, size);
  checkForms(ByteView(fixed));
  return 0;
}

namespace {

// Keeps the rows it is handed, checking that they come top first and inside the picture;
// asked to, it takes a palette picture's rows as indices and keeps the colours they stand for.
struct RowsKept final : PngRowSink {
  explicit RowsKept(bool indicesWanted) : asIndices(indicesWanted) {}
  const bool asIndices;
  bool indices = false;
  std::array<std::uint32_t, 256> colours{};
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t nextRow = 0;
  bool takesIndices(std::uint32_t, std::uint32_t,
                    const std::array<std::uint32_t, 256>& given) override {
    colours = given;
    indices = asIndices;
    return indices;
  }
  bool begin(std::uint32_t w, std::uint32_t h) override {
    width = w;
    height = h;
    pixels.assign(std::size_t{w} * h, 0);
    return true;
  }
  void row(std::uint32_t y, std::uint32_t left, const std::uint8_t* data,
           std::uint32_t count) override {
    FUZZ_CHECK(y >= nextRow && y < height && left <= width && count <= width - left);
    nextRow = y + 1;
    for (std::uint32_t i = 0; i < count; ++i) {
      pixels[std::size_t{y} * width + left + i] =
          indices ? colours[data[i]] : loadPixel32(data + 4 * std::size_t{i});
    }
  }
};

// Odd sides cut Adam7's passes part-way; the part shown starts inside a byte of samples, at
// a row that varies with the input, so that rows above it may go unrestored.
void checkCorner(ByteView file, PngTarget target, const std::optional<PixelImage>& whole,
                 PngError wholeWhy, bool shownPart) {
  DecodeLimits corner;
  corner.keptWidth = 7;
  corner.keptHeight = 5;
  if (shownPart) corner.shown = {3, 1 + static_cast<std::uint32_t>(file.size() % 4), 6, 5};
  const std::uint32_t left = corner.shown.left;
  const std::uint32_t top = corner.shown.top;
  std::vector<std::uint8_t> copy(file.begin(), file.end());
  PngError why = PngError::none;
  const auto part = decodePngBufferInPlace(copy, target, &why, corner);
  FUZZ_CHECK(why == wholeWhy && part.has_value() == whole.has_value());
  if (!part) return;
  FUZZ_CHECK(part->width() == std::min(whole->width(), 7u));
  FUZZ_CHECK(part->height() == std::min(whole->height(), 5u));
  const std::uint32_t right = std::min(part->width(), corner.shown.right);
  const std::uint32_t bottom = std::min(part->height(), corner.shown.bottom);
  for (std::uint32_t y = top; y < bottom; ++y) {
    for (std::uint32_t x = left; x < right; ++x)
      FUZZ_CHECK(pixelAt(*part, x, y) == pixelAt(*whole, x, y));
  }
  if (target != PngTarget::compactImage) return;
  for (bool asIndices : {false, true}) {
    copy.assign(file.begin(), file.end());
    RowsKept rows(asIndices);
    FUZZ_CHECK(decodePngRowsInPlace(copy, rows, corner) == wholeWhy);
    FUZZ_CHECK(rows.width == part->width() && rows.height == part->height());
    for (std::uint32_t y = top; y < bottom; ++y) {
      for (std::uint32_t x = left; x < right; ++x)
        FUZZ_CHECK(rows.pixels[std::size_t{y} * rows.width + x] == pixelAt(*whole, x, y));
    }
  }
}

void checkForms(ByteView file) {
  PngError compactWhy = PngError::none;
  PngError fullWhy = PngError::none;
  PngError rgbaWhy = PngError::none;
  const auto compact = decodePngBuffer(file, PngTarget::compactImage, &compactWhy);
  const auto full = decodePngBuffer(file, PngTarget::fullImage, &fullWhy);
  const auto rgba = decodePngBuffer(file, PngTarget::bottomUpRgba, &rgbaWhy);
  checkCorner(file, PngTarget::compactImage, compact, compactWhy, false);
  checkCorner(file, PngTarget::compactImage, compact, compactWhy, true);
  checkCorner(file, PngTarget::fullImage, full, fullWhy, true);
  checkCorner(file, PngTarget::bottomUpRgba, rgba, rgbaWhy, false);

  FUZZ_CHECK(compact.has_value() == (compactWhy == PngError::none));
  FUZZ_CHECK(compactWhy == fullWhy && compactWhy == rgbaWhy);
  FUZZ_CHECK(compact.has_value() == full.has_value() && full.has_value() == rgba.has_value());
  if (!compact) return;

  const std::uint32_t width = compact->width();
  const std::uint32_t height = compact->height();
  FUZZ_CHECK(full->width() == width && full->height() == height);
  FUZZ_CHECK(rgba->width() == width && rgba->height() == height);
  FUZZ_CHECK(compact->pitch() == std::size_t{width} * 4 && full->pitch() % 32 == 0);
  FUZZ_CHECK(compact->bytes().size() == compact->pitch() * height);
  FUZZ_CHECK(full->bytes().size() == full->pitch() * height);
  for (std::uint32_t y = 0; y < height; ++y) {
    FUZZ_CHECK(std::memcmp(compact->row(y), full->row(y), std::size_t{width} * 4) == 0);
    for (std::uint32_t x = 0; x < width; ++x) {
      FUZZ_CHECK(pixelAt(*compact, x, y) == pixelAt(*rgba, x, y));
    }
  }

  Canvas canvas;
  FUZZ_CHECK(canvas.createCanvas(192, 192, 32) == ImageStatus::success);
  FUZZ_CHECK(canvas.putImage(*compact, 0, 0) == ImageStatus::success);
  FUZZ_CHECK(canvas.putImage(*rgba, 0, 0) == ImageStatus::illegalCall);
}

}  // namespace
