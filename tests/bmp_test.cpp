#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "codecs/bmp_reader.hpp"
#include "codecs/bmp_writer.hpp"
#include "support/bmp_builder.hpp"
#include "support/test_picture.hpp"

namespace vantrix {
namespace {

using testing::BmpRecipe;
using testing::buildBmp;
using testing::distinctPalette;
using testing::IndexRows;
using testing::packRows;

// A 192 × 192 picture of palette indices with its palette, as a BMP face set is drawn.
struct Canvas {
  testing::TestPicture picture;
  Palette palette{};

  BmpError draw(ByteView file) { return drawBmp(file, 192, 192, picture, palette); }
  const std::uint8_t* row(std::uint32_t y) const { return picture.pixels.data() + y * 192; }
  const std::vector<std::uint8_t>& pixels() const { return picture.pixels; }
};

Canvas freshCanvas() {
  return {testing::TestPicture(192, 192, 1, 0), defaultPalette()};
}

// A canvas whose pixels all hold 0xAA and whose palette entry i is 0x00A0A0A0 + i, so what a
// reader did not touch is easy to tell.
Canvas markedCanvas() {
  Canvas canvas{testing::TestPicture(192, 192, 1, 0xAA), {}};
  for (std::uint32_t i = 0; i < 256; ++i)
    canvas.palette[i] = 0x00A0A0A0u + i;
  return canvas;
}

void expectUnchanged(const Canvas& canvas) {
  const Canvas marked = markedCanvas();
  EXPECT_EQ(canvas.pixels(), marked.pixels());
  EXPECT_EQ(canvas.palette, marked.palette);
}

IndexRows patternRows(std::size_t width, std::size_t height, int modulo) {
  IndexRows rows(height, std::vector<std::uint8_t>(width));
  for (std::size_t y = 0; y < height; ++y) {
    for (std::size_t x = 0; x < width; ++x) {
      rows[y][x] =
          static_cast<std::uint8_t>((x * 3 + y * 5 + 1) % static_cast<std::size_t>(modulo));
    }
  }
  return rows;
}

// Every canvas pixel inside the rows is the row value; every one outside keeps `outside`.
void expectDrawn(const Canvas& canvas, const IndexRows& rows, std::uint8_t outside) {
  for (std::uint32_t y = 0; y < 192; ++y) {
    for (std::uint32_t x = 0; x < 192; ++x) {
      const bool inside = y < rows.size() && x < rows[y].size();
      ASSERT_EQ(canvas.row(y)[x], inside ? rows[y][x] : outside) << x << "," << y;
    }
  }
}

Bytes paletted(int width, int height, int bits, const IndexRows& rows, std::size_t colours,
               bool topDown = false) {
  BmpRecipe recipe;
  recipe.width = width;
  recipe.height = topDown ? -height : height;
  recipe.bitsPerPixel = static_cast<std::uint16_t>(bits);
  recipe.palette = distinctPalette(colours);
  recipe.pixelData = packRows(rows, bits, topDown);
  return buildBmp(recipe);
}

struct DepthCase {
  int bits;
  std::size_t width, height;
  bool topDown = false;
};

// Pictures larger than the canvas are clipped to it; smaller ones leave the rest as it was.
TEST(BmpReader, DrawsPalettedPicturesOfEachDepthSizeAndRowOrder) {
  for (const auto& c : std::vector<DepthCase>{{8, 4, 3},
                                              {8, 5, 2},
                                              {4, 5, 3},
                                              {4, 8, 2},
                                              {1, 10, 3},
                                              {1, 33, 2},
                                              {8, 192, 192},
                                              {4, 7, 5, true},
                                              {8, 33, 4, true},
                                              {8, 200, 180},
                                              {1, 10, 300},
                                              {4, 96, 96}}) {
    const auto rows = patternRows(c.width, c.height, 1 << c.bits);
    const std::size_t colours = std::size_t{1} << c.bits;
    Canvas canvas = markedCanvas();
    EXPECT_EQ(canvas.draw(paletted(static_cast<int>(c.width), static_cast<int>(c.height), c.bits,
                                   rows, colours, c.topDown)),
              BmpError::none)
        << c.bits << " " << c.width << "x" << c.height;
    expectDrawn(canvas, rows, 0xAA);
    const auto palette = distinctPalette(colours);
    for (std::size_t i = 0; i < 256; ++i) {
      EXPECT_EQ(canvas.palette[i], i < colours ? palette[i] : 0x00A0A0A0u + i) << i;
    }
  }
}

TEST(BmpReader, Os2HeaderHasThreeBytePaletteEntries) {
  const auto rows = patternRows(6, 4, 16);
  BmpRecipe recipe;
  recipe.infoSize = 12;
  recipe.width = 6;
  recipe.height = 4;
  recipe.bitsPerPixel = 4;
  recipe.palette = distinctPalette(16);
  recipe.pixelData = packRows(rows, 4);
  Canvas canvas = markedCanvas();
  EXPECT_EQ(canvas.draw(buildBmp(recipe)), BmpError::none);
  expectDrawn(canvas, rows, 0xAA);
  EXPECT_EQ(canvas.palette[15], recipe.palette[15]);
  EXPECT_EQ(canvas.palette[16], 0x00A0A0A0u + 16);
}

struct PaletteGapCase {
  const char* name;
  std::optional<std::uint32_t> dataOffset;
  std::size_t paletteInFile;
  std::size_t entriesTaken;
};

TEST(BmpReader, PaletteFillsTheGapBeforeThePixels) {
  const std::vector<PaletteGapCase> cases = {
      {"full palette", std::nullopt, 256, 256},
      {"sixteen entries", std::nullopt, 16, 16},
      {"no room for a palette", 54, 0, 0},
      {"offset inside the header", 20, 0, 0},
      {"a gap larger than 256 entries", 14 + 40 + 300 * 4, 300, 256},
      {"offset 0 means after a full palette", 0, 256, 256},
  };
  const auto rows = patternRows(4, 2, 256);
  for (const auto& c : cases) {
    BmpRecipe recipe;
    recipe.width = 4;
    recipe.height = 2;
    recipe.palette = distinctPalette(c.paletteInFile);
    recipe.dataOffset = c.dataOffset;
    recipe.pixelData = packRows(rows, 8);
    const Bytes file = buildBmp(recipe);
    Canvas canvas = markedCanvas();
    const BmpError status = canvas.draw(file);
    const auto palette = distinctPalette(256);
    for (std::size_t i = 0; i < 256; ++i) {
      ASSERT_EQ(canvas.palette[i], i < c.entriesTaken ? palette[i] : 0x00A0A0A0u + i)
          << c.name << " " << i;
    }
    if (c.dataOffset != 20u) {
      EXPECT_EQ(status, BmpError::none) << c.name;
      expectDrawn(canvas, rows, 0xAA);
    }
  }
}

struct RefusalCase {
  const char* name;
  Bytes file;
  BmpError status;
};

Bytes withRecipe(void (*change)(BmpRecipe&)) {
  BmpRecipe recipe;
  recipe.width = 4;
  recipe.height = 2;
  recipe.palette = distinctPalette(256);
  recipe.pixelData = packRows(patternRows(4, 2, 256), 8);
  change(recipe);
  return buildBmp(recipe);
}

Bytes patched(Bytes file, std::size_t at, std::initializer_list<std::uint8_t> bytes) {
  for (auto b : bytes)
    file[at++] = b;
  return file;
}

TEST(BmpReader, RefusesFilesItCannotDrawAndChangesNothing) {
  const Bytes good = withRecipe([](BmpRecipe&) {});
  std::vector<RefusalCase> cases = {
      {"empty file", {}, BmpError::damaged},
      {"other first byte", patched(good, 0, {'P'}), BmpError::damaged},
      {"not BM", patched(good, 1, {'A'}), BmpError::damaged},
      {"header cut", Bytes(good.begin(), good.begin() + 29), BmpError::damaged},
      {"compression field cut", Bytes(good.begin(), good.begin() + 33), BmpError::damaged},
      {"planes 2", withRecipe([](BmpRecipe& r) { r.planes = 2; }), BmpError::damaged},
      {"width 0", withRecipe([](BmpRecipe& r) { r.width = 0; }), BmpError::damaged},
      {"width negative", withRecipe([](BmpRecipe& r) { r.width = -4; }), BmpError::damaged},
      {"height 0", withRecipe([](BmpRecipe& r) { r.height = 0; }), BmpError::damaged},
      {"compression 4", withRecipe([](BmpRecipe& r) { r.compression = 4; }), BmpError::damaged},
      {"top-down RLE8", withRecipe([](BmpRecipe& r) {
         r.compression = 1;
         r.height = -2;
       }),
       BmpError::damaged},
      {"RLE8 at 4 bits", withRecipe([](BmpRecipe& r) {
         r.compression = 1;
         r.bitsPerPixel = 4;
       }),
       BmpError::damaged},
      {"RLE4 at 8 bits", withRecipe([](BmpRecipe& r) { r.compression = 2; }), BmpError::damaged},
      {"bit fields without masks", withRecipe([](BmpRecipe& r) {
         r.compression = 3;
         r.palette.clear();
         r.pixelData.resize(8);
       }),
       BmpError::damaged},
      {"33 bits", withRecipe([](BmpRecipe& r) { r.bitsPerPixel = 33; }), BmpError::damaged},
      {"0 bits", withRecipe([](BmpRecipe& r) { r.bitsPerPixel = 0; }), BmpError::damaged},
      {"palette cut", Bytes(good.begin(), good.begin() + 14 + 40 + 100), BmpError::damaged},
      {"24 bits", withRecipe([](BmpRecipe& r) { r.bitsPerPixel = 24; }), BmpError::moreThan8Bits},
      {"16 bits", withRecipe([](BmpRecipe& r) { r.bitsPerPixel = 16; }), BmpError::moreThan8Bits},
      {"32 bits", withRecipe([](BmpRecipe& r) { r.bitsPerPixel = 32; }), BmpError::moreThan8Bits},
  };
  for (std::uint32_t infoSize : {0u, 11u, 13u, 14u, 15u}) {
    cases.push_back({"odd info header size",
                     patched(good, 14, {static_cast<std::uint8_t>(infoSize)}), BmpError::damaged});
  }
  for (int bits : {2, 3, 5, 6, 7}) {
    Bytes file = withRecipe([](BmpRecipe&) {});
    file[28] = static_cast<std::uint8_t>(bits);
    cases.push_back({"bits not of BMP", file, BmpError::damaged});
  }
  for (const auto& c : cases) {
    Canvas canvas = markedCanvas();
    EXPECT_EQ(canvas.draw(c.file), c.status) << c.name;
    expectUnchanged(canvas);
  }
}

TEST(BmpReader, TwentyFourBitFileLeavesAFreshCanvasBlack) {
  const Bytes file = withRecipe([](BmpRecipe& r) {
    r.bitsPerPixel = 24;
    r.palette.clear();
    r.pixelData.assign(2 * 12, 0xFF);
  });
  Canvas canvas = freshCanvas();
  EXPECT_EQ(canvas.draw(file), BmpError::moreThan8Bits);
  for (auto byte : canvas.pixels())
    ASSERT_EQ(byte, 0);
  EXPECT_EQ(canvas.picture.begun, 0);
  EXPECT_EQ(canvas.palette, defaultPalette());
}

TEST(BmpReader, DataThatEndsEarlyKeepsPaletteAndRowsDrawn) {
  const auto rows = patternRows(8, 6, 256);
  Bytes file = paletted(8, 6, 8, rows, 256);
  file.resize(file.size() - 8 * 2 - 3);  // the two top rows are missing, and a bit more
  Canvas canvas = markedCanvas();
  EXPECT_EQ(canvas.draw(file), BmpError::damaged);
  EXPECT_EQ(canvas.palette[200], distinctPalette(256)[200]);
  for (std::size_t y = 0; y < 6; ++y) {
    for (std::size_t x = 0; x < 8; ++x) {
      EXPECT_EQ(canvas.row(static_cast<std::uint32_t>(y))[x], y < 3 ? 0xAA : rows[y][x])
          << x << "," << y;
    }
  }
  // A packed row needs no padding after its last byte.
  const auto bits = patternRows(8, 2, 2);
  file = paletted(8, 2, 1, bits, 2);
  file.resize(file.size() - 3);
  canvas = markedCanvas();
  EXPECT_EQ(canvas.draw(file), BmpError::none);
  expectDrawn(canvas, bits, 0xAA);
}

TEST(BmpReader, HostileSizesInATinyFileEndQuickly) {
  for (std::int32_t height : {0x7FFFFFFF, -0x7FFFFFFF - 1, 3}) {
    for (int bits : {1, 4, 8}) {
      Bytes file = withRecipe([](BmpRecipe& r) { r.palette.resize(2); });
      file[18] = 0xFF, file[19] = 0xFF, file[20] = 0xFF, file[21] = 0x7F;  // width 2^31 - 1
      for (int i = 0; i < 4; ++i)
        file[22 + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(static_cast<std::uint32_t>(height) >> (8 * i));
      file[28] = static_cast<std::uint8_t>(bits);
      Canvas canvas = markedCanvas();
      EXPECT_EQ(canvas.draw(file), BmpError::damaged) << height << " " << bits;
      EXPECT_EQ(canvas.pixels(), markedCanvas().pixels());
    }
  }
}

// Run-length recipes, written as the pairs and escapes of the format.
Bytes runLengthFile(int bits, int width, int height, Bytes data) {
  BmpRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.bitsPerPixel = static_cast<std::uint16_t>(bits);
  recipe.compression = bits == 8 ? 1 : 2;
  recipe.palette = distinctPalette(std::size_t{1} << bits);
  recipe.pixelData = std::move(data);
  return buildBmp(recipe);
}

Bytes cat(std::initializer_list<std::initializer_list<std::uint8_t>> parts) {
  Bytes bytes;
  for (const auto& part : parts)
    bytes.insert(bytes.end(), part.begin(), part.end());
  return bytes;
}

struct RunLengthCase {
  const char* name;
  int bits;
  int width, height;
  Bytes data;
  BmpError status;
  // Expected canvas rows from the top, "." for a pixel never written (keeps 0xAA); hexadecimal
  // digits are indices.
  std::vector<std::string> picture;
};

TEST(BmpReader, DecodesRunLengthData) {
  const std::vector<RunLengthCase> cases = {
      {"RLE8 runs and end of line",
       8,
       4,
       2,
       cat({{3, 5, 1, 7}, {0, 0}, {1, 9, 0, 3, 1, 2, 3, 0}, {0, 1}}),
       BmpError::none,
       {"9123", "5557"}},
      {"RLE8 delta skips pixels",
       8,
       5,
       3,
       cat({{1, 1}, {0, 2, 2, 1}, {1, 2}, {0, 1}}),
       BmpError::none,
       {".....", "...2.", "1...."}},
      {"RLE8 run past the row end is clipped",
       8,
       3,
       2,
       cat({{9, 4}, {0, 0}, {1, 6}, {0, 1}}),
       BmpError::none,
       {"6..", "444"}},
      {"RLE8 literal run past the row end",
       8,
       2,
       1,
       cat({{0, 3, 1, 2, 3, 0}, {0, 1}}),
       BmpError::none,
       {"12"}},
      {"RLE8 rows beyond the height are ignored",
       8,
       2,
       1,
       cat({{2, 1}, {0, 0}, {2, 3}, {0, 0}, {0, 1}}),
       BmpError::none,
       {"11"}},
      {"RLE8 data that ends early",
       8,
       3,
       2,
       cat({{3, 8}, {0, 0}, {1, 9}}),
       BmpError::damaged,
       {"9..", "888"}},
      {"RLE8 literal run cut",
       8,
       3,
       2,
       cat({{3, 8}, {0, 0}, {0, 3, 1}}),
       BmpError::damaged,
       {"...", "888"}},
      {"RLE8 delta cut", 8, 3, 1, cat({{1, 8}, {0, 2, 1}}), BmpError::damaged, {"8.."}},
      {"RLE4 runs alternate nibbles",
       4,
       5,
       2,
       cat({{5, 0x12}, {0, 0}, {0, 3, 0xAB, 0xC0}, {0, 1}}),
       BmpError::none,
       {"abc..", "12121"}},
      {"RLE4 literal run of 5 is padded to a word",
       4,
       6,
       1,
       cat({{0, 5, 0x12, 0x34, 0x50, 0}, {1, 0xFF}, {0, 1}}),
       BmpError::none,
       {"12345f"}},
      {"RLE4 delta and clipping",
       4,
       4,
       2,
       cat({{0, 2, 2, 1}, {4, 0x67}, {0, 1}}),
       BmpError::none,
       {"..67", "...."}},
  };
  for (const auto& c : cases) {
    Canvas canvas = markedCanvas();
    EXPECT_EQ(canvas.draw(runLengthFile(c.bits, c.width, c.height, c.data)), c.status) << c.name;
    for (std::size_t y = 0; y < c.picture.size(); ++y) {
      for (std::size_t x = 0; x < c.picture[y].size(); ++x) {
        const char want = c.picture[y][x];
        const std::uint8_t expected =
            want == '.' ? 0xAA
                        : static_cast<std::uint8_t>(std::stoi(std::string(1, want), nullptr, 16));
        EXPECT_EQ(canvas.row(static_cast<std::uint32_t>(y))[x], expected)
            << c.name << " at " << x << "," << y;
      }
    }
    EXPECT_EQ(canvas.row(0)[c.width], 0xAA) << c.name;
    EXPECT_EQ(canvas.palette[1], distinctPalette(2)[1]) << c.name;
  }
}

TEST(BmpReader, RunLengthWorkFollowsTheFileNotTheHeader) {
  // Millions of jumps and runs far outside the canvas draw nothing and finish at once.
  Bytes data;
  for (int i = 0; i < 100000; ++i)
    data.insert(data.end(), {0, 2, 255, 255, 255, 7});
  data.insert(data.end(), {0, 1});
  Bytes file = runLengthFile(8, 0x7FFFFFFF, 0x7FFFFFFF, data);
  Canvas canvas = markedCanvas();
  EXPECT_EQ(canvas.draw(file), BmpError::none);
  EXPECT_EQ(canvas.pixels(), markedCanvas().pixels());
}

TEST(BmpReader, RawCanvasDumps) {
  Bytes longForm = {0xFE, 4, 0, 0, 0, 1, 2, 3, 4};
  Canvas canvas = markedCanvas();
  EXPECT_EQ(canvas.draw(longForm), BmpError::none);
  EXPECT_EQ(canvas.row(0)[3], 4);
  EXPECT_EQ(canvas.row(0)[4], 0xAA);
  EXPECT_EQ(canvas.palette[0], 0x00A0A0A0u);

  // The short form skips four bytes; the data says 3 bytes, and a six-bit palette follows.
  Bytes shortForm = {0xFD, 9, 9, 9, 9, 3, 0, 7, 8, 9};
  for (int i = 0; i < 256; ++i) {
    shortForm.insert(shortForm.end(), {static_cast<std::uint8_t>(i & 63), 0x3F, 0x41});
  }
  canvas = markedCanvas();
  EXPECT_EQ(canvas.draw(shortForm), BmpError::none);
  EXPECT_EQ(canvas.row(0)[2], 9);
  EXPECT_EQ(canvas.row(0)[3], 0xAA);
  EXPECT_EQ(canvas.palette[0], 0x0004FC00u);
  EXPECT_EQ(canvas.palette[5], 0x0004FC14u);

  // More data than the canvas holds: the canvas fills, and the palette is found after the data.
  Bytes big = {0xFE, 0, 0, 1, 0};  // 65,536 bytes of data
  big.resize(5 + 65536, 0x11);
  for (int i = 0; i < 256; ++i)
    big.insert(big.end(), {1, 2, 3});
  canvas = markedCanvas();
  EXPECT_EQ(canvas.draw(big), BmpError::none);
  EXPECT_EQ(canvas.row(191)[191], 0x11);
  EXPECT_EQ(canvas.palette[255], 0x000C0804u);

  // Data cut short only leaves the rest of the canvas; a cut palette is damage.
  canvas = markedCanvas();
  EXPECT_EQ(canvas.draw(Bytes{0xFE, 100, 0, 0, 0, 5}), BmpError::none);
  EXPECT_EQ(canvas.row(0)[0], 5);
  EXPECT_EQ(canvas.row(0)[1], 0xAA);
  canvas = markedCanvas();
  EXPECT_EQ(canvas.draw(Bytes{0xFE, 1, 0, 0, 0, 5, 1, 2}), BmpError::damaged);
  EXPECT_EQ(canvas.palette[0], 0x00A0A0A0u);
  canvas = markedCanvas();
  EXPECT_EQ(canvas.draw(Bytes{0xFD, 1, 2}), BmpError::damaged);
  expectUnchanged(canvas);
}

// The 54 header bytes of the two faces the program writes.
const Bytes kEightBitHeader = {0x42, 0x4D, 0x36, 0x0D, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x36,
                               0x04, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x30, 0x00, 0x00, 0x00,
                               0x30, 0x00, 0x00, 0x00, 0x01, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00,
                               0x00, 0x00, 0x09, 0x00, 0x00, 0x12, 0x0B, 0x00, 0x00, 0x12, 0x0B,
                               0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00};
const Bytes kTrueColourHeader = {0x42, 0x4D, 0x36, 0x1B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x36,
                                 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x30, 0x00, 0x00, 0x00,
                                 0x30, 0x00, 0x00, 0x00, 0x01, 0x00, 0x18, 0x00, 0x00, 0x00, 0x00,
                                 0x00, 0x00, 0x1B, 0x00, 0x00, 0x12, 0x0B, 0x00, 0x00, 0x12, 0x0B,
                                 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

// A picture of `width` × `height` pixels of one or four bytes, every pixel `fill`.
struct Picture {
  std::uint32_t width, height;
  int bytesPerPixel;
  std::vector<std::uint8_t> pixels;

  Picture(std::uint32_t w, std::uint32_t h, int bpp, std::uint32_t fill)
      : width(w),
        height(h),
        bytesPerPixel(bpp),
        pixels(std::size_t{w} * h * static_cast<std::size_t>(bpp)) {
    for (std::size_t at = 0; bpp == 4 && at < pixels.size(); at += 4)
      writeLe32(pixels.data() + at, fill);
    if (bpp == 1) std::fill(pixels.begin(), pixels.end(), static_cast<std::uint8_t>(fill));
  }
  std::uint8_t* at(std::uint32_t x, std::uint32_t y) {
    return pixels.data() + (std::size_t{y} * width + x) * static_cast<std::size_t>(bytesPerPixel);
  }
  BmpPicture view() const {
    return {pixels.data(), width, height,
            std::size_t{width} * static_cast<std::size_t>(bytesPerPixel), bytesPerPixel};
  }
};

Bytes bmpOf(const Picture& picture, const Palette& palette,
            BmpIndices indices = BmpIndices::paletted) {
  Bytes file(bmpFileSize(picture.view(), indices).value_or(0));
  EXPECT_EQ(encodeBmp(picture.view(), palette, file, indices), file.size());
  return file;
}

TEST(BmpWriter, EightBitFaceByteForByte) {
  Palette palette = defaultPalette();
  palette[3] = 0x00102081;
  Picture face(48, 48, 1, 0);
  *face.at(0, 0) = 3;   // top left
  *face.at(1, 47) = 9;  // bottom row, second pixel
  const Bytes file = bmpOf(face, palette);
  ASSERT_EQ(file.size(), 3382u);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 54), kEightBitHeader);
  for (std::size_t i = 0; i < 256; ++i) {
    const std::uint32_t colour = palette[i];
    const std::uint8_t* entry = file.data() + 54 + 4 * i;
    ASSERT_EQ(entry[0], static_cast<std::uint8_t>(colour >> 16));
    ASSERT_EQ(entry[1], static_cast<std::uint8_t>(colour >> 8));
    ASSERT_EQ(entry[2], static_cast<std::uint8_t>(colour));
    ASSERT_EQ(entry[3], 0);
  }
  EXPECT_EQ(file[54 + 3 * 4 + 2], 0x81);  // red of entry 3
  EXPECT_EQ(file[1078 + 1], 9);           // the bottom row comes first
  EXPECT_EQ(file[1078 + 47 * 48], 3);
}

TEST(BmpWriter, TrueColourFaceByteForByte) {
  Picture face(48, 48, 4, 0xFFFF00FF);
  writeLe32(face.at(0, 47), 0xFF000000);
  writeLe32(face.at(1, 47), 0x80123456);
  const Bytes file = bmpOf(face, defaultPalette());
  ASSERT_EQ(file.size(), 6966u);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 54), kTrueColourHeader);
  EXPECT_EQ(Bytes(file.begin() + 54, file.begin() + 60),
            (Bytes{0x00, 0x00, 0x00, 0x56, 0x34, 0x12}));
  // Magenta, the fill of the face, is written blue, green, red: FF 00 FF.
  EXPECT_EQ(Bytes(file.end() - 3, file.end()), (Bytes{0xFF, 0x00, 0xFF}));
}

