#include "faces/face_loader.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "codecs/xyz.hpp"
#include "image/canvas.hpp"
#include "platform/platform.hpp"
#include "support/bmp_builder.hpp"
#include "support/png_builder.hpp"
#include "support/strict_base64.hpp"
#include "support/temp_folder.hpp"
#include "support/xyz_builder.hpp"

namespace vantrix {
namespace {

using testing::TempFolder;

std::string asText(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// The palette index of face set pixel (x, y): the cell number in the high nibble and a
// pattern inside the cell in the low one, so every cell differs from every other.
std::uint8_t facePixel(int x, int y) {
  return static_cast<std::uint8_t>(((y / 48) * 4 + x / 48) * 16 + (x * 7 + y * 3) % 16);
}

testing::IndexRows faceSetRows(int width, int height) {
  testing::IndexRows rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      rows[static_cast<std::size_t>(y)].push_back(facePixel(x, y));
  }
  return rows;
}

Bytes faceSetBmp(int bits, std::size_t paletteSize, int size = 192) {
  testing::BmpRecipe recipe;
  recipe.width = size;
  recipe.height = size;
  recipe.bitsPerPixel = static_cast<std::uint16_t>(bits);
  recipe.palette = testing::distinctPalette(paletteSize);
  testing::IndexRows rows = faceSetRows(size, size);
  if (bits == 4) {
    for (auto& row : rows) {
      for (auto& index : row)
        index &= 15;
    }
  }
  recipe.pixelData = testing::packRows(rows, bits);
  return testing::buildBmp(recipe);
}

// The decoded BMP of face slot 1 of a save in `game` whose face set is `name`.
Bytes faceBmp(const TempFolder& game, const std::string& name, std::int32_t index) {
  FaceLoader loader(game / "Save01.lsd", platform::nativePathStyle());
  std::string text = loader.loadFaceBitmap(FaceSlot{name, index});
  return testing::strictBase64(text);
}

std::uint32_t paletteEntry(const Bytes& bmp, int i) {
  const std::uint8_t* p = bmp.data() + 54 + static_cast<std::size_t>(4 * i);  // blue, green, red, 0
  return static_cast<std::uint32_t>(p[2] | (p[1] << 8) | (p[0] << 16));
}

// Index of face pixel (x, y) in an 8-bit 48 × 48 BMP (rows stored bottom first).
std::uint8_t bmpIndex(const Bytes& bmp, int x, int y) {
  return bmp[static_cast<std::size_t>(1078 + (47 - y) * 48 + x)];
}

// Blue, green, red of face pixel (x, y) in a 24-bit 48 × 48 BMP.
std::uint32_t bmpColour(const Bytes& bmp, int x, int y) {
  const std::uint8_t* p = bmp.data() + static_cast<std::size_t>(54 + (47 - y) * 144 + x * 3);
  return static_cast<std::uint32_t>(p[2] << 16 | p[1] << 8 | p[0]);
}

TEST(FaceLoader, BmpFaceSetGivesTheCellWithTheFilesPalette) {
  TempFolder game;
  game.write("FaceSet/Hero.bmp", asText(faceSetBmp(8, 256)));
  FaceLoader loader(game / "Save01.lsd", platform::nativePathStyle());
  const std::string text = loader.loadFaceBitmap(FaceSlot{"Hero", 5});
  EXPECT_EQ(text.size(), 4512u);
  EXPECT_EQ(text.substr(text.size() - 2), "==");
  const Bytes bmp = testing::strictBase64(text);
  ASSERT_EQ(bmp.size(), 3382u);
  const auto palette = testing::distinctPalette(256);
  for (int i = 0; i < 256; ++i)
    ASSERT_EQ(paletteEntry(bmp, i), palette[std::size_t(i)]) << i;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 48; ++x)
      ASSERT_EQ(bmpIndex(bmp, x, y), facePixel(48 + x, 48 + y));
  }
}

