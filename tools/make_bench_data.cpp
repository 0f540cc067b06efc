// Writes the pictures and the game the benchmarks read, from a fixed recipe:
//   make_bench_data FOLDER
// gives
//   FOLDER/faceset/palette.png, rgb.png, rgba.png   192 × 192 face sets, 8 bits a sample
//   FOLDER/large/photo.png                          2048 × 2048 RGBA of photographic content
//   FOLDER/png-game/Save01.lsd                      a save whose four faces come from
//   FOLDER/png-game/FaceSet/Actors.png, ...         PNG face sets (two share one)
//   FOLDER/palette-game, bmp-game, xyz-game         saves whose four faces come from two
//                                                   256-colour face sets, two faces each:
//                                                   palette PNG, 8-bit BMP or XYZ files
//   FOLDER/faceless-game                            the same save, its FaceSet folder empty
// The PNG files are written the way common encoders write them: zlib level 6, a filter chosen
// per row by the smallest sum of absolute differences (None for palette images), and the image
// data split into 8 KiB "IDAT" chunks. BMP face sets are plain 8-bit files; XYZ face sets hold
// the palette and pixels in one zlib stream of level 9, as the engine's tools write them.

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "recipe.hpp"
#include "support/bytes_io.hpp"
#include "text/code_page.hpp"

namespace {

using vantrix::Bytes;

struct Rgba {
  std::uint8_t red = 0, green = 0, blue = 0, alpha = 255;
  bool operator==(const Rgba&) const = default;
};

struct Picture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<Rgba> pixels;
  Rgba& at(std::uint32_t x, std::uint32_t y) { return pixels[std::size_t{y} * width + x]; }
};

// A small, fixed pseudo-random sequence (splitmix64), so every run writes the same bytes.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

 private:
  std::uint64_t state_;
};

std::uint8_t toByte(double value) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0l, 255l));
}

// ---- PNG writing -------------------------------------------------------------------------

int paethPredictor(int a, int b, int c) {
  const int pa = std::abs(b - c);
  const int pb = std::abs(a - c);
  const int pc = std::abs(a + b - 2 * c);
  if (pa <= pb && pa <= pc) return a;
  if (pb <= pc) return b;
  return c;
}

// The row filtered with `type`; `prior` is the unfiltered row above (zeros for the first).
Bytes filterRow(int type, const Bytes& row, const Bytes& prior, std::size_t unit) {
  Bytes out(row.size() + 1);
  out[0] = static_cast<std::uint8_t>(type);
  for (std::size_t i = 0; i < row.size(); ++i) {
    const int a = i >= unit ? row[i - unit] : 0;
    const int b = prior[i];
    const int c = i >= unit ? prior[i - unit] : 0;
    int predicted = 0;
    switch (type) {
      case 1:
        predicted = a;
        break;
      case 2:
        predicted = b;
        break;
      case 3:
        predicted = (a + b) / 2;
        break;
      case 4:
        predicted = paethPredictor(a, b, c);
        break;
      default:
        break;
    }
    out[i + 1] = static_cast<std::uint8_t>(row[i] - predicted);
  }
  return out;
}

// Sum of the filtered bytes taken as signed values: the usual guess at what packs best.
std::uint64_t cost(const Bytes& filtered) {
  std::uint64_t sum = 0;
  for (std::size_t i = 1; i < filtered.size(); ++i) {
    sum += static_cast<std::uint64_t>(std::abs(static_cast<std::int8_t>(filtered[i])));
  }
  return sum;
}

// A picture of at most 256 colours as palette indices, top row first, and its palette of
// red, green, blue bytes in order of first appearance.
struct Indexed {
  Bytes palette;
  Bytes indices;
};

