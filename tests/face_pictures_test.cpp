#include "faces/face_pictures.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "base64/base64.hpp"
#include "codecs/xyz.hpp"
#include "platform/platform.hpp"
#include "support/bmp_builder.hpp"
#include "support/png_builder.hpp"
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

// The Base64 BMPs of the four face slots of a save at `save`, as its conversion gives them.
std::array<std::string, 4> faceTexts(const std::string& save, const std::array<FaceSlot, 4>& faces,
                                     std::size_t* textSize = nullptr) {
  Arena memory;
  FaceSetLookup lookup(save, platform::nativePathStyle(), diskFiles());
  const FacePictures pictures(faces, lookup, memory);
  std::array<std::string, 4> texts;
  for (int slot = 1; slot <= 4; ++slot)
    pictures.appendBitmap(slot, texts[static_cast<std::size_t>(slot - 1)]);
  if (textSize) *textSize = pictures.textSize();
  return texts;
}

// The Base64 BMP of a face of a save in `game`, alone in its slot.
std::string faceText(const TempFolder& game, const FaceSlot& face) {
  return faceTexts(game / "Save01.lsd", {face, {}, {}, {}})[0];
}

// The decoded BMP of a face of a save in `game` whose face set is `name`.
Bytes faceBmp(const TempFolder& game, const std::string& name, std::int32_t index) {
  return decodeBase64(faceText(game, {name, index})).value_or(Bytes{});
}

// The XYZ file of a face set of palette indices and colours 0xRRGGBB.
std::string xyzFaceSet(std::uint32_t width, std::uint32_t height,
                       const std::array<std::uint32_t, 256>& palette) {
  IndexedImage image{width, height, {}, palette};
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x)
      image.indices.push_back(facePixel(static_cast<int>(x), static_cast<int>(y)));
  }
  XyzError why = XyzError::none;
  return asText(encodeXyz(image, why).value_or(Bytes{}));
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

TEST(FacePictures, BmpFaceSetGivesTheCellWithTheFilesPalette) {
  TempFolder game;
  game.write("FaceSet/Hero.bmp", asText(faceSetBmp(8, 256)));
  const std::string text = faceText(game, {"Hero", 5});
  EXPECT_EQ(text.size(), 4512u);
  EXPECT_EQ(text.substr(text.size() - 2), "==");
  const Bytes bmp = decodeBase64(text).value_or(Bytes{});
  ASSERT_EQ(bmp.size(), 3382u);
  const auto palette = testing::distinctPalette(256);
  for (int i = 0; i < 256; ++i)
    ASSERT_EQ(paletteEntry(bmp, i), palette[std::size_t(i)]) << i;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 48; ++x)
      ASSERT_EQ(bmpIndex(bmp, x, y), facePixel(48 + x, 48 + y));
  }
}

