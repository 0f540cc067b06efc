#include <gtest/gtest.h>

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "codecs/bmp_reader.hpp"
#include "codecs/bmp_writer.hpp"
#include "platform/platform.hpp"
#include "support/bmp_builder.hpp"

namespace vantrix {
namespace {

using testing::BmpRecipe;
using testing::buildBmp;
using testing::distinctPalette;
using testing::IndexRows;
using testing::packRows;

Canvas freshCanvas() {
  Canvas canvas;
  EXPECT_EQ(canvas.createCanvas(192, 192, 8), ImageStatus::success);
  return canvas;
}

// A canvas whose pixels all hold 0xAA and whose palette entry i is 0x00A0A0A0 + i, so what a
// reader did not touch is easy to tell.
Canvas markedCanvas() {
  Canvas canvas = freshCanvas();
  std::fill(canvas.pixels().begin(), canvas.pixels().end(), std::uint8_t{0xAA});
  for (std::uint32_t i = 0; i < 256; ++i)
    canvas.palette()[i] = 0x00A0A0A0u + i;
  return canvas;
}

void expectUnchanged(const Canvas& canvas) {
  const Canvas marked = markedCanvas();
  EXPECT_EQ(canvas.pixels(), marked.pixels());
  EXPECT_EQ(canvas.palette(), marked.palette());
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
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      const auto ux = static_cast<std::size_t>(x);
      const auto uy = static_cast<std::size_t>(y);
      const bool inside = uy < rows.size() && ux < rows[uy].size();
      ASSERT_EQ(canvas.row(y)[x], inside ? rows[uy][ux] : outside) << x << "," << y;
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
};

TEST(BmpReader, DrawsPalettedPicturesOfEachDepth) {
  for (const auto& c : std::vector<DepthCase>{
           {8, 4, 3}, {8, 5, 2}, {4, 5, 3}, {4, 8, 2}, {1, 10, 3}, {1, 33, 2}, {8, 192, 192}}) {
    const auto rows = patternRows(c.width, c.height, 1 << c.bits);
    const std::size_t colours = std::size_t{1} << c.bits;
    Canvas canvas = markedCanvas();
    EXPECT_EQ(loadBmpToCanvas(canvas, paletted(static_cast<int>(c.width),
                                               static_cast<int>(c.height), c.bits, rows, colours)),
              ImageStatus::success)
        << c.bits;
    expectDrawn(canvas, rows, 0xAA);
    const auto palette = distinctPalette(colours);
    for (std::size_t i = 0; i < 256; ++i) {
      EXPECT_EQ(canvas.palette()[i], i < colours ? palette[i] : 0x00A0A0A0u + i) << i;
    }
  }
}

TEST(BmpReader, TopDownRowsDrawTheSamePicture) {
  const auto rows = patternRows(7, 5, 16);
  Canvas bottomUp = markedCanvas();
  Canvas topDown = markedCanvas();
  EXPECT_EQ(loadBmpToCanvas(bottomUp, paletted(7, 5, 4, rows, 16)), ImageStatus::success);
  EXPECT_EQ(loadBmpToCanvas(topDown, paletted(7, 5, 4, rows, 16, true)), ImageStatus::success);
  expectDrawn(topDown, rows, 0xAA);
  EXPECT_EQ(topDown.pixels(), bottomUp.pixels());
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
  EXPECT_EQ(loadBmpToCanvas(canvas, buildBmp(recipe)), ImageStatus::success);
  expectDrawn(canvas, rows, 0xAA);
  EXPECT_EQ(canvas.palette()[15], recipe.palette[15]);
  EXPECT_EQ(canvas.palette()[16], 0x00A0A0A0u + 16);
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
    const ImageStatus status = loadBmpToCanvas(canvas, file);
    const auto palette = distinctPalette(256);
    for (std::size_t i = 0; i < 256; ++i) {
      ASSERT_EQ(canvas.palette()[i], i < c.entriesTaken ? palette[i] : 0x00A0A0A0u + i)
          << c.name << " " << i;
    }
    if (c.dataOffset != 20u) {
      EXPECT_EQ(status, ImageStatus::success) << c.name;
      expectDrawn(canvas, rows, 0xAA);
    }
  }
}

TEST(BmpReader, LargerPictureIsClippedAndSmallerLeavesTheRest) {
  const auto large = patternRows(200, 180, 256);
  Canvas canvas = markedCanvas();
  EXPECT_EQ(loadBmpToCanvas(canvas, paletted(200, 180, 8, large, 256)), ImageStatus::success);
  IndexRows visible(180);
  for (std::size_t y = 0; y < 180; ++y)
    visible[y].assign(large[y].begin(), large[y].begin() + 192);
  expectDrawn(canvas, visible, 0xAA);

  const auto tall = patternRows(10, 300, 2);
  canvas = markedCanvas();
  EXPECT_EQ(loadBmpToCanvas(canvas, paletted(10, 300, 1, tall, 2)), ImageStatus::success);
  expectDrawn(canvas, IndexRows(tall.begin(), tall.begin() + 192), 0xAA);

  const auto small = patternRows(96, 96, 16);
  canvas = markedCanvas();
  EXPECT_EQ(loadBmpToCanvas(canvas, paletted(96, 96, 4, small, 16)), ImageStatus::success);
  expectDrawn(canvas, small, 0xAA);
}

struct RefusalCase {
  const char* name;
  Bytes file;
  ImageStatus status;
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
      {"empty file", {}, ImageStatus::fileError},
      {"other first byte", patched(good, 0, {'P'}), ImageStatus::fileError},
      {"not BM", patched(good, 1, {'A'}), ImageStatus::fileError},
      {"header cut", Bytes(good.begin(), good.begin() + 29), ImageStatus::fileError},
      {"compression field cut", Bytes(good.begin(), good.begin() + 33), ImageStatus::fileError},
      {"planes 2", withRecipe([](BmpRecipe& r) { r.planes = 2; }), ImageStatus::fileError},
      {"width 0", withRecipe([](BmpRecipe& r) { r.width = 0; }), ImageStatus::fileError},
      {"width negative", withRecipe([](BmpRecipe& r) { r.width = -4; }), ImageStatus::fileError},
      {"height 0", withRecipe([](BmpRecipe& r) { r.height = 0; }), ImageStatus::fileError},
      {"compression 4", withRecipe([](BmpRecipe& r) { r.compression = 4; }),
       ImageStatus::fileError},
      {"top-down RLE8", withRecipe([](BmpRecipe& r) {
         r.compression = 1;
         r.height = -2;
       }),
       ImageStatus::fileError},
      {"RLE8 at 4 bits", withRecipe([](BmpRecipe& r) {
         r.compression = 1;
         r.bitsPerPixel = 4;
       }),
       ImageStatus::fileError},
      {"RLE4 at 8 bits", withRecipe([](BmpRecipe& r) { r.compression = 2; }),
       ImageStatus::fileError},
      {"bit fields without masks", withRecipe([](BmpRecipe& r) {
         r.compression = 3;
         r.palette.clear();
         r.pixelData.resize(8);
       }),
       ImageStatus::fileError},
      {"33 bits", withRecipe([](BmpRecipe& r) { r.bitsPerPixel = 33; }), ImageStatus::fileError},
      {"0 bits", withRecipe([](BmpRecipe& r) { r.bitsPerPixel = 0; }), ImageStatus::fileError},
      {"palette cut", Bytes(good.begin(), good.begin() + 14 + 40 + 100), ImageStatus::fileError},
      {"24 bits", withRecipe([](BmpRecipe& r) { r.bitsPerPixel = 24; }), ImageStatus::illegalCall},
      {"16 bits", withRecipe([](BmpRecipe& r) { r.bitsPerPixel = 16; }), ImageStatus::illegalCall},
      {"32 bits", withRecipe([](BmpRecipe& r) { r.bitsPerPixel = 32; }), ImageStatus::illegalCall},
  };
  for (std::uint32_t infoSize : {0u, 11u, 13u, 14u, 15u}) {
    cases.push_back({"odd info header size",
                     patched(good, 14, {static_cast<std::uint8_t>(infoSize)}),
                     ImageStatus::fileError});
  }
  for (int bits : {2, 3, 5, 6, 7}) {
    Bytes file = withRecipe([](BmpRecipe&) {});
    file[28] = static_cast<std::uint8_t>(bits);
    cases.push_back({"bits not of BMP", file, ImageStatus::fileError});
  }
  for (const auto& c : cases) {
    Canvas canvas = markedCanvas();
    EXPECT_EQ(loadBmpToCanvas(canvas, c.file), c.status) << c.name;
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
  EXPECT_EQ(loadBmpToCanvas(canvas, file), ImageStatus::illegalCall);
  for (auto byte : canvas.pixels())
    ASSERT_EQ(byte, 0);
  EXPECT_EQ(canvas.palette(), defaultPalette());
}

TEST(BmpReader, RefusesCanvasesThatAreNotEightBit) {
  Canvas canvas;
  EXPECT_EQ(loadBmpToCanvas(canvas, withRecipe([](BmpRecipe&) {})), ImageStatus::illegalCall);
  ASSERT_EQ(canvas.createCanvas(192, 192, 32), ImageStatus::success);
  EXPECT_EQ(loadBmpToCanvas(canvas, withRecipe([](BmpRecipe&) {})), ImageStatus::illegalCall);
  EXPECT_EQ(loadPixel32(canvas.row(0)), 0xFF000000u);
}

TEST(BmpReader, DataThatEndsEarlyKeepsPaletteAndRowsDrawn) {
  const auto rows = patternRows(8, 6, 256);
  Bytes file = paletted(8, 6, 8, rows, 256);
  file.resize(file.size() - 8 * 2 - 3);  // the two top rows are missing, and a bit more
  Canvas canvas = markedCanvas();
  EXPECT_EQ(loadBmpToCanvas(canvas, file), ImageStatus::fileError);
  EXPECT_EQ(canvas.palette()[200], distinctPalette(256)[200]);
  for (std::size_t y = 0; y < 6; ++y) {
    for (std::size_t x = 0; x < 8; ++x) {
      EXPECT_EQ(canvas.row(static_cast<int>(y))[x], y < 3 ? 0xAA : rows[y][x]) << x << "," << y;
    }
  }
  // A packed row needs no padding after its last byte.
  const auto bits = patternRows(8, 2, 2);
  file = paletted(8, 2, 1, bits, 2);
  file.resize(file.size() - 3);
  canvas = markedCanvas();
  EXPECT_EQ(loadBmpToCanvas(canvas, file), ImageStatus::success);
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
      EXPECT_EQ(loadBmpToCanvas(canvas, file), ImageStatus::fileError) << height << " " << bits;
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
  ImageStatus status;
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
       ImageStatus::success,
       {"9123", "5557"}},
      {"RLE8 delta skips pixels",
       8,
       5,
       3,
       cat({{1, 1}, {0, 2, 2, 1}, {1, 2}, {0, 1}}),
       ImageStatus::success,
       {".....", "...2.", "1...."}},
      {"RLE8 run past the row end is clipped",
       8,
       3,
       2,
       cat({{9, 4}, {0, 0}, {1, 6}, {0, 1}}),
       ImageStatus::success,
       {"6..", "444"}},
      {"RLE8 literal run past the row end",
       8,
       2,
       1,
       cat({{0, 3, 1, 2, 3, 0}, {0, 1}}),
       ImageStatus::success,
       {"12"}},
      {"RLE8 rows beyond the height are ignored",
       8,
       2,
       1,
       cat({{2, 1}, {0, 0}, {2, 3}, {0, 0}, {0, 1}}),
       ImageStatus::success,
       {"11"}},
      {"RLE8 data that ends early",
       8,
       3,
       2,
       cat({{3, 8}, {0, 0}, {1, 9}}),
       ImageStatus::fileError,
       {"9..", "888"}},
      {"RLE8 literal run cut",
       8,
       3,
       2,
       cat({{3, 8}, {0, 0}, {0, 3, 1}}),
       ImageStatus::fileError,
       {"...", "888"}},
      {"RLE8 delta cut", 8, 3, 1, cat({{1, 8}, {0, 2, 1}}), ImageStatus::fileError, {"8.."}},
      {"RLE4 runs alternate nibbles",
       4,
       5,
       2,
       cat({{5, 0x12}, {0, 0}, {0, 3, 0xAB, 0xC0}, {0, 1}}),
       ImageStatus::success,
       {"abc..", "12121"}},
      {"RLE4 literal run of 5 is padded to a word",
       4,
       6,
       1,
       cat({{0, 5, 0x12, 0x34, 0x50, 0}, {1, 0xFF}, {0, 1}}),
       ImageStatus::success,
       {"12345f"}},
      {"RLE4 delta and clipping",
       4,
       4,
       2,
       cat({{0, 2, 2, 1}, {4, 0x67}, {0, 1}}),
       ImageStatus::success,
       {"..67", "...."}},
  };
  for (const auto& c : cases) {
    Canvas canvas = markedCanvas();
    EXPECT_EQ(loadBmpToCanvas(canvas, runLengthFile(c.bits, c.width, c.height, c.data)), c.status)
        << c.name;
    for (std::size_t y = 0; y < c.picture.size(); ++y) {
      for (std::size_t x = 0; x < c.picture[y].size(); ++x) {
        const char want = c.picture[y][x];
        const std::uint8_t expected =
            want == '.' ? 0xAA
                        : static_cast<std::uint8_t>(std::stoi(std::string(1, want), nullptr, 16));
        EXPECT_EQ(canvas.row(static_cast<int>(y))[x], expected)
            << c.name << " at " << x << "," << y;
      }
    }
    EXPECT_EQ(canvas.row(0)[c.width], 0xAA) << c.name;
    EXPECT_EQ(canvas.palette()[1], distinctPalette(2)[1]) << c.name;
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
  EXPECT_EQ(loadBmpToCanvas(canvas, file), ImageStatus::success);
  EXPECT_EQ(canvas.pixels(), markedCanvas().pixels());
}