TEST(FaceLoader, CellsOfEveryIndex) {
  TempFolder game;
  game.write("FaceSet/Hero.bmp", asText(faceSetBmp(8, 256)));
  for (std::int32_t index : {0, 3, 4, 15}) {
    const Bytes bmp = faceBmp(game, "Hero", index);
    ASSERT_EQ(bmp.size(), 3382u);
    const int x0 = (index % 4) * 48;
    const int y0 = (index / 4) * 48;
    EXPECT_EQ(bmpIndex(bmp, 0, 0), facePixel(x0, y0)) << index;
    EXPECT_EQ(bmpIndex(bmp, 47, 47), facePixel(x0 + 47, y0 + 47)) << index;
  }
  // Outside 0 to 15 the face is all mask colour, index 0.
  for (std::int32_t index : {16, -1, -4, 2147483647, -2147483647 - 1}) {
    const Bytes bmp = faceBmp(game, "Hero", index);
    ASSERT_EQ(bmp.size(), 3382u) << index;
    for (std::size_t i = 1078; i < bmp.size(); ++i)
      ASSERT_EQ(bmp[i], 0) << index;
  }
}

TEST(FaceLoader, FaceSetsThatGiveNoPicture) {
  TempFolder game;
  game.write("FaceSet/Broken.png", "\x89PNG\r\n\x1a\n not really");
  game.write("FaceSet/Broken.xyz", "XYZ1\x10\x00\x10\x00 not a stream");
  game.write("Secret.bmp", asText(faceSetBmp(8, 256)));
  for (const char* name : {"Missing", "Broken", "../Secret", "..", "."}) {
    EXPECT_EQ(
        FaceLoader(game / "Save01.lsd", platform::nativePathStyle()).loadFaceBitmap({name, 0}), "")
        << name;
  }
}

TEST(FaceLoader, SmallAndOddBmpFaceSets) {
  TempFolder game;
  game.write("FaceSet/Small.bmp", asText(faceSetBmp(8, 256, 96)));
  game.write("FaceSet/Four.bmp", asText(faceSetBmp(4, 16)));
  testing::BmpRecipe trueColour;
  trueColour.width = 2;
  trueColour.height = 1;
  trueColour.bitsPerPixel = 24;
  trueColour.pixelData = Bytes(8, 0xAB);
  game.write("FaceSet/True.bmp", asText(testing::buildBmp(trueColour)));
  game.write("FaceSet/Damaged.bmp", "BM not a picture");
  game.write("FaceSet/Empty.bmp", "");

  // Outside a 96 × 96 face set the canvas background shows: index 0.
  const Bytes outside = faceBmp(game, "Small", 2);
  ASSERT_EQ(outside.size(), 3382u);
  EXPECT_EQ(bmpIndex(outside, 10, 10), 0);

  // A 16-colour face set replaces only the first 16 palette entries.
  const Bytes four = faceBmp(game, "Four", 0);
  ASSERT_EQ(four.size(), 3382u);
  const auto palette = testing::distinctPalette(16);
  EXPECT_EQ(paletteEntry(four, 15), palette[15]);
  EXPECT_EQ(paletteEntry(four, 16), defaultPalette()[16]);
  EXPECT_EQ(paletteEntry(four, 255), defaultPalette()[255]);

  // A 24-bit, damaged or empty BMP face set cannot be drawn on the 8-bit canvas: a black
  // face, not no face.
  for (const char* name : {"True", "Damaged", "Empty"}) {
    const Bytes black = faceBmp(game, name, 0);
    ASSERT_EQ(black.size(), 3382u) << name;
    EXPECT_EQ(paletteEntry(black, 0), 0u) << name;
    for (std::size_t i = 1078; i < black.size(); ++i)
      ASSERT_EQ(black[i], 0) << name;
  }
}

