#include "image/canvas.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace vantrix {
namespace {

std::uint32_t rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return red | (green << 8) | (blue << 16);
}

Canvas makeCanvas(int depth, int width = 192, int height = 192) {
  Canvas canvas;
  EXPECT_EQ(canvas.createCanvas(width, height, depth), ImageStatus::success);
  return canvas;
}

// Gives every pixel of an 8-bit canvas a value of its position, so copies can be traced.
void paintPattern(Canvas& canvas) {
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      canvas.row(y)[x] = static_cast<std::uint8_t>(x + 3 * y);
    }
  }
}

struct PaletteEntry {
  int index;
  std::uint32_t colour;
};

TEST(DefaultPalette, NamedAndRuleEntries) {
  const std::vector<PaletteEntry> entries = {
      {0, rgb(0, 0, 0)},
      {1, rgb(0, 0, 170)},
      {6, rgb(170, 85, 0)},
      {9, rgb(85, 85, 255)},
      {15, rgb(255, 255, 255)},
      {16, rgb(0, 0, 0)},
      {23, rgb(97, 97, 97)},
      {31, rgb(255, 255, 255)},
      {32, rgb(0, 0, 255)},       // block 0, (L0, L0, L4)
      {36, rgb(255, 0, 255)},     // block 0, (L4, L0, L4)
      {40, rgb(255, 0, 0)},       // block 0, (L4, L0, L0)
      {48, rgb(0, 255, 0)},       // block 0, (L0, L4, L0)
      {55, rgb(0, 64, 255)},      // block 0, (L0, L1, L4)
      {56, rgb(125, 125, 255)},   // block 1 starts
      {103, rgb(182, 198, 255)},  // block 2, (L0, L1, L4)
      {104, rgb(0, 0, 113)},      // block 3 starts
      {117, rgb(85, 113, 0)},     // block 3, (L3, L4, L0)
      {139, rgb(113, 97, 56)},    // block 4, (L4, L3, L0)
      {152, rgb(80, 80, 113)},    // block 5 starts
      {189, rgb(48, 64, 0)},      // block 6, (L3, L4, L0)
      {200, rgb(32, 32, 64)},     // block 7 starts
      {224, rgb(44, 44, 64)},     // block 8 starts
      {247, rgb(44, 48, 64)},     // block 8, (L0, L1, L4)
      {248, 0},
      {255, 0},
  };
  const Palette& palette = defaultPalette();
  for (const auto& entry : entries) {
    EXPECT_EQ(palette[static_cast<std::size_t>(entry.index)], entry.colour) << entry.index;
  }
}

TEST(DefaultPalette, FollowsTheBlockRules) {
  const Palette& palette = defaultPalette();
  for (std::size_t i = 16; i < 32; ++i) {
    const std::uint32_t grey = palette[i] & 0xFF;
    EXPECT_EQ(palette[i], rgb(grey, grey, grey)) << i;
    if (i > 16) {
      EXPECT_GT(grey, palette[i - 1] & 0xFF) << i;
    }
  }
  for (std::size_t block = 0; block < 9; ++block) {
    const std::size_t first = 32 + 24 * block;
    // Each block walks the hue circle: blue, magenta, red, yellow, green, cyan, back to blue;
    // its corners are the pure colours at the block's top level.
    const std::uint32_t top = (palette[first] >> 16) & 0xFF;
    const std::uint32_t bottom = palette[first] & 0xFF;
    EXPECT_EQ(palette[first + 4], rgb(top, bottom, top)) << block;
    EXPECT_EQ(palette[first + 8], rgb(top, bottom, bottom)) << block;
    EXPECT_EQ(palette[first + 12], rgb(top, top, bottom)) << block;
    EXPECT_EQ(palette[first + 16], rgb(bottom, top, bottom)) << block;
    EXPECT_EQ(palette[first + 20], rgb(bottom, top, top)) << block;
  }
  for (std::size_t i = 248; i < 256; ++i)
    EXPECT_EQ(palette[i], 0u) << i;
}

