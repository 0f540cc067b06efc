#include "image/palette.hpp"

#include <cstddef>

namespace vantrix {
namespace {

constexpr std::uint32_t rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return red | (green << 8) | (blue << 16);
}

// Nine blocks of 24 colours walk the hue circle at five levels each; which level each of
// red, green and blue takes for entry j of a block.
constexpr std::uint8_t kHueWalk[24][3] = {
    {0, 0, 4}, {1, 0, 4}, {2, 0, 4}, {3, 0, 4}, {4, 0, 4}, {4, 0, 3}, {4, 0, 2}, {4, 0, 1},
    {4, 0, 0}, {4, 1, 0}, {4, 2, 0}, {4, 3, 0}, {4, 4, 0}, {3, 4, 0}, {2, 4, 0}, {1, 4, 0},
    {0, 4, 0}, {0, 4, 1}, {0, 4, 2}, {0, 4, 3}, {0, 4, 4}, {0, 3, 4}, {0, 2, 4}, {0, 1, 4},
};

constexpr std::uint8_t kBlockLevels[9][5] = {
    {0, 64, 125, 190, 255}, {125, 157, 190, 222, 255}, {182, 198, 218, 234, 255},
    {0, 28, 56, 85, 113},   {56, 68, 85, 97, 113},     {80, 89, 97, 105, 113},
    {0, 16, 32, 48, 64},    {32, 40, 48, 56, 64},      {44, 48, 52, 60, 64},
};

constexpr std::uint8_t kFirstSixteen[16][3] = {
    {0, 0, 0},     {0, 0, 170},     {0, 170, 0},    {0, 170, 170},   {170, 0, 0},   {170, 0, 170},
    {170, 85, 0},  {170, 170, 170}, {85, 85, 85},   {85, 85, 255},   {85, 255, 85}, {85, 255, 255},
    {255, 85, 85}, {255, 85, 255},  {255, 255, 85}, {255, 255, 255},
};

constexpr std::uint8_t kGreys[16] = {0,   20,  32,  44,  56,  68,  80,  97,
                                     113, 129, 145, 161, 182, 202, 226, 255};

constexpr Palette makeDefaultPalette() {
  Palette palette{};
  for (std::size_t i = 0; i < 16; ++i) {
    palette[i] = rgb(kFirstSixteen[i][0], kFirstSixteen[i][1], kFirstSixteen[i][2]);
    palette[16 + i] = rgb(kGreys[i], kGreys[i], kGreys[i]);
  }
  for (std::size_t block = 0; block < 9; ++block) {
    const auto& level = kBlockLevels[block];
    for (std::size_t j = 0; j < 24; ++j) {
      palette[32 + 24 * block + j] =
          rgb(level[kHueWalk[j][0]], level[kHueWalk[j][1]], level[kHueWalk[j][2]]);
    }
  }
  // Entries 248 to 255 stay black.
  return palette;
}

constexpr Palette kDefaultPalette = makeDefaultPalette();

}  // namespace

const Palette& defaultPalette() {
  return kDefaultPalette;
}

}  // namespace vantrix