std::optional<Indexed> indexed(const Picture& picture) {
  std::map<std::uint32_t, std::uint8_t> paletteIndex;
  Indexed out;
  for (const Rgba& p : picture.pixels) {
    const std::uint32_t key = p.red << 16 | p.green << 8 | p.blue;
    auto known = paletteIndex.find(key);
    if (known == paletteIndex.end()) {
      if (paletteIndex.size() == 256) return std::nullopt;
      known = paletteIndex.emplace(key, static_cast<std::uint8_t>(paletteIndex.size())).first;
      out.palette.insert(out.palette.end(), {p.red, p.green, p.blue});
    }
    out.indices.push_back(known->second);
  }
  return out;
}

// An uncompressed 8-bit BMP, rows bottom first, with the picture's palette.
std::optional<Bytes> encodeBmp8(const Picture& picture) {
  const std::optional<Indexed> colours = indexed(picture);
  if (!colours) return std::nullopt;
  const std::uint32_t rowSize = (picture.width + 3) & ~3u;
  const std::uint32_t dataOffset = 14 + 40 + 256 * 4;
  const std::uint32_t fileSize = dataOffset + rowSize * picture.height;
  Bytes bmp = {'B', 'M'};
  for (std::uint32_t v : {fileSize, 0u, dataOffset, 40u, picture.width, picture.height}) {
    vantrix::testing::putLe32(bmp, v);
  }
  vantrix::testing::putLe16(bmp, 1);
  vantrix::testing::putLe16(bmp, 8);
  for (std::uint32_t v : {0u, rowSize * picture.height, 2834u, 2834u, 256u, 256u}) {
    vantrix::testing::putLe32(bmp, v);
  }
  for (std::size_t i = 0; i < 256; ++i) {
    const std::size_t at = 3 * i;
    const bool used = at < colours->palette.size();
    bmp.insert(bmp.end(), {used ? colours->palette[at + 2] : std::uint8_t{0},
                           used ? colours->palette[at + 1] : std::uint8_t{0},
                           used ? colours->palette[at] : std::uint8_t{0}, 0});
  }
  for (std::uint32_t y = picture.height; y-- > 0;) {
    const auto row = colours->indices.begin() + static_cast<std::ptrdiff_t>(y * picture.width);
    bmp.insert(bmp.end(), row, row + picture.width);
    bmp.resize(bmp.size() + rowSize - picture.width, 0);
  }
  return bmp;
}

// An XYZ file: "XYZ1", the 16-bit width and height, and one zlib stream of the 256-colour
// palette and the indices.
std::optional<Bytes> encodeXyz(const Picture& picture) {
  std::optional<Indexed> colours = indexed(picture);
  if (!colours) return std::nullopt;
  Bytes content = colours->palette;
  content.resize(768, 0);
  content.insert(content.end(), colours->indices.begin(), colours->indices.end());
  uLongf packedSize = compressBound(static_cast<uLong>(content.size()));
  Bytes xyz = {'X', 'Y', 'Z', '1'};
  vantrix::testing::putLe16(xyz, picture.width);
  vantrix::testing::putLe16(xyz, picture.height);
  const std::size_t header = xyz.size();
  xyz.resize(header + packedSize);
  if (compress2(xyz.data() + header, &packedSize, content.data(),
                static_cast<uLong>(content.size()), 9) != Z_OK) {
    return std::nullopt;
  }
  xyz.resize(header + packedSize);
  return xyz;
}