TEST(BmpWriter, PadsRowsAndReadsBack) {
  Picture colours(3, 2, 4, 0xFF0A0B0C);
  writeLe32(colours.at(2, 0), 0xFF010203);
  Bytes file = bmpOf(colours, defaultPalette());
  ASSERT_EQ(file.size(), 54u + 2 * 12);
  EXPECT_EQ(readLe32(file.data() + 34), 24u);
  // Bottom row, then the top row whose last pixel differs; 9 bytes and 3 of padding each.
  EXPECT_EQ(Bytes(file.begin() + 54 + 12, file.end()),
            (Bytes{0x0C, 0x0B, 0x0A, 0x0C, 0x0B, 0x0A, 0x03, 0x02, 0x01, 0, 0, 0}));

  // An 8-bit picture read back gives the same pixels and palette.
  Palette palette = defaultPalette();
  palette[7] = 0x00123456;
  Picture indices(5, 3, 1, 0);
  for (std::uint32_t y = 0; y < 3; ++y) {
    for (std::uint32_t x = 0; x < 5; ++x)
      *indices.at(x, y) = static_cast<std::uint8_t>(y * 5 + x);
  }
  const Bytes bmp = bmpOf(indices, palette);
  EXPECT_EQ(bmp.size(), 1078u + 3 * 8);
  // Written into memory full of other bytes, and into too little, as face cutting does.
  Bytes stale(bmp.size(), 0xA5);
  EXPECT_EQ(encodeBmp(indices.view(), palette, stale), bmp.size());
  EXPECT_EQ(stale, bmp);
  EXPECT_EQ(encodeBmp(indices.view(), palette, std::span(stale).first(bmp.size() - 1)), 0u);
  // As true colour, the indices give the 24-bit BMP of the pixels they stand for.
  Picture pixels(5, 3, 4, 0);
  for (std::uint32_t y = 0; y < 3; ++y) {
    for (std::uint32_t x = 0; x < 5; ++x)
      writeLe32(pixels.at(x, y), palette[*indices.at(x, y)] | 0xFF000000u);
  }
  const Bytes trueColour = bmpOf(pixels, palette);
  stale.assign(trueColour.size(), 0xA5);
  EXPECT_EQ(encodeBmp(indices.view(), palette, stale, BmpIndices::trueColour), trueColour.size());
  EXPECT_EQ(stale, trueColour);
  Canvas canvas = freshCanvas();
  EXPECT_EQ(canvas.draw(bmp), BmpError::none);
  EXPECT_EQ(canvas.palette, palette);
  for (std::uint32_t y = 0; y < 3; ++y) {
    for (std::uint32_t x = 0; x < 5; ++x)
      EXPECT_EQ(canvas.row(y)[x], *indices.at(x, y));
  }
}

TEST(BmpWriter, RefusesPicturesABmpCannotHold) {
  Picture twoByte(4, 4, 2, 0);
  EXPECT_FALSE(bmpFileSize(twoByte.view(), BmpIndices::paletted));
  BmpPicture huge{nullptr, 0x80000000u, 1, 0, 1};
  EXPECT_FALSE(bmpFileSize(huge, BmpIndices::paletted));
}

}  // namespace
}  // namespace vantrix
