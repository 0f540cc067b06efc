// Writes the example game of examples/game: a save file and the face sets its faces use.
// Every byte comes from the recipe below, so the files can be checked and made again:
//   make_example examples/game

#include <zlib.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "codecs/bmp_writer.hpp"
#include "codecs/xyz.hpp"
#include "recipe.hpp"

namespace {

using recipe::appendBe32;
using recipe::appendPngChunk;
using recipe::chunk;
using recipe::doubleBytes;
using recipe::field;
using recipe::number;
using vantrix::Bytes;

// The save of a game whose hero is `hero` and whose four faces come from these face sets.
std::string exampleSave(const std::string& hero, const std::array<std::string, 4>& faceSets) {
  const double savedAt = 46363.0 + (20 * 3600 + 15 * 60 + 42) / 86400.0;  // 2026-12-07 20:15:42
  std::string save = number(11) + "LcfSaveData";
  save += chunk(100, field(1, doubleBytes(savedAt)) + field(11, hero) + field(12, number(12)) +
                         field(13, number(345)) + field(21, faceSets[0]) + field(22, number(0)) +
                         field(23, faceSets[1]) + field(24, number(5)) + field(25, faceSets[2]) +
                         field(26, number(10)) + field(27, faceSets[3]) + field(28, number(3)));
  save += chunk(101, field(11, number(1234567)));  // 5:42:56 of play
  save += field(104, "party and map data the preview does not read");
  save += chunk(109, field(21, number(4321)));
  return save;
}

// ---- Face sets: 16 faces of 48 × 48 in 4 rows of 4, drawn from a few shapes. ----

constexpr int kSize = 192;

// Palette indices of the drawing; each face set gives them its own colours.
enum Ink : std::uint8_t { background = 0, backdrop = 1, skin = 5, hair = 9, eye = 13, mouth = 14 };

// The ink of face set pixel (x, y): a head with hair, eyes and a mouth on a backdrop whose
// colour and the face's proportions vary from cell to cell.
std::uint8_t inkAt(int x, int y) {
  const int cell = (y / 48) * 4 + x / 48;
  const int cx = x % 48 - 24;
  const int cy = y % 48 - 26;
  const int radius = 15 + cell % 4;
  const int head = cx * cx + cy * cy;
  const int hairLine = -6 + (cell / 4) * 2;
  if (head <= radius * radius) {
    if (cy < hairLine) return static_cast<std::uint8_t>(hair + cell % 4);
    if ((cx == -6 || cx == -5 || cx == 5 || cx == 6) && cy >= -3 && cy <= -1) return eye;
    if (cy == 7 - cell % 3 && cx >= -5 && cx <= 5) return mouth;
    if (cy == 6 - cell % 3 && (cx == -6 || cx == 6)) return mouth;  // a smile
    return static_cast<std::uint8_t>(skin + (cell / 4) % 4);
  }
  if (head <= (radius + 3) * (radius + 3) && cy < hairLine + 2) {
    return static_cast<std::uint8_t>(hair + cell % 4);
  }
  return static_cast<std::uint8_t>(backdrop + cell % 4);
}

struct Rgb {
  std::uint8_t red, green, blue;
};

// Colours of the inks of one face set.
using Scheme = std::array<Rgb, 15>;

// Colours of background, 4 backdrops, 4 skins, 4 hair colours, eyes and mouth.
// clang-format off
constexpr Scheme kHeroColours = {{
    {0, 0, 0},
    {72, 96, 160}, {96, 144, 96}, {160, 96, 72}, {120, 96, 144},
    {250, 214, 180}, {232, 190, 150}, {198, 150, 110}, {150, 105, 70},
    {90, 56, 30}, {230, 200, 80}, {40, 40, 40}, {200, 90, 40},
    {20, 20, 60}, {190, 50, 60}}};
constexpr Scheme kFriendsColours = {{
    {0, 0, 0},
    {200, 220, 240}, {240, 220, 200}, {220, 240, 200}, {240, 200, 220},
    {255, 224, 196}, {240, 200, 170}, {210, 160, 120}, {170, 120, 80},
    {150, 40, 160}, {30, 120, 200}, {240, 240, 240}, {220, 60, 60},
    {0, 60, 0}, {230, 80, 120}}};
constexpr Scheme kSpiritColours = {{
    {0, 0, 0},
    {16, 24, 48}, {32, 16, 48}, {16, 40, 40}, {40, 24, 16},
    {200, 230, 255}, {180, 210, 250}, {160, 190, 240}, {128, 160, 224},
    {240, 250, 255}, {100, 128, 255}, {160, 255, 224}, {255, 255, 160},
    {255, 64, 32}, {64, 0, 96}}};
// clang-format on

// The face set's palette indices, rows top first.
Bytes drawIndices() {
  Bytes indices;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x)
      indices.push_back(inkAt(x, y));
  }
  return indices;
}