// colourType 2 (RGB), 6 (RGBA) or 3 (palette, in order of first appearance).
std::optional<Bytes> encodePng(Picture& picture, int colourType) {
  std::map<std::uint32_t, std::uint8_t> paletteIndex;
  Bytes plte;
  if (colourType == 3) {
    const std::optional<Indexed> colours = indexed(picture);
    if (!colours) return std::nullopt;
    plte = colours->palette;
    for (std::size_t i = 0; i < plte.size(); i += 3) {
      paletteIndex.emplace(plte[i] << 16 | plte[i + 1] << 8 | plte[i + 2],
                           static_cast<std::uint8_t>(i / 3));
    }
  }
  const std::size_t unit = colourType == 3 ? 1 : colourType == 2 ? 3 : 4;
  Bytes scanlines;
  Bytes prior(picture.width * unit, 0);
  for (std::uint32_t y = 0; y < picture.height; ++y) {
    Bytes row;
    for (std::uint32_t x = 0; x < picture.width; ++x) {
      const Rgba& p = picture.at(x, y);
      if (colourType == 3) {
        row.push_back(
            paletteIndex[static_cast<std::uint32_t>(p.red << 16 | p.green << 8 | p.blue)]);
      } else {
        row.insert(row.end(), {p.red, p.green, p.blue});
        if (colourType == 6) row.push_back(p.alpha);
      }
    }
    Bytes best = filterRow(0, row, prior, unit);
    if (colourType != 3) {
      for (int type = 1; type <= 4; ++type) {
        Bytes candidate = filterRow(type, row, prior, unit);
        if (cost(candidate) < cost(best)) best = std::move(candidate);
      }
    }
    scanlines.insert(scanlines.end(), best.begin(), best.end());
    prior = std::move(row);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(scanlines.size()));
  Bytes packed(packedSize);
  if (compress2(packed.data(), &packedSize, scanlines.data(), static_cast<uLong>(scanlines.size()),
                6) != Z_OK) {
    return std::nullopt;
  }
  packed.resize(packedSize);

  Bytes header;
  recipe::appendBe32(header, picture.width);
  recipe::appendBe32(header, picture.height);
  header.insert(header.end(), {8, static_cast<std::uint8_t>(colourType), 0, 0, 0});
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  recipe::appendPngChunk(png, "IHDR", header);
  if (colourType == 3) recipe::appendPngChunk(png, "PLTE", plte);
  constexpr std::size_t kIdatSize = 8192;
  for (std::size_t at = 0; at < packed.size(); at += kIdatSize) {
    recipe::appendPngChunk(png, "IDAT", packed.data() + at,
                           std::min(kIdatSize, packed.size() - at));
  }
  recipe::appendPngChunk(png, "IEND", Bytes{});
  return png;
}

// ---- Face sets ---------------------------------------------------------------------------

struct Colour {
  double red, green, blue;
};

Colour scaled(Colour c, double f) {
  return {c.red * f, c.green * f, c.blue * f};
}

struct FacePalette {
  std::array<Colour, 4> skins;
  std::array<Colour, 4> hairs;
  std::array<Colour, 4> backdrops;
};

// One sample of a face set at (x, y) in pixels (fractions allowed): a shaded head with hair,
// eyes and a mouth on a backdrop of a gentle gradient. Alpha 0 on the backdrop.
Rgba faceSample(const FacePalette& look, double x, double y, bool seeThroughBackdrop) {
  const int cellX = std::min(3, static_cast<int>(x / 48));
  const int cellY = std::min(3, static_cast<int>(y / 48));
  const int cell = cellY * 4 + cellX;
  const double cx = x - cellX * 48 - 24;
  const double cy = y - cellY * 48 - 26;
  const double radius = 14.5 + cell % 4;
  const double stretch = 1.0 + 0.04 * (cell / 4);
  const double distance = std::sqrt(cx * cx + (cy / stretch) * (cy / stretch));
  const double hairLine = -6.0 + (cell / 4) * 2;
  // Light from the upper left on a sphere.
  const double nx = cx / radius;
  const double ny = cy / (radius * stretch);
  const double nz = std::sqrt(std::max(0.0, 1.0 - nx * nx - ny * ny));
  const double light = 0.55 + 0.45 * std::clamp(-0.5 * nx - 0.6 * ny + 0.62 * nz, 0.0, 1.0);

  Colour colour{};
  double alpha = 255;
  if (distance <= radius) {
    if (cy < hairLine + 1.5 * std::sin(cx * 0.7 + cell)) {
      const double strands = 0.85 + 0.15 * std::sin(cx * 1.3 + cy * 0.4 + cell);
      colour = scaled(look.hairs[static_cast<std::size_t>(cell % 4)], light * strands);
    } else if (std::abs(std::abs(cx) - 5.5) < 1.2 && cy > -3.5 && cy < -0.5) {
      colour =
          (cx < 0 ? cx < -5.8 : cx > 5.8) && cy < -2 ? Colour{250, 250, 250} : Colour{30, 24, 40};
    } else if (std::abs(cy - (7.0 - cell % 3) + 0.02 * cx * cx) < 0.7 && std::abs(cx) < 6) {
      colour = {150, 50, 60};
    } else {
      colour = scaled(look.skins[static_cast<std::size_t>((cell / 4) % 4)], light);
    }
    if (distance > radius - 1.0) colour = scaled(colour, 0.55);  // the outline
  } else if (distance <= radius + 3 && cy < hairLine + 2) {
    colour = scaled(look.hairs[static_cast<std::size_t>(cell % 4)], 0.8 * light);
  } else {
    const double fade = 1.05 - 0.25 * (y - cellY * 48) / 48.0;
    colour = scaled(look.backdrops[static_cast<std::size_t>(cell % 4)], fade);
    if (seeThroughBackdrop) alpha = 0;
  }
  return {toByte(colour.red), toByte(colour.green), toByte(colour.blue), toByte(alpha)};
}