TEST(Canvas, CreateFillsWithTheBackgroundAndDefaultPalette) {
  Canvas eight = makeCanvas(8);
  EXPECT_EQ(eight.pitch(), 192u);
  EXPECT_EQ(eight.pixels().size(), 36864u);
  for (auto byte : eight.pixels())
    ASSERT_EQ(byte, 0);
  EXPECT_EQ(eight.palette()[1], rgb(0, 0, 170));

  Canvas truecolour = makeCanvas(32);
  EXPECT_EQ(truecolour.pitch(), 768u);
  for (int y = 0; y < 192; ++y) {
    for (int x = 0; x < 192; ++x)
      ASSERT_EQ(loadPixel32(truecolour.row(y) + 4 * x), 0xFF000000u);
  }
  EXPECT_EQ(makeCanvas(24).bytesPerPixel(), 4);
  EXPECT_EQ(makeCanvas(16).bytesPerPixel(), 2);
  EXPECT_EQ(makeCanvas(1).bytesPerPixel(), 1);

  // Made again in the memory it has room in, the canvas is as new: no old pixel shows.
  const std::uint8_t* memory = truecolour.pixels().data();
  ASSERT_EQ(truecolour.createCanvas(100, 50, 8), ImageStatus::success);
  EXPECT_EQ(truecolour.pixels().data(), memory);
  EXPECT_EQ(truecolour.pixels().size(), 5000u);
  for (auto byte : truecolour.pixels())
    ASSERT_EQ(byte, 0);
  EXPECT_EQ(truecolour.palette(), eight.palette());
}

TEST(Canvas, CreateRefusesBadArgumentsAndKeepsTheOldCanvas) {
  Canvas canvas = makeCanvas(8, 10, 10);
  canvas.row(0)[0] = 7;
  canvas.setPaletteColour(3, 0x3F3F3F);
  for (auto [width, height, depth] : std::vector<std::array<int, 3>>{{0, 10, 8},
                                                                     {10, 0, 8},
                                                                     {-1, 10, 8},
                                                                     {10, 10, 0},
                                                                     {10, 10, 3},
                                                                     {10, 10, 12},
                                                                     {10, 10, 64}}) {
    EXPECT_EQ(canvas.createCanvas(width, height, depth), ImageStatus::illegalCall);
    EXPECT_EQ(canvas.width(), 10);
    EXPECT_EQ(canvas.row(0)[0], 7);
    EXPECT_EQ(canvas.palette()[3], rgb(255, 255, 255));
  }
  // A new canvas starts from the default palette again.
  EXPECT_EQ(canvas.createCanvas(10, 10, 8), ImageStatus::success);
  EXPECT_EQ(canvas.palette()[3], defaultPalette()[3]);
  EXPECT_EQ(canvas.row(0)[0], 0);
}

TEST(Canvas, ClearSetsTheBackground) {
  Canvas canvas = makeCanvas(32, 4, 4);
  storePixel32(canvas.row(2) + 4, 0x12345678);
  canvas.clearCanvas();
  EXPECT_EQ(loadPixel32(canvas.row(2) + 4), 0xFF000000u);
  // Every pixel, also of sizes whose pixel count is no power of two.
  for (const auto& [width, height] : {std::pair{7, 5}, {1, 1}, {3, 1}, {192, 192}}) {
    Canvas odd = makeCanvas(32, width, height);
    for (int y = 0; y < height; ++y)
      storePixel32(odd.row(y) + 4 * (y % width), 0x12345678);
    odd.clearCanvas();
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x)
        ASSERT_EQ(loadPixel32(odd.row(y) + 4 * x), 0xFF000000u) << width << "x" << height;
    }
  }
}

struct PaletteColourCase {
  int index;
  std::uint32_t colour;
  std::size_t entry;
  std::uint32_t expected;
};