TEST(BmpReader, RawCanvasDumps) {
  Bytes longForm = {0xFE, 4, 0, 0, 0, 1, 2, 3, 4};
  Canvas canvas = markedCanvas();
  EXPECT_EQ(loadBmpToCanvas(canvas, longForm), ImageStatus::success);
  EXPECT_EQ(canvas.row(0)[3], 4);
  EXPECT_EQ(canvas.row(0)[4], 0xAA);
  EXPECT_EQ(canvas.palette()[0], 0x00A0A0A0u);

  // The short form skips four bytes; the data says 3 bytes, and a six-bit palette follows.
  Bytes shortForm = {0xFD, 9, 9, 9, 9, 3, 0, 7, 8, 9};
  for (int i = 0; i < 256; ++i) {
    shortForm.insert(shortForm.end(), {static_cast<std::uint8_t>(i & 63), 0x3F, 0x41});
  }
  canvas = markedCanvas();
  EXPECT_EQ(loadBmpToCanvas(canvas, shortForm), ImageStatus::success);
  EXPECT_EQ(canvas.row(0)[2], 9);
  EXPECT_EQ(canvas.row(0)[3], 0xAA);
  EXPECT_EQ(canvas.palette()[0], 0x0004FC00u);
  EXPECT_EQ(canvas.palette()[5], 0x0004FC14u);

  // More data than the canvas holds: the canvas fills, and the palette is found after the data.
  Bytes big = {0xFE, 0, 0, 1, 0};  // 65,536 bytes of data
  big.resize(5 + 65536, 0x11);
  for (int i = 0; i < 256; ++i)
    big.insert(big.end(), {1, 2, 3});
  canvas = markedCanvas();
  EXPECT_EQ(loadBmpToCanvas(canvas, big), ImageStatus::success);
  EXPECT_EQ(canvas.row(191)[191], 0x11);
  EXPECT_EQ(canvas.palette()[255], 0x000C0804u);

  // Data cut short only leaves the rest of the canvas; a cut palette is damage.
  canvas = markedCanvas();
  EXPECT_EQ(loadBmpToCanvas(canvas, Bytes{0xFE, 100, 0, 0, 0, 5}), ImageStatus::success);
  EXPECT_EQ(canvas.row(0)[0], 5);
  EXPECT_EQ(canvas.row(0)[1], 0xAA);
  canvas = markedCanvas();
  EXPECT_EQ(loadBmpToCanvas(canvas, Bytes{0xFE, 1, 0, 0, 0, 5, 1, 2}), ImageStatus::fileError);
  EXPECT_EQ(canvas.palette()[0], 0x00A0A0A0u);
  canvas = markedCanvas();
  EXPECT_EQ(loadBmpToCanvas(canvas, Bytes{0xFD, 1, 2}), ImageStatus::fileError);
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

TEST(BmpWriter, EightBitFaceByteForByte) {
  Canvas canvas = freshCanvas();
  canvas.setPaletteColour(3, 0x00100820);
  auto face = canvas.createImage(48, 48, 0, std::nullopt);
  ASSERT_TRUE(face);
  face->row(0)[0] = 3;   // top left
  face->row(47)[1] = 9;  // bottom row, second pixel
  const auto file = encodeBmp(*face, canvas.palette());
  ASSERT_TRUE(file);
  ASSERT_EQ(file->size(), 3382u);
  EXPECT_EQ(Bytes(file->begin(), file->begin() + 54), kEightBitHeader);
  for (std::size_t i = 0; i < 256; ++i) {
    const std::uint32_t colour = canvas.palette()[i];
    const std::uint8_t* entry = file->data() + 54 + 4 * i;
    ASSERT_EQ(entry[0], static_cast<std::uint8_t>(colour >> 16));
    ASSERT_EQ(entry[1], static_cast<std::uint8_t>(colour >> 8));
    ASSERT_EQ(entry[2], static_cast<std::uint8_t>(colour));
    ASSERT_EQ(entry[3], 0);
  }
  EXPECT_EQ((*file)[54 + 3 * 4 + 2], 129);  // red of entry 3
  EXPECT_EQ((*file)[1078 + 1], 9);          // the bottom row comes first
  EXPECT_EQ((*file)[1078 + 47 * 48], 3);
}

TEST(BmpWriter, TrueColourFaceByteForByte) {
  Canvas canvas;
  ASSERT_EQ(canvas.createCanvas(192, 192, 32), ImageStatus::success);
  auto face = canvas.createImage(48, 48, 0, std::nullopt);
  ASSERT_TRUE(face);
  storePixel32(face->row(47), 0xFF000000);
  storePixel32(face->row(47) + 4, 0x80123456);
  const auto file = encodeBmp(*face, canvas.palette());
  ASSERT_TRUE(file);
  ASSERT_EQ(file->size(), 6966u);
  EXPECT_EQ(Bytes(file->begin(), file->begin() + 54), kTrueColourHeader);
  EXPECT_EQ(Bytes(file->begin() + 54, file->begin() + 60),
            (Bytes{0x00, 0x00, 0x00, 0x56, 0x34, 0x12}));
  // Magenta, the fill of the face image, is written blue, green, red: FF 00 FF.
  EXPECT_EQ(Bytes(file->end() - 3, file->end()), (Bytes{0xFF, 0x00, 0xFF}));
}

TEST(BmpWriter, PadsRowsAndTakesEitherStoredLayout) {
  auto compact = PixelImage::make(PixelLayout::compact, 4, 3, 2, 12);
  ASSERT_TRUE(compact);
  compact->fill(0xFF0A0B0C);
  storePixel32(compact->row(0) + 8, 0xFF010203);
  const auto file = encodeBmp(*compact, defaultPalette());
  ASSERT_TRUE(file);
  ASSERT_EQ(file->size(), 54u + 2 * 12);
  EXPECT_EQ(readLe32(file->data() + 34), 24u);
  // Bottom row, then the top row whose last pixel differs; 9 bytes and 3 of padding each.
  EXPECT_EQ(Bytes(file->begin() + 54 + 12, file->end()),
            (Bytes{0x0C, 0x0B, 0x0A, 0x0C, 0x0B, 0x0A, 0x03, 0x02, 0x01, 0, 0, 0}));

  // An 8-bit picture read back onto the canvas gives the same pixels and palette.
  Palette palette = defaultPalette();
  palette[7] = 0x00123456;
  auto image = PixelImage::make(PixelLayout::full, 1, 5, 3, 16);
  ASSERT_TRUE(image);
  for (std::uint32_t y = 0; y < 3; ++y) {
    for (std::uint32_t x = 0; x < 5; ++x)
      image->row(y)[x] = static_cast<std::uint8_t>(y * 5 + x);
  }
  const auto bmp = encodeBmp(*image, palette);
  ASSERT_TRUE(bmp);
  EXPECT_EQ(bmp->size(), 1078u + 3 * 8);
  // Written into memory full of other bytes, and into too little, as the face loader does.
  Bytes stale(bmp->size(), 0xA5);
  EXPECT_EQ(encodeBmpInto(*image, palette, stale), bmp->size());
  EXPECT_EQ(stale, *bmp);
  EXPECT_EQ(encodeBmpInto(*image, palette, std::span(stale).first(bmp->size() - 1)), 0u);
  // As true colour, the indices give the 24-bit BMP of the pixels they stand for.
  auto pixels = PixelImage::make(PixelLayout::full, 4, 5, 3, 32);
  ASSERT_TRUE(pixels);
  for (std::uint32_t y = 0; y < 3; ++y) {
    for (std::uint32_t x = 0; x < 5; ++x)
      storePixel32(pixels->row(y) + 4 * x, palette[image->row(y)[x]] | 0xFF000000u);
  }
  const auto trueColour = encodeBmp(*pixels, palette);
  ASSERT_TRUE(trueColour);
  stale.assign(trueColour->size(), 0xA5);
  EXPECT_EQ(encodeBmpInto(*image, palette, stale, BmpIndices::trueColour), trueColour->size());
  EXPECT_EQ(stale, *trueColour);
  Canvas canvas = freshCanvas();
  EXPECT_EQ(loadBmpToCanvas(canvas, *bmp), ImageStatus::success);
  EXPECT_EQ(canvas.palette(), palette);
  for (std::uint32_t y = 0; y < 3; ++y) {
    for (std::uint32_t x = 0; x < 5; ++x) {
      EXPECT_EQ(canvas.row(static_cast<int>(y))[x], image->row(y)[x]);
    }
  }
}

TEST(BmpWriter, RefusesImagesABmpCannotHold) {
  auto twoByte = PixelImage::make(PixelLayout::full, 2, 4, 4, 16);
  auto rgba = PixelImage::make(PixelLayout::bottomUpRgba, 4, 4, 4, 16);
  ASSERT_TRUE(twoByte && rgba);
  EXPECT_FALSE(encodeBmp(*twoByte, defaultPalette()));
  EXPECT_FALSE(encodeBmp(*rgba, defaultPalette()));
}

class BmpFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::path(::testing::TempDir()) /
              ("vantrix_bmp_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string path(const char* name) const { return (folder_ / name).string(); }

 private:
  std::filesystem::path folder_;
};

TEST_F(BmpFiles, SaveWritesTheEncodedBytesAndLoadReadsThem) {
  Canvas canvas = freshCanvas();
  auto face = canvas.createImage(48, 48, 0, 5);
  ASSERT_TRUE(face);
  const std::string name = path("face.bmp");
  EXPECT_EQ(saveImageAsBmp(name, *face, canvas.palette()), ImageStatus::success);
  EXPECT_EQ(platform::readFile(name), encodeBmp(*face, canvas.palette()));

  Canvas other = freshCanvas();
  EXPECT_EQ(loadBmpToCanvas(other, name), ImageStatus::success);
  EXPECT_EQ(other.row(47)[47], 5);
  EXPECT_EQ(other.row(48)[0], 0);

  EXPECT_EQ(loadBmpToCanvas(other, path("missing.bmp")), ImageStatus::fileNotFound);
  EXPECT_EQ(saveImageAsBmp(path("no/such/folder.bmp"), *face, canvas.palette()),
            ImageStatus::fileNotFound);
}

}  // namespace
}  // namespace vantrix