// A 192 × 192 face set. Smooth: 4 × 4 samples a pixel, so edges and shading blend; otherwise
// one sample a pixel and colours reduced to a few levels, as 256-colour face sets are drawn.
Picture faceSet(const FacePalette& look, bool smooth, bool seeThroughBackdrop) {
  Picture picture{192, 192, std::vector<Rgba>(192 * 192)};
  for (std::uint32_t y = 0; y < 192; ++y) {
    for (std::uint32_t x = 0; x < 192; ++x) {
      if (!smooth) {
        Rgba p = faceSample(look, x + 0.5, y + 0.5, seeThroughBackdrop);
        // Six levels of red and blue, seven of green: at most 252 colours.
        p.red = static_cast<std::uint8_t>((p.red * 5 + 127) / 255 * 51);
        p.green = static_cast<std::uint8_t>((p.green * 6 + 127) / 255 * 255 / 6);
        p.blue = static_cast<std::uint8_t>((p.blue * 5 + 127) / 255 * 51);
        picture.at(x, y) = p;
        continue;
      }
      double sum[4] = {};
      for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) {
          const Rgba s =
              faceSample(look, x + (sx + 0.5) / 4, y + (sy + 0.5) / 4, seeThroughBackdrop);
          sum[0] += s.red * s.alpha;
          sum[1] += s.green * s.alpha;
          sum[2] += s.blue * s.alpha;
          sum[3] += s.alpha;
        }
      }
      // Colours weighted by coverage; a wholly see-through pixel keeps its backdrop colour.
      const Rgba plain = faceSample(look, x + 0.5, y + 0.5, false);
      const double cover = sum[3];
      picture.at(x, y) = cover == 0 ? Rgba{plain.red, plain.green, plain.blue, 0}
                                    : Rgba{toByte(sum[0] / cover), toByte(sum[1] / cover),
                                           toByte(sum[2] / cover), toByte(cover / 16)};
    }
  }
  return picture;
}

const FacePalette kActors = {{{{250, 214, 180}, {232, 190, 150}, {198, 150, 110}, {150, 105, 70}}},
                             {{{90, 56, 30}, {230, 200, 80}, {40, 40, 40}, {200, 90, 40}}},
                             {{{72, 96, 160}, {96, 144, 96}, {160, 96, 72}, {120, 96, 144}}}};
const FacePalette kHeroes = {
    {{{255, 224, 196}, {240, 200, 170}, {210, 160, 120}, {170, 120, 80}}},
    {{{150, 40, 160}, {30, 120, 200}, {240, 240, 240}, {220, 60, 60}}},
    {{{200, 220, 240}, {240, 220, 200}, {220, 240, 200}, {240, 200, 220}}}};