// An 8-bit BMP face set with the scheme's colours in its palette.
std::optional<Bytes> bmpFaceSet(const Scheme& scheme) {
  const Bytes indices = drawIndices();
  vantrix::Palette palette{};
  for (std::size_t i = 0; i < scheme.size(); ++i) {
    palette[i] = std::uint32_t{scheme[i].red} | std::uint32_t{scheme[i].green} << 8 |
                 std::uint32_t{scheme[i].blue} << 16;
  }
  constexpr auto side = static_cast<std::uint32_t>(kSize);
  const vantrix::BmpPicture picture{indices.data(), side, side, side, 1};
  Bytes file(vantrix::bmpFileSize(picture, vantrix::BmpIndices::paletted).value_or(0));
  if (vantrix::encodeBmp(picture, palette, file) != file.size()) return std::nullopt;
  return file;
}

// An XYZ face set written by the XYZ writer, with the scheme's colours.
std::optional<Bytes> xyzFaceSet(const Scheme& scheme) {
  constexpr auto side = static_cast<std::uint32_t>(kSize);
  vantrix::IndexedImage image{side, side, drawIndices(), {}};
  for (std::size_t i = 0; i < scheme.size(); ++i) {
    image.palette[i] = std::uint32_t{scheme[i].red} << 16 | std::uint32_t{scheme[i].green} << 8 |
                       std::uint32_t{scheme[i].blue};
  }
  vantrix::XyzError why = vantrix::XyzError::none;
  return vantrix::encodeXyz(image, why);
}

// A PNG face set of 8-bit RGBA pixels: the scheme's colours, the backdrop see-through.
std::optional<Bytes> pngFaceSet(const Scheme& scheme) {
  Bytes scanlines;
  for (int y = 0; y < kSize; ++y) {
    scanlines.push_back(0);  // filter type None
    for (int x = 0; x < kSize; ++x) {
      const std::uint8_t ink = inkAt(x, y);
      const Rgb colour = scheme[ink];
      const bool seeThrough = ink >= backdrop && ink < skin;
      scanlines.insert(scanlines.end(), {colour.red, colour.green, colour.blue,
                                         static_cast<std::uint8_t>(seeThrough ? 96 : 255)});
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(scanlines.size()));
  Bytes packed(packedSize);
  if (compress2(packed.data(), &packedSize, scanlines.data(), static_cast<uLong>(scanlines.size()),
                9) != Z_OK) {
    return std::nullopt;
  }
  packed.resize(packedSize);

  Bytes header;
  appendBe32(header, kSize);
  appendBe32(header, kSize);
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no interlace
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  appendPngChunk(png, "IHDR", header);
  appendPngChunk(png, "IDAT", packed);
  appendPngChunk(png, "IEND", {});
  return png;
}

bool writeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

Bytes bytesOf(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

}  // namespace

// Writes the example games into FOLDER: game/, whose faces come from a BMP, a PNG and an XYZ
// face set and the engine's run-time package, and unpacked-game/, a game made in other code
// pages and unpacked where file names are UTF-8: its save names a Shift-JIS hero and face sets
// in Shift-JIS (with a 0x5C second byte), GBK, UHC and Windows-1251.
int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_example FOLDER\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  struct Output {
    std::string name;  // UTF-8
    std::optional<Bytes> bytes;
  };
  const std::string heroJa = "\x83\x41\x83\x8C\x83\x62\x83\x4E\x83\x58";  // アレックス
  const Output outputs[] = {
      {"game/Save01.lsd", bytesOf(exampleSave("Alex", {"Hero", "Friends", "Spirits", "Monster1"}))},
      {"game/FaceSet/Hero.bmp", bmpFaceSet(kHeroColours)},
      {"game/FaceSet/Friends.png", pngFaceSet(kFriendsColours)},
      {"game/FaceSet/Spirits.xyz", xyzFaceSet(kSpiritColours)},
      {"unpacked-game/Save01.lsd",
       bytesOf(exampleSave(heroJa, {"\x83\x5C\x95\x5C",          // ソ表, Shift-JIS
                                    "\xD6\xF7\xBD\xC7",          // 主角, GBK
                                    "\xBE\xF3\xB1\xBC",          // 얼굴, UHC
                                    "\xC3\xE5\xF0\xEE\xE9"}))},  // Герой, 1251
      {"unpacked-game/FaceSet/ソ表.bmp", bmpFaceSet(kHeroColours)},
      {"unpacked-game/FaceSet/主角.png", pngFaceSet(kFriendsColours)},
      {"unpacked-game/FaceSet/얼굴.xyz", xyzFaceSet(kSpiritColours)},
      {"unpacked-game/FaceSet/Герой.bmp", bmpFaceSet(kHeroColours)},
  };
  for (const Output& output : outputs) {
    const std::filesystem::path path =
        folder / std::u8string(output.name.begin(), output.name.end());
    std::filesystem::create_directories(path.parent_path());
    if (!output.bytes || !writeFile(path, {reinterpret_cast<const char*>(output.bytes->data()),
                                           output.bytes->size()})) {
      std::cerr << "cannot write " << path << "\n";
      return 1;
    }
  }
  return 0;
}