TEST(FaceLoader, XyzFaceSetKeepsItsColoursThroughTheSixBitStep) {
  TempFolder game;
  auto image = PixelImage::make(PixelLayout::full, 1, 192, 192, 192);
  ASSERT_TRUE(image);
  for (std::uint32_t y = 0; y < 192; ++y) {
    for (std::uint32_t x = 0; x < 192; ++x) {
      image->row(y)[x] = facePixel(static_cast<int>(x), static_cast<int>(y));
    }
  }
  PaletteTable table{};
  table[0] = 0x00FFFFFF;
  table[1] = 0x00648000 | 0xFF;  // red 255, green 128, blue 100 (red in the low byte)
  table[2] = 0x00000080;
  std::filesystem::create_directories(game.path() / "FaceSet");
  ASSERT_EQ(saveXyzImage(game / "FaceSet/Spirit.xyz", *image, table, false, false), XyzError::none);

  FaceLoader loader(game / "Save01.lsd", platform::nativePathStyle());
  const std::string text = loader.loadFaceBitmap({"Spirit", 10});
  EXPECT_EQ(text.size(), 4512u);
  const Bytes bmp = testing::strictBase64(text);
  ASSERT_EQ(bmp.size(), 3382u);
  EXPECT_EQ(paletteEntry(bmp, 0), 0xFFFFFFu);
  EXPECT_EQ(paletteEntry(bmp, 1), 0x6581FFu);  // 255 stays, 128 becomes 129, 100 becomes 101
  EXPECT_EQ(paletteEntry(bmp, 2), 0x000081u);
  EXPECT_EQ(paletteEntry(bmp, 3), 0u);  // every entry is the file's, not the default palette
  EXPECT_EQ(bmpIndex(bmp, 5, 6), facePixel(96 + 5, 96 + 6));
}

Bytes rgbaFaceSetPng(std::uint32_t size) {
  std::vector<Bytes> rows;
  for (std::uint32_t y = 0; y < size; ++y) {
    Bytes row;
    for (std::uint32_t x = 0; x < size; ++x) {
      row.insert(row.end(), {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                             static_cast<std::uint8_t>(x ^ y), 0x80});
    }
    rows.push_back(row);
  }
  return testing::pngFile({testing::ihdr(size, size, 8, 6),
                           testing::idat(testing::zlib(testing::rows(rows))), testing::iend()});
}

// A 256-colour face set: palette indices, some of them see-through.
Bytes paletteFaceSetPng(std::uint32_t size) {
  std::vector<Bytes> rows;
  for (std::uint32_t y = 0; y < size; ++y) {
    Bytes row;
    for (std::uint32_t x = 0; x < size; ++x)
      row.push_back(static_cast<std::uint8_t>(x * 7 + y * 3));
    rows.push_back(row);
  }
  return testing::pngFile({testing::ihdr(size, size, 8, 3), testing::plte(256),
                           testing::trns(Bytes(16, 0x40)),
                           testing::idat(testing::zlib(testing::rows(rows))), testing::iend()});
}

TEST(FaceLoader, PngFaceSetGivesA24BitFace) {
  TempFolder game;
  game.write("FaceSet/Friends.png", asText(rgbaFaceSetPng(192)));
  game.write("FaceSet/Small.png", asText(rgbaFaceSetPng(60)));
  FaceLoader loader(game / "Save01.lsd", platform::nativePathStyle());

  const std::string text = loader.loadFaceBitmap({"Friends", 6});
  EXPECT_EQ(text.size(), 9288u);
  EXPECT_EQ(text.find('='), std::string::npos);
  const Bytes bmp = testing::strictBase64(text);
  ASSERT_EQ(bmp.size(), 6966u);
  EXPECT_EQ(bmp[28], 24);
  for (int y = 0; y < 48; y += 7) {
    for (int x = 0; x < 48; x += 5) {
      const std::uint32_t fx = 96 + static_cast<std::uint32_t>(x);
      const std::uint32_t fy = 48 + static_cast<std::uint32_t>(y);
      ASSERT_EQ(bmpColour(bmp, x, y), (fx << 16) | (fy << 8) | (fx ^ fy)) << x << "," << y;
    }
  }
  // Outside a smaller face set the canvas is opaque black; outside 0 to 15, magenta.
  const Bytes small = testing::strictBase64(loader.loadFaceBitmap({"Small", 1}));
  ASSERT_EQ(small.size(), 6966u);
  EXPECT_EQ(bmpColour(small, 0, 0), (48u << 16) | (0u << 8) | 48u);
  EXPECT_EQ(bmpColour(small, 20, 0), 0u);
  const Bytes mask = testing::strictBase64(loader.loadFaceBitmap({"Friends", 16}));
  ASSERT_EQ(mask.size(), 6966u);
  EXPECT_EQ(bmpColour(mask, 0, 0), 0xFF00FFu);
  EXPECT_EQ(bmpColour(mask, 47, 47), 0xFF00FFu);
}