const FacePalette kGuests = {{{{200, 230, 255}, {180, 210, 250}, {160, 190, 240}, {128, 160, 224}}},
                             {{{240, 250, 255}, {100, 128, 255}, {160, 255, 224}, {255, 255, 160}}},
                             {{{16, 24, 48}, {32, 16, 48}, {16, 40, 40}, {40, 24, 16}}}};

// ---- A photograph ------------------------------------------------------------------------

// Smooth noise: random values on a grid of `cell` pixels, blended with a smooth step.
class ValueNoise {
 public:
  ValueNoise(std::uint32_t size, std::uint32_t cell, Random& random)
      : cell_(cell), side_(size / cell + 2), values_(std::size_t{side_} * side_) {
    for (double& v : values_)
      v = random.unit();
  }
  double at(std::uint32_t x, std::uint32_t y) const {
    const std::uint32_t gx = x / cell_;
    const std::uint32_t gy = y / cell_;
    const double fx = smooth(static_cast<double>(x % cell_) / cell_);
    const double fy = smooth(static_cast<double>(y % cell_) / cell_);
    const double top = mix(grid(gx, gy), grid(gx + 1, gy), fx);
    const double bottom = mix(grid(gx, gy + 1), grid(gx + 1, gy + 1), fx);
    return mix(top, bottom, fy);
  }

 private:
  static double smooth(double t) { return t * t * (3 - 2 * t); }
  static double mix(double a, double b, double t) { return a + (b - a) * t; }
  double grid(std::uint32_t x, std::uint32_t y) const {
    return values_[std::size_t{y} * side_ + x];
  }

  std::uint32_t cell_;
  std::uint32_t side_;
  std::vector<double> values_;
};

// Landscape-like light and colour over several scales, with sensor grain on top: it packs
// to about half its size, as photographs in PNG files do.
Picture photograph(std::uint32_t size) {
  Random random(2048);
  std::vector<std::array<ValueNoise, 3>> octaves;
  for (std::uint32_t cell = 512; cell >= 4; cell /= 2) {
    octaves.push_back({ValueNoise(size, cell, random), ValueNoise(size, cell, random),
                       ValueNoise(size, cell, random)});
  }
  Picture picture{size, size, std::vector<Rgba>(std::size_t{size} * size)};
  for (std::uint32_t y = 0; y < size; ++y) {
    for (std::uint32_t x = 0; x < size; ++x) {
      double channel[3] = {};
      double weight = 1;
      for (const auto& octave : octaves) {
        for (int c = 0; c < 3; ++c)
          channel[c] += weight * octave[static_cast<std::size_t>(c)].at(x, y);
        weight *= 0.55;
      }
      // A sky that brightens towards the top, warmer ground below.
      const double height = static_cast<double>(y) / size;
      const double light = 150 * channel[0] - 40 + 60 * (1 - height);
      const double grain = [&] { return (random.unit() + random.unit() - 1) * 9; }();
      picture.at(x, y) = {toByte(light + 40 * (channel[1] - 1) + 25 * height + grain),
                          toByte(light + 20 * (channel[2] - 1) + grain),
                          toByte(light - 30 * (channel[1] - 1) + 40 * (1 - height) + grain), 255};
    }
  }
  return picture;
}

// ---- The game ----------------------------------------------------------------------------