TEST(Canvas, SetPaletteColourScalesSixBitComponents) {
  const std::vector<PaletteColourCase> cases = {
      {256, 0x3F3F3F, 0, rgb(255, 255, 255)},
      {7, 0x00202020, 7, rgb(129, 129, 129)},
      {5, 0x00150100, 5, rgb(0, 4, 85)},
      {-1, 0xFFC0C02A, 255, rgb(170, 0, 0)},  // bits above each six are ignored
  };
  for (const auto& c : cases) {
    Canvas canvas = makeCanvas(8, 4, 4);
    canvas.setPaletteColour(c.index, c.colour);
    EXPECT_EQ(canvas.palette()[c.entry], c.expected) << c.index;
  }
  Canvas truecolour = makeCanvas(32, 4, 4);
  truecolour.setPaletteColour(1, 0x3F3F3F);
  EXPECT_EQ(truecolour.palette()[1], defaultPalette()[1]);
}

TEST(Canvas, CreateImagePadsRowsAndFills) {
  Canvas eight = makeCanvas(8);
  auto cell = eight.createImage(48, 48, 0, std::nullopt);
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->layout(), PixelLayout::full);
  EXPECT_EQ(cell->bytesPerPixel(), 1);
  EXPECT_EQ(cell->pitch(), 48u);
  for (auto byte : cell->bytes())
    ASSERT_EQ(byte, 0);

  Canvas truecolour = makeCanvas(32);
  cell = truecolour.createImage(48, 48, 0, std::nullopt);
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->pitch(), 192u);
  for (std::uint32_t x = 0; x < 48; ++x)
    ASSERT_EQ(loadPixel32(cell->row(47) + 4 * x), 0xFFFF00FFu);

  auto odd = eight.createImage(5, 2, 8, 0x1234);
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->pitch(), 16u);
  for (auto byte : odd->bytes())
    ASSERT_EQ(byte, 0x34);  // the padding too

  auto wide = eight.createImage(3, 1, 16, std::nullopt);
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->bytesPerPixel(), 2);
  EXPECT_EQ(wide->row(0)[0] | (wide->row(0)[1] << 8), 0xF81F);
  auto reduced = eight.createImage(3, 1, 16, 0xFF8040);
  ASSERT_TRUE(reduced);
  EXPECT_EQ(reduced->row(0)[2] | (reduced->row(0)[3] << 8), (31 << 11) | (32 << 5) | 8);

  auto colour = eight.createImage(2, 2, 32, 0x00FF00FF);
  ASSERT_TRUE(colour);
  EXPECT_EQ(loadPixel32(colour->row(1) + 4), 0x00FF00FFu);

  EXPECT_FALSE(eight.createImage(0, 5, 0, std::nullopt));
  EXPECT_FALSE(eight.createImage(5, -1, 0, std::nullopt));
  EXPECT_FALSE(eight.createImage(5, 5, 24, std::nullopt));
  EXPECT_FALSE(Canvas().createImage(5, 5, 8, std::nullopt));
}

struct RectCase {
  std::int64_t x1, y1, x2, y2;
  ImageStatus status;
  std::uint32_t width, height;
  int firstX, firstY;  // canvas position of the copied top-left pixel
};

TEST(Canvas, CopyCanvasRectCopiesOnlyRectanglesInside) {
  const std::vector<RectCase> cases = {
      {0, 0, 47, 47, ImageStatus::success, 48, 48, 0, 0},
      {47, 47, 0, 0, ImageStatus::success, 48, 48, 0, 0},
      {144, 144, 191, 191, ImageStatus::success, 48, 48, 144, 144},
      {48, 48, 95, 95, ImageStatus::success, 48, 48, 48, 48},
      {10, 20, 14, 21, ImageStatus::success, 5, 2, 10, 20},
      {144, 192, 191, 239, ImageStatus::illegalCall, 48, 48, 0, 0},
      {-48, 0, -1, 47, ImageStatus::illegalCall, 48, 48, 0, 0},
      {145, 0, 192, 47, ImageStatus::illegalCall, 48, 48, 0, 0},
      {0, std::int64_t{48} * 0x7FFFFFFF, 47, std::int64_t{48} * 0x7FFFFFFF + 47,
       ImageStatus::illegalCall, 48, 48, 0, 0},
  };
  Canvas canvas = makeCanvas(8);
  paintPattern(canvas);
  for (const auto& c : cases) {
    auto image = canvas.createImage(48, 48, 0, 0xEE);
    ASSERT_TRUE(image);
    EXPECT_EQ(canvas.copyCanvasRect(c.x1, c.y1, c.x2, c.y2, *image), c.status) << c.x1;
    ASSERT_EQ(image->width(), c.width);
    ASSERT_EQ(image->height(), c.height);
    if (c.status != ImageStatus::success) {
      for (auto byte : image->bytes())
        ASSERT_EQ(byte, 0xEE);
      continue;
    }
    EXPECT_EQ(image->pitch(), c.width == 48 ? 48u : 16u);
    for (std::uint32_t y = 0; y < c.height; ++y) {
      for (std::uint32_t x = 0; x < c.width; ++x) {
        ASSERT_EQ(image->row(y)[x],
                  canvas.row(c.firstY + static_cast<int>(y))[c.firstX + static_cast<int>(x)]);
      }
    }
  }
}