// Of a face set larger than 192 × 192 only the corner the faces come from is kept: every
// face is that of a face set holding just the corner.
TEST(FaceLoader, LargerFaceSetsGiveTheFacesOfTheirCorner) {
  TempFolder game;
  std::filesystem::create_directories(game.path() / "FaceSet");
  for (std::uint32_t size : {192u, 250u}) {
    const std::string name = std::to_string(size);
    game.write("FaceSet/Png" + name + ".png", asText(rgbaFaceSetPng(size)));
    const std::uint32_t width = 2 * size - 192;
    auto image = PixelImage::make(PixelLayout::full, 1, width, size, width);
    ASSERT_TRUE(image);
    for (std::uint32_t y = 0; y < size; ++y) {
      for (std::uint32_t x = 0; x < width; ++x)
        image->row(y)[x] = facePixel(static_cast<int>(x), static_cast<int>(y));
    }
    ASSERT_EQ(
        saveXyzImage(game / ("FaceSet/Xyz" + name + ".xyz"), *image, PaletteTable{}, false, false),
        XyzError::none);
  }
  for (const char* kind : {"Png", "Xyz"}) {
    for (std::int32_t index : {0, 3, 12, 15}) {
      const Bytes corner = faceBmp(game, kind + std::string("192"), index);
      ASSERT_FALSE(corner.empty());
      EXPECT_EQ(faceBmp(game, kind + std::string("250"), index), corner) << kind << index;
    }
  }
}

TEST(FaceLoader, BmpWinsOverPngAndCaseIsIgnoredOnLinux) {
  TempFolder game;
  game.write("FACESET/hero.BMP", asText(faceSetBmp(8, 256)));
  game.write("FACESET/Hero.png", asText(rgbaFaceSetPng(192)));
  EXPECT_EQ(faceBmp(game, "Hero", 0).size(), 3382u);
}