// A save whose party of four shows faces from the face sets named, each with its index.
std::string gameSave(const std::array<std::pair<const char*, std::uint32_t>, 4>& faces,
                     const char* hero = "Mira") {
  using recipe::chunk;
  using recipe::doubleBytes;
  using recipe::field;
  using recipe::number;
  const double savedAt = 46363.0 + (21 * 3600 + 3 * 60 + 9) / 86400.0;
  std::string save = number(11) + "LcfSaveData";
  std::string party;
  for (std::uint32_t slot = 0; slot < 4; ++slot) {
    party +=
        field(21 + 2 * slot, faces[slot].first) + field(22 + 2 * slot, number(faces[slot].second));
  }
  save += chunk(100, field(1, doubleBytes(savedAt)) + field(11, hero) + field(12, number(27)) +
                         field(13, number(1480)) + party);
  save += chunk(101, field(11, number(2345678)));
  save += field(104, "party and map data the preview does not read");
  save += chunk(109, field(21, number(98765)));
  return save;
}

bool writeFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// The path of a UTF-8 file name.
std::filesystem::path utf8Path(const std::string& name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

// A Japanese game's Chinese edition, as one was measured: its save names three XYZ face sets
// in Shift-JIS bytes, while its files carry those bytes read as GBK (so each is found only by
// the third code page tried), among the other files of a game folder and many other face
// sets of non-ASCII names; two of the party share a face set. Nothing but the three face sets
// is read, so the other files are empty.
bool writeCjkGame(const std::filesystem::path& game, const std::array<Bytes, 3>& faceSets) {
  namespace fs = std::filesystem;
  // 主人公, 仲間 and 敵役 in Shift-JIS; the hero アレックス.
  const std::string names[3] = {"\x8E\xE5\x90\x6C\x8C\xF6", "\x92\x87\x8A\xD4", "\x93\x47\x96\xF0"};
  const std::string save = gameSave({{{names[0].c_str(), 0},
                                      {names[1].c_str(), 5},
                                      {names[0].c_str(), 9},
                                      {names[2].c_str(), 15}}},
                                    "\x83\x41\x83\x8C\x83\x62\x83\x4E\x83\x58");
  bool ok = true;
  for (const char* folder :
       {"Backdrop", "Battle", "CharSet", "ChipSet", "FaceSet", "GameOver", "Monster", "Movie",
        "Music", "Panorama", "Picture", "Sound", "System", "Title"}) {
    fs::create_directories(game / folder);
  }
  for (int slot = 1; slot <= 15; ++slot) {
    char name[16];
    std::snprintf(name, sizeof name, "Save%02d.lsd", slot);
    ok = writeFile(game / name, Bytes(save.begin(), save.end())) && ok;
  }
  for (const char* file : {"RPG_RT.exe", "RPG_RT.ini", "RPG_RT.ldb", "RPG_RT.lmt", "ultimate.dll"})
    ok = writeFile(game / file, {}) && ok;
  for (int map = 1; map <= 40; ++map) {
    char name[16];
    std::snprintf(name, sizeof name, "Map%04d.lmu", map);
    ok = writeFile(game / name, {}) && ok;
  }
  for (std::size_t i = 0; i < 3; ++i) {
    const std::optional<std::string> gbk = vantrix::decodeToUtf8(names[i], vantrix::CodePage::gbk);
    ok = gbk && writeFile(game / "FaceSet" / utf8Path(*gbk + ".xyz"), faceSets[i]) && ok;
  }
  // Thirty more face sets, named in Chinese as the edition names them.
  for (int i = 0; i < 30; ++i) {
    const std::string name = "\xE8\xA7\x92\xE8\x89\xB2" + std::to_string(i) + ".xyz";  // 角色<i>
    ok = writeFile(game / "FaceSet" / utf8Path(name), {}) && ok;
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_bench_data FOLDER\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  for (const char* sub : {"faceset", "large", "png-game/FaceSet", "palette-game/FaceSet",
                          "bmp-game/FaceSet", "xyz-game/FaceSet", "faceless-game/FaceSet"}) {
    std::filesystem::create_directories(folder / sub);
  }
  Picture actors = faceSet(kActors, /*smooth=*/false, /*seeThroughBackdrop=*/false);
  Picture heroes = faceSet(kHeroes, /*smooth=*/true, /*seeThroughBackdrop=*/false);
  Picture guests = faceSet(kGuests, /*smooth=*/true, /*seeThroughBackdrop=*/true);
  // A second 256-colour face set, drawn like the first in other colours.
  Picture monsters = faceSet(kGuests, /*smooth=*/false, /*seeThroughBackdrop=*/false);
  Picture photo = photograph(2048);
  const std::optional<Bytes> palettePng = encodePng(actors, 3);
  const std::optional<Bytes> monstersPng = encodePng(monsters, 3);
  const std::optional<Bytes> actorsBmp = encodeBmp8(actors);
  const std::optional<Bytes> monstersBmp = encodeBmp8(monsters);
  const std::optional<Bytes> actorsXyz = encodeXyz(actors);
  const std::optional<Bytes> monstersXyz = encodeXyz(monsters);
  const std::optional<Bytes> rgbPng = encodePng(heroes, 2);
  const std::optional<Bytes> rgbaPng = encodePng(guests, 6);
  const std::optional<Bytes> photoPng = encodePng(photo, 6);
  // The PNG game's party: the first two share a face set, as members drawn by one artist
  // often do. The 256-colour games: two faces from each of two face sets.
  const std::string save =
      gameSave({{{"Actors", 0}, {"Actors", 5}, {"Heroes", 10}, {"Guests", 15}}});
  const std::string twoSetsSave =
      gameSave({{{"Actors", 0}, {"Monsters", 6}, {"Actors", 9}, {"Monsters", 15}}});
  struct Output {
    const char* name;
    const std::optional<Bytes>& bytes;
  };
  const std::optional<Bytes> saveBytes = Bytes(save.begin(), save.end());
  const std::optional<Bytes> twoSetsSaveBytes = Bytes(twoSetsSave.begin(), twoSetsSave.end());
  const Output outputs[] = {
      {"faceset/palette.png", palettePng},
      {"faceset/rgb.png", rgbPng},
      {"faceset/rgba.png", rgbaPng},
      {"large/photo.png", photoPng},
      {"png-game/Save01.lsd", saveBytes},
      {"png-game/FaceSet/Actors.png", palettePng},
      {"png-game/FaceSet/Heroes.png", rgbPng},
      {"png-game/FaceSet/Guests.png", rgbaPng},
      {"palette-game/Save01.lsd", twoSetsSaveBytes},
      {"palette-game/FaceSet/Actors.png", palettePng},
      {"palette-game/FaceSet/Monsters.png", monstersPng},
      {"bmp-game/Save01.lsd", twoSetsSaveBytes},
      {"bmp-game/FaceSet/Actors.bmp", actorsBmp},
      {"bmp-game/FaceSet/Monsters.bmp", monstersBmp},
      {"xyz-game/Save01.lsd", twoSetsSaveBytes},
      {"xyz-game/FaceSet/Actors.xyz", actorsXyz},
      {"xyz-game/FaceSet/Monsters.xyz", monstersXyz},
      // The same party with its FaceSet folder empty: what a conversion costs with no face
      // to draw, its floor.
      {"faceless-game/Save01.lsd", twoSetsSaveBytes},
  };
  for (const Output& output : outputs) {
    if (!output.bytes || !writeFile(folder / output.name, *output.bytes)) {
      std::cerr << "cannot write " << (folder / output.name) << "\n";
      return 1;
    }
  }
  // The CJK game's face sets inflate, as the real edition's do, to the palette and pixels only
  // (37.6 KB each), which pack about as well as that edition's.
  const std::optional<Bytes> villainsXyz =
      encodeXyz(faceSet(kHeroes, /*smooth=*/false, /*seeThroughBackdrop=*/false));
  if (!actorsXyz || !monstersXyz || !villainsXyz ||
      !writeCjkGame(folder / "cjk-game", {*actorsXyz, *monstersXyz, *villainsXyz})) {
    std::cerr << "cannot write " << (folder / "cjk-game") << "\n";
    return 1;
  }
  return 0;
}