TEST(FacePictures, CellsOfEveryIndex) {
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

TEST(FacePictures, FaceSetsThatGiveNoPicture) {
  TempFolder game;
  game.write("FaceSet/Broken.png", "\x89PNG\r\n\x1a\n not really");
  game.write("FaceSet/Broken.xyz", "XYZ1\x10\x00\x10\x00 not a stream");
  game.write("Secret.bmp", asText(faceSetBmp(8, 256)));
  for (const char* name : {"Missing", "Broken", "../Secret", "..", "."}) {
    EXPECT_EQ(faceText(game, {name, 0}), "") << name;
  }
}

TEST(FacePictures, SmallAndOddBmpFaceSets) {
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

TEST(FacePictures, XyzFaceSetKeepsItsColoursThroughTheSixBitStep) {
  TempFolder game;
  std::array<std::uint32_t, 256> palette{};
  palette[0] = 0xFFFFFF;
  palette[1] = 0xFF8064;  // red 255, green 128, blue 100
  palette[2] = 0x800000;
  game.write("FaceSet/Spirit.xyz", xyzFaceSet(192, 192, palette));
  const std::string text = faceText(game, {"Spirit", 10});
  EXPECT_EQ(text.size(), 4512u);
  const Bytes bmp = decodeBase64(text).value_or(Bytes{});
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

TEST(FacePictures, PngFaceSetGivesA24BitFace) {
  TempFolder game;
  game.write("FaceSet/Friends.png", asText(rgbaFaceSetPng(192)));
  game.write("FaceSet/Small.png", asText(rgbaFaceSetPng(60)));

  const std::string text = faceText(game, {"Friends", 6});
  EXPECT_EQ(text.size(), 9288u);
  EXPECT_EQ(text.find('='), std::string::npos);
  const Bytes bmp = decodeBase64(text).value_or(Bytes{});
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
  const Bytes small = faceBmp(game, "Small", 1);
  ASSERT_EQ(small.size(), 6966u);
  EXPECT_EQ(bmpColour(small, 0, 0), (48u << 16) | (0u << 8) | 48u);
  EXPECT_EQ(bmpColour(small, 20, 0), 0u);
  const Bytes mask = faceBmp(game, "Friends", 16);
  ASSERT_EQ(mask.size(), 6966u);
  EXPECT_EQ(bmpColour(mask, 0, 0), 0xFF00FFu);
  EXPECT_EQ(bmpColour(mask, 47, 47), 0xFF00FFu);
}

// Of a face set larger than 192 × 192 only the corner the faces come from is kept: every
// face is that of a face set holding just the corner.
TEST(FacePictures, LargerFaceSetsGiveTheFacesOfTheirCorner) {
  TempFolder game;
  std::filesystem::create_directories(game.path() / "FaceSet");
  for (std::uint32_t size : {192u, 250u}) {
    const std::string name = std::to_string(size);
    game.write("FaceSet/Png" + name + ".png", asText(rgbaFaceSetPng(size)));
    game.write("FaceSet/Xyz" + name + ".xyz", xyzFaceSet(2 * size - 192, size, {}));
  }
  for (const char* kind : {"Png", "Xyz"}) {
    for (std::int32_t index : {0, 3, 12, 15}) {
      const Bytes corner = faceBmp(game, kind + std::string("192"), index);
      ASSERT_FALSE(corner.empty());
      EXPECT_EQ(faceBmp(game, kind + std::string("250"), index), corner) << kind << index;
    }
  }
}

TEST(FacePictures, BmpWinsOverPngAndCaseIsIgnoredOnLinux) {
  TempFolder game;
  game.write("FACESET/hero.BMP", asText(faceSetBmp(8, 256)));
  game.write("FACESET/Hero.png", asText(rgbaFaceSetPng(192)));
  EXPECT_EQ(faceBmp(game, "Hero", 0).size(), 3382u);
}

// A conversion decodes each face set once for all its faces; every face must still be what it
// is alone, whatever the kind, the index and the other faces of the save.
TEST(FacePictures, FacesSharingAFaceSetAreThoseAlone) {
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
  const FaceSlot slots[] = {{"Friends", 6},  {"Hero", 5},     {"Friends", 6}, {"Friends", 15},
                            {"Spirits", 0},  {"Hero", -1},    {"Broken", 0},  {"Missing", 0},
                            {"Spirits", 3},  {"friends", 2},  {"Broken", 1},  {"Hero", 5},
                            {"Friends", 0},  {"Friends", 9},  {"Small", 5},   {"Small", 0},
                            {"Party", 5},    {"Party", 14},   {"Tiny", 0},    {"Tiny", 5},
                            {"TopDown", 6},  {"TopDown", 15}, {"Os2", 9},     {"Few", 12},
                            {"NoOffset", 3}, {"Cut", 0},      {"Cut", 14},    {"Masks", 10},
                            {"Wide", 7},     {"Hero", 16},    {"Party", 16},  {"Spirits", 3}};
  std::vector<std::string> alone;
  for (const FaceSlot& slot : slots)
    alone.push_back(faceTexts(save, {slot, {}, {}, {}})[0]);
  // Four at a time, in every slot: each face set is decoded once for the faces that share it.
  for (std::size_t first = 0; first + 4 <= std::size(slots); first += 2) {
    std::size_t textSize = 0;
    const auto shared = faceTexts(
        save, {slots[first], slots[first + 1], slots[first + 2], slots[first + 3]}, &textSize);
    std::size_t expectedSize = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      EXPECT_EQ(shared[k], alone[first + k])
          << slots[first + k].name << " " << slots[first + k].index << " in slot " << k + 1;
      expectedSize += alone[first + k].size();
    }
    EXPECT_EQ(textSize, expectedSize) << first;
  }
}

}  // namespace
}  // namespace vantrix