// One loader draws each face set once for all its faces; every face must still be what a
// loader of its own gives, whatever the kind, the index, and the other faces asked before.
TEST(FaceLoader, FacesSharingAFaceSetAreThoseOfSeparateLoaders) {
  TempFolder game;
  game.write("FaceSet/Hero.bmp", asText(faceSetBmp(8, 256)));
  game.write("FaceSet/Friends.png", asText(rgbaFaceSetPng(192)));
  game.write(
      "FaceSet/Spirits.xyz",
      asText(testing::xyzFile(192, 192, testing::zlibStream(testing::xyzContent(192, 192)))));
  game.write("FaceSet/Broken.png", "\x89PNG\r\n\x1a\n not really");
  game.write("FaceSet/Small.png", asText(rgbaFaceSetPng(60)));
  game.write("FaceSet/Party.png", asText(paletteFaceSetPng(192)));
  game.write("FaceSet/Tiny.png", asText(paletteFaceSetPng(60)));
  // 8-bit BMP face sets whose cells come straight from the file, and near ones that are drawn.
  auto bmpLike = [](auto change) {
    testing::BmpRecipe recipe;
    recipe.width = 192;
    recipe.height = 192;
    recipe.palette = testing::distinctPalette(256);
    recipe.pixelData = testing::packRows(faceSetRows(192, 192), 8);
    change(recipe);
    return asText(testing::buildBmp(recipe));
  };
  game.write("FaceSet/TopDown.bmp", bmpLike([](testing::BmpRecipe& r) {
               r.height = -192;
               r.pixelData = testing::packRows(faceSetRows(192, 192), 8, /*topDown=*/true);
             }));
  game.write("FaceSet/Os2.bmp", bmpLike([](testing::BmpRecipe& r) { r.infoSize = 12; }));
  game.write("FaceSet/Few.bmp",
             bmpLike([](testing::BmpRecipe& r) { r.palette = testing::distinctPalette(16); }));
  game.write("FaceSet/NoOffset.bmp", bmpLike([](testing::BmpRecipe& r) { r.dataOffset = 0; }));
  game.write("FaceSet/Cut.bmp", bmpLike([](testing::BmpRecipe& r) { r.pixelData.pop_back(); }));
  game.write("FaceSet/Masks.bmp", bmpLike([](testing::BmpRecipe& r) { r.compression = 3; }));
  game.write("FaceSet/Wide.bmp", bmpLike([](testing::BmpRecipe& r) {
               r.width = 196;
               testing::IndexRows rows = faceSetRows(196, 192);
               r.pixelData = testing::packRows(rows, 8);
             }));
  const std::string save = game / "Save01.lsd";
  const FaceSlot slots[] = {
      {"Friends", 6}, {"Hero", 5},     {"Friends", 6}, {"Friends", 15}, {"Spirits", 0},
      {"Hero", -1},   {"Broken", 0},   {"Missing", 0}, {"Spirits", 3},  {"friends", 2},
      {"Broken", 1},  {"Hero", 5},     {"Friends", 0}, {"Friends", 9},  {"Small", 5},
      {"Small", 0},   {"Party", 5},    {"Party", 14},  {"Tiny", 0},     {"Tiny", 5},
      {"TopDown", 6}, {"TopDown", 15}, {"Os2", 9},     {"Few", 12},     {"NoOffset", 3},
      {"Cut", 0},     {"Cut", 14},     {"Masks", 10},  {"Wide", 7},     {"Hero", 16}};
  std::vector<std::string> alone;
  for (const FaceSlot& slot : slots)
    alone.push_back(FaceLoader(save, platform::nativePathStyle()).loadFaceBitmap(slot));
  // Without the faces announced, with all of them, and with only the first six (the loader
  // lets a face set go after its last announced face and must draw it again when asked).
  for (std::size_t announced : {std::size_t{0}, std::size(slots), std::size_t{6}}) {
    FaceLoader shared(save, platform::nativePathStyle(),
                      std::span<const FaceSlot>(slots, announced));
    if (announced == std::size(slots)) {
      // Prepared, the loader knows each face's text length; a face outside 0 to 15 has a bound.
      shared.prepare(slots);
      for (std::size_t i = 0; i < std::size(slots); ++i) {
        const std::size_t size = shared.faceTextSize({&slots[i], 1});
        if (slots[i].index >= 0 && slots[i].index < 16) {
          EXPECT_EQ(size, alone[i].size()) << slots[i].name << " " << slots[i].index;
        }
        EXPECT_GE(size, alone[i].size()) << slots[i].name << " " << slots[i].index;
      }
    }
    for (std::size_t i = 0; i < std::size(slots); ++i) {
      EXPECT_EQ(shared.loadFaceBitmap(slots[i]), alone[i])
          << slots[i].name << " " << slots[i].index << ", " << announced << " announced";
    }
  }
  FaceLoader shared(save, platform::nativePathStyle());
  EXPECT_FALSE(shared.loadFaceBitmap({"Friends", 6}).empty());
  EXPECT_TRUE(shared.loadFaceBitmap({"Broken", 0}).empty());
}

}  // namespace
}  // namespace vantrix