TEST(Canvas, CopyCanvasRectTakesFourBytePixels) {
  Canvas canvas = makeCanvas(32);
  storePixel32(canvas.row(50) + 4 * 60, 0xFF123456);
  auto image = canvas.createImage(48, 48, 0, std::nullopt);
  ASSERT_TRUE(image);
  ASSERT_EQ(canvas.copyCanvasRect(48, 48, 95, 95, *image), ImageStatus::success);
  EXPECT_EQ(loadPixel32(image->row(2) + 4 * 12), 0xFF123456u);
  EXPECT_EQ(loadPixel32(image->row(0)), 0xFF000000u);
}

struct PutCase {
  std::uint32_t width, height;
  std::int64_t x, y;
  int left, top, right, bottom;  // the canvas area drawn, exclusive right and bottom
};

TEST(Canvas, PutImageClipsToTheCanvas) {
  const std::vector<PutCase> cases = {
      {200, 200, 0, 0, 0, 0, 192, 192},   {96, 96, 0, 0, 0, 0, 96, 96},
      {10, 10, -5, -3, 0, 0, 5, 7},       {10, 10, 188, 190, 188, 190, 192, 192},
      {10, 10, 192, 0, 0, 0, 0, 0},       {10, 10, 0, -10, 0, 0, 0, 0},
      {10, 10, INT64_MIN, 0, 0, 0, 0, 0}, {10, 10, INT64_MAX, INT64_MAX, 0, 0, 0, 0},
      {300, 5, -100, 20, 0, 20, 192, 25},
  };
  for (auto layout : {PixelLayout::full, PixelLayout::compact}) {
    for (const auto& c : cases) {
      auto image = PixelImage::make(
          layout, 1, c.width, c.height,
          layout == PixelLayout::full ? *PixelImage::pitchFor(c.width, 1, 16) : c.width);
      ASSERT_TRUE(image);
      for (std::uint32_t y = 0; y < c.height; ++y) {
        for (std::uint32_t x = 0; x < c.width; ++x) {
          image->row(y)[x] = static_cast<std::uint8_t>(1 + (x * 7 + y * 13) % 250);
        }
      }
      Canvas canvas = makeCanvas(8);
      EXPECT_EQ(canvas.putImage(*image, c.x, c.y), ImageStatus::success);
      for (int y = 0; y < 192; ++y) {
        for (int x = 0; x < 192; ++x) {
          const bool inside = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
          const std::uint8_t expected = inside ? image->row(static_cast<std::uint32_t>(
                                                     y - c.y))[static_cast<std::size_t>(x - c.x)]
                                               : 0;
          ASSERT_EQ(canvas.row(y)[x], expected) << c.x << "," << c.y << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(Canvas, PutImageRefusesAnotherDepth) {
  Canvas canvas = makeCanvas(32);
  auto eight = PixelImage::make(PixelLayout::full, 1, 4, 4, 16);
  ASSERT_TRUE(eight);
  eight->fill(9);
  EXPECT_EQ(canvas.putImage(*eight, 0, 0), ImageStatus::illegalCall);
  EXPECT_EQ(loadPixel32(canvas.row(0)), 0xFF000000u);

  auto rgba = PixelImage::make(PixelLayout::bottomUpRgba, 4, 4, 4, 16);
  ASSERT_TRUE(rgba);
  EXPECT_EQ(canvas.putImage(*rgba, 0, 0), ImageStatus::illegalCall);

  auto colour = PixelImage::make(PixelLayout::compact, 4, 2, 2, 8);
  ASSERT_TRUE(colour);
  colour->fill(0xFF00FF00);
  EXPECT_EQ(canvas.putImage(*colour, 1, 1), ImageStatus::success);
  EXPECT_EQ(loadPixel32(canvas.row(2) + 8), 0xFF00FF00u);
  EXPECT_EQ(loadPixel32(canvas.row(3) + 12), 0xFF000000u);
}

// Taking an image's pixels must give what drawing it on a new 32-bit canvas gives, and any
// image that would not cover such a canvas exactly is left alone.
TEST(Canvas, AdoptingAnImageEqualsDrawingIt) {
  auto patterned = [](PixelLayout layout, int bytesPerPixel, std::uint32_t width,
                      std::uint32_t height, std::size_t pitch) {
    auto image = PixelImage::make(layout, bytesPerPixel, width, height, pitch);
    EXPECT_TRUE(image);
    for (std::size_t i = 0; i < image->bytes().size(); ++i)
      image->bytes()[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return *image;
  };
  for (const int bytesPerPixel : {4, 1}) {
    Canvas drawn = makeCanvas(bytesPerPixel * 8, 6, 4);
    const PixelImage image = patterned(PixelLayout::compact, bytesPerPixel, 6, 4,
                                       6 * static_cast<std::size_t>(bytesPerPixel));
    ASSERT_EQ(drawn.putImage(image, 0, 0), ImageStatus::success);

    Canvas adopted = makeCanvas(bytesPerPixel == 4 ? 8 : 32, 3, 3);
    PixelImage copy = image;
    ASSERT_TRUE(adopted.adoptImage(std::move(copy), 6, 4));
    EXPECT_EQ(adopted.width(), 6);
    EXPECT_EQ(adopted.height(), 4);
    EXPECT_EQ(adopted.bytesPerPixel(), bytesPerPixel);
    EXPECT_EQ(adopted.pitch(), drawn.pitch());
    EXPECT_EQ(adopted.backgroundColour(), drawn.backgroundColour());
    EXPECT_EQ(adopted.pixels(), drawn.pixels());
    EXPECT_EQ(adopted.palette(), drawn.palette());
  }

  struct Refused {
    const char* why;
    PixelImage image;
  };
  const Refused refused[] = {
      {"narrower", patterned(PixelLayout::compact, 4, 5, 4, 20)},
      {"shorter", patterned(PixelLayout::compact, 4, 6, 3, 24)},
      {"padded rows", patterned(PixelLayout::full, 4, 6, 4, 32)},
      {"bottom-up RGBA", patterned(PixelLayout::bottomUpRgba, 4, 6, 4, 24)},
      {"one byte a pixel, padded", patterned(PixelLayout::full, 1, 6, 4, 16)},
      {"two bytes a pixel", patterned(PixelLayout::compact, 2, 6, 4, 12)},
  };
  for (const Refused& r : refused) {
    Canvas canvas = makeCanvas(8, 3, 3);
    PixelImage kept = r.image;
    EXPECT_FALSE(canvas.adoptImage(std::move(kept), 6, 4)) << r.why;
    EXPECT_EQ(canvas.width(), 3) << r.why;
    EXPECT_EQ(canvas.bytesPerPixel(), 1) << r.why;
    EXPECT_TRUE(std::equal(kept.bytes().begin(), kept.bytes().end(), r.image.bytes().begin(),
                           r.image.bytes().end()))
        << r.why;
  }
}

}  // namespace
}  // namespace vantrix
