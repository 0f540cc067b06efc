// The library's public PNG decoding: rows top first, bytes red, green, blue, alpha.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/bmp_builder.hpp"
#include "support/png_builder.hpp"
#include "support/xyz_builder.hpp"
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

// Each public decoder on a picture it takes and on ones it refuses: 2 × 2 pixels, the top row
// red then blue, the bottom row blue then red.
TEST(LibraryCodecs, DecodeToRgbaOrRefuse) {
  const Bytes redBlue = bytesOf({255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255, 255, 0, 0, 255});
  BmpRecipe bmp;
  bmp.width = 2;
  bmp.height = 2;
  bmp.palette = {0x0000FF, 0xFF0000};             // canvas colours 0x00BBGGRR: red, blue
  bmp.pixelData = packRows({{0, 1}, {1, 0}}, 8);  // rows given top first
  Bytes xyzContent(768 + 4, 0);
  xyzContent[0] = 255;  // colour 0 red
  xyzContent[5] = 255;  // colour 1 blue
  std::copy_n(bytesOf({0, 1, 1, 0}).begin(), 4, xyzContent.begin() + 768);
  const Bytes xyz = xyzFile(2, 2, zlibStream(xyzContent));
  auto xyzRgba = [](ByteView file, std::string* why) -> std::optional<RgbaImage> {
    const auto indexed = decodeXyz(file, why);
    return indexed ? std::optional(toRgba(*indexed)) : std::nullopt;
  };
  Bytes cutXyz = xyz;
  cutXyz.resize(cutXyz.size() - 6);
  const Bytes goodBmp = buildBmp(bmp);
  Bytes badBmp = goodBmp;
  badBmp[14] = 7;  // an info header size no BMP uses
  bmp.bitsPerPixel = 24;
  const Bytes deepBmp = buildBmp(bmp);

  using Decoder = std::optional<RgbaImage> (*)(ByteView, std::string*);
  const struct {
    const char* name;
    Decoder decode;
    Bytes file;
    bool taken;
  } cases[] = {
      {"bmp", decodeBmp, goodBmp, true},
      {"xyz", xyzRgba, xyz, true},
      {"bmp with a damaged header", decodeBmp, badBmp, false},
      {"bmp of 24 bits", decodeBmp, deepBmp, false},
      {"xyz cut short", xyzRgba, cutXyz, false},
      {"png as bmp", decodeBmp, bytesOf({0x89, 'P', 'N', 'G'}), false},
      {"nothing as xyz", xyzRgba, {}, false},
  };
  for (const auto& c : cases) {
    std::string why;
    const std::optional<RgbaImage> image = c.decode(c.file, &why);
    ASSERT_EQ(image.has_value(), c.taken) << c.name;
    if (c.taken) {
      EXPECT_EQ(image->width, 2u) << c.name;
      EXPECT_EQ(image->rgba, redBlue) << c.name;
    } else {
      EXPECT_FALSE(why.empty()) << c.name;
    }
  }
}

TEST(LibraryCodecs, XyzAndBase64RoundTrips) {
  IndexedImage picture{3, 2, bytesOf({0, 1, 2, 2, 1, 0}), {}};
  picture.palette[1] = 0x123456;
  picture.palette[2] = 0xFFFFFF;
  const auto file = encodeXyz(picture);
  ASSERT_TRUE(file);
  const auto back = decodeXyz(*file);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->indices, picture.indices);
  EXPECT_EQ(back->palette, picture.palette);
  std::string why;
  EXPECT_FALSE(encodeXyz(IndexedImage{3, 3, picture.indices, {}}, &why));
  EXPECT_FALSE(why.empty());

  const Bytes withZeros = bytesOf({0, 0, 1, 0, 255});
  EXPECT_EQ(encodeBase64(withZeros), "AAABAP8=");
  EXPECT_EQ(decodeBase64Bytes("AAAB\r\nAP8="), withZeros);
  for (const char* refused : {"AAABAP8", "AA=A", "A===", "AAAB AP8=", "AAABAP8==", "AP8=AAAA"})
    EXPECT_FALSE(decodeBase64Bytes(refused)) << refused;
}

}  // namespace
}  // namespace vantrix
