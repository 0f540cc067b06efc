#include "image/palette.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace vantrix {
namespace {

std::uint32_t rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return red | (green << 8) | (blue << 16);
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

}  // namespace
}  // namespace vantrix
