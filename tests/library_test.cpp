// The library's public PNG decoding: rows top first, bytes red, green, blue, alpha.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/png_builder.hpp"
#include "vantrix/vantrix.hpp"

namespace vantrix {
namespace {

using namespace vantrix::testing;

TEST(LibraryPng, RowsTopFirstInRgbaOrder) {
  // 2 × 2 truecolour: the top row red then green, the bottom row blue then grey.
  const Bytes file = pngFile(
      {ihdr(2, 2, 8, 2),
       idat(zlib(rows({bytesOf({255, 0, 0, 0, 255, 0}), bytesOf({0, 0, 255, 10, 20, 30})}))),
       iend()});
  std::string why;
  const std::optional<RgbaImage> image = decodePng(file, &why);
  ASSERT_TRUE(image) << why;
  EXPECT_EQ(image->width, 2u);
  EXPECT_EQ(image->height, 2u);
  EXPECT_EQ(image->rgba, bytesOf({255, 0, 0, 255, 0, 255, 0, 255,  //
                                  0, 0, 255, 255, 10, 20, 30, 255}));
}

TEST(LibraryPng, PaletteWithTransparencyAndOddWidth) {
  // 3 × 1 palette picture: entry i is (i, 255 - i, i / 2); entry 1 made transparent.
  const Bytes file = pngFile({ihdr(3, 1, 8, 3), plte(4), trns(bytesOf({255, 0})),
                              idat(zlib(rows({bytesOf({0, 1, 3})}))), iend()});
  const std::optional<RgbaImage> image = decodePng(file);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->rgba, bytesOf({0, 255, 0, 255, 1, 254, 0, 0, 3, 252, 1, 255}));
}

TEST(LibraryPng, RefusalSaysWhy) {
  const Bytes file =
      pngFile({ihdr(1, 1, 8, 2), withBadCrc(idat(zlib(rows({bytesOf({1, 2, 3})})))), iend()});
  std::string why;
  EXPECT_FALSE(decodePng(file, &why));
  EXPECT_EQ(why, "a chunk's CRC does not match");
  EXPECT_FALSE(decodePng(ByteView{}));
}

}  // namespace
}  // namespace vantrix
