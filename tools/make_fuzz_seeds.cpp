// Writes the seed inputs of the fuzz targets into fuzz/corpus/<target>/, from the same
// recipes the unit tests build their files with:
//   cmake --build build --target make_fuzz_seeds && build/make_fuzz_seeds fuzz/corpus
// Regression inputs found by fuzzing live beside the seeds and are never rewritten.

#include <cstdio>
#include <string>
#include <vector>

#include "common/bytes.hpp"
#include "support/bmp_builder.hpp"
#include "support/bytes_io.hpp"
#include "support/png_builder.hpp"
#include "support/save_builder.hpp"
#include "support/xyz_builder.hpp"

namespace {

using namespace vantrix;
using namespace vantrix::testing;

Bytes asBytes(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

// A save of every field the preview shows, its faces in face sets Set0 to Set2.
std::string fullSave() {
  return saveFile({
      chunk(100, {sub(1, doubleBytes(46364.84)), sub(11, "Alex & <Co>\t"), sub(12, number(12)),
                  sub(13, number(345)), sub(21, "Set0"), sub(22, number(1)), sub(23, "SET1"),
                  sub(24, number(5)), sub(25, "set2"), sub(26, number(15)), sub(27, "Rtp"),
                  sub(28, number(3))}),
      chunk(101, {sub(11, number(1234567))}),
      rawChunk(104, "skipped"),
      chunk(109, {sub(21, number(4321))}),
  });
}

IndexRows patternRows(int width, int height, int colours) {
  IndexRows rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      rows[static_cast<std::size_t>(y)].push_back(static_cast<std::uint8_t>((x + 3 * y) % colours));
  }
  return rows;
}

Bytes paletted(int width, int height, int bits, bool topDown = false, std::uint32_t infoSize = 40) {
  BmpRecipe recipe;
  recipe.width = width;
  recipe.height = topDown ? -height : height;
  recipe.bitsPerPixel = static_cast<std::uint16_t>(bits);
  recipe.infoSize = infoSize;
  recipe.palette = distinctPalette(std::size_t{1} << bits);
  recipe.pixelData = packRows(patternRows(width, height, 1 << bits), bits, topDown);
  return buildBmp(recipe);
}

Bytes runLength(int bits, Bytes data) {
  BmpRecipe recipe;
  recipe.width = 8;
  recipe.height = 4;
  recipe.bitsPerPixel = static_cast<std::uint16_t>(bits);
  recipe.compression = bits == 8 ? 1 : 2;
  recipe.palette = distinctPalette(16);
  recipe.pixelData = std::move(data);
  return buildBmp(recipe);
}

std::vector<std::pair<std::string, Bytes>> bmpSeeds() {
  Bytes rawShort = {0xFD, 0, 0, 0, 0, 16, 0};
  for (int i = 0; i < 16; ++i)
    rawShort.push_back(static_cast<std::uint8_t>(i));
  Bytes rawLong = {0xFE, 8, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
  for (int i = 0; i < 768; ++i)
    rawLong.push_back(static_cast<std::uint8_t>(i % 64));
  BmpRecipe fields;
  fields.compression = 3;
  fields.pixelData = {1, 2, 3, 4};
  return {
      {"8bit", paletted(6, 5, 8)},
      {"4bit", paletted(9, 3, 4)},
      {"1bit", paletted(17, 2, 1)},
      {"8bit-topdown", paletted(5, 4, 8, true)},
      {"4bit-os2", paletted(7, 3, 4, false, 12)},
      {"rle8", runLength(8, {3, 1, 0, 3, 7, 8, 9, 0, 0, 0, 0, 2, 1, 1, 2, 4, 0, 0, 0, 1})},
      {"rle4", runLength(4, {5, 0x12, 0, 4, 0x34, 0x56, 0, 0, 0, 2, 2, 1, 3, 0x77, 0, 1})},
      {"raw-short", rawShort},
      {"raw-long", rawLong},
      {"bitfields", buildBmp(fields)},
  };
}

// With pieces > 1 the stream is cut into that many "IDAT" chunks and the extra chunks stand
// after the first, where a decoder that joins the pieces in place must have read them.
Bytes pngOf(std::uint32_t width, std::uint32_t height, std::uint8_t depth, std::uint8_t type,
            std::uint8_t interlace, std::vector<ChunkRecipe> extra = {}, std::size_t pieces = 1) {
  const std::size_t channels = type == 2 ? 3 : type == 4 ? 2 : type == 6 ? 4 : 1;
  const std::size_t rowBytes = (width * depth * channels + 7) / 8;
  // Adam7 rows are never longer than plain ones, and a short stream is refused only by size:
  // plain rows of a varied filter keep the seed decodable.
  Bytes scanlines;
  if (interlace == 0) {
    Bytes prior(rowBytes, 0);
    for (std::uint32_t y = 0; y < height; ++y) {
      Bytes row(rowBytes);
      for (std::size_t i = 0; i < rowBytes; ++i)
        row[i] = static_cast<std::uint8_t>(i * 7 + y * 13);
      const Bytes filtered = filterRow(static_cast<std::uint8_t>(y % 5), row, prior,
                                       std::max<std::size_t>(1, depth / 8 * channels));
      scanlines.insert(scanlines.end(), filtered.begin(), filtered.end());
      prior = row;
    }
  } else {
    // Adam7 passes of an 8 × 8 image: rows of 1, 1, 2, 2, 4, 4 and 8 pixels.
    const std::uint32_t passRows[7] = {1, 1, 1, 2, 2, 4, 4};
    const std::uint32_t passWidth[7] = {1, 1, 2, 2, 4, 4, 8};
    for (int p = 0; p < 7; ++p) {
      for (std::uint32_t r = 0; r < passRows[p]; ++r) {
        scanlines.push_back(static_cast<std::uint8_t>(r % 5));
        const std::size_t bytes = (passWidth[p] * depth * channels + 7) / 8;
        for (std::size_t i = 0; i < bytes; ++i)
          scanlines.push_back(static_cast<std::uint8_t>(i + r));
      }
    }
  }
  std::vector<ChunkRecipe> chunks = {ihdr(width, height, depth, type, interlace)};
  const Bytes stream = zlib(scanlines);
  for (std::size_t i = 0; i < pieces; ++i) {
    if (i == std::min<std::size_t>(pieces - 1, 1))
      chunks.insert(chunks.end(), extra.begin(), extra.end());
    const auto from = static_cast<std::ptrdiff_t>(stream.size() * i / pieces);
    const auto to = static_cast<std::ptrdiff_t>(stream.size() * (i + 1) / pieces);
    chunks.push_back(idat(Bytes(stream.begin() + from, stream.begin() + to)));
  }
  chunks.push_back(iend());
  return pngFile(chunks);
}

std::vector<std::pair<std::string, Bytes>> pngSeeds() {
  return {
      {"grey1", pngOf(9, 3, 1, 0, 0)},
      {"grey16-key", pngOf(4, 4, 16, 0, 0, {trns(bytesOf({0, 7}))})},
      {"rgb8", pngOf(5, 4, 8, 2, 0)},
      {"rgb16-key", pngOf(3, 3, 16, 2, 0, {trns(bytesOf({0, 1, 0, 2, 0, 3}))})},
      {"palette4-alpha", pngOf(7, 3, 4, 3, 0, {plte(16), trns(bytesOf({0, 128, 255}))})},
      {"palette8", pngOf(6, 2, 8, 3, 0, {plte(200)})},
      {"greyalpha8", pngOf(4, 3, 8, 4, 0)},
      {"rgba16", pngOf(3, 2, 16, 6, 0)},
      {"rgba8-adam7", pngOf(8, 8, 8, 6, 1)},
      {"palette2-adam7", pngOf(8, 8, 2, 3, 1, {plte(4)})},
      {"palette8-split", pngOf(9, 6, 8, 3, 0, {plte(60), trns(bytesOf({9, 99}))}, 3)},
  };
}

std::vector<std::pair<std::string, Bytes>> xyzSeeds() {
  return {
      {"4x4", xyzFile(4, 4, zlibStream(xyzContent(4, 4)))},
      {"17x3-trailing", xyzFile(17, 3, zlibStream(xyzContent(17, 3, 100), 9))},
      {"1x1-stored", xyzFile(1, 1, zlibStream(xyzContent(1, 1), 0))},
      {"short-stream", xyzFile(8, 8, zlibStream(Bytes(700, 1)))},
  };
}

std::vector<std::pair<std::string, Bytes>> base64Seeds() {
  return {
      {"text", asBytes(std::string(1, '\x04') + "QWxleCAmIENvLg==")},
      {"lines", asBytes(std::string(1, '\x10') + "Qk0+AAAAAAAAAD4AAAAo\r\nAAAAAQAAAAEAAAAB\r\n")},
      {"odd", asBytes(std::string(1, '\x00') + "Zm9v\r\r\n\nYm=Fy!")},
  };
}

// Streams of every block type: stored, fixed and dynamic codes, long matches. The mode byte's
// low bit asks for the size zlib inflates them to.
std::vector<std::pair<std::string, Bytes>> inflateSeeds() {
  Bytes text;
  for (int i = 0; i < 3000; ++i)
    text.push_back(static_cast<std::uint8_t>("vantrix face sets "[i % 18] + (i / 700)));
  const Bytes zeros(70000, 0);
  auto seed = [](const Bytes& bytes, int level, bool exact) {
    Bytes input = {1, 0, 0};
    if (exact) {
      input = {static_cast<std::uint8_t>((bytes.size() >> 16) << 1),
               static_cast<std::uint8_t>(bytes.size()),
               static_cast<std::uint8_t>(bytes.size() >> 8)};
    }
    const Bytes stream = zlibStream(bytes, level);
    input.insert(input.end(), stream.begin(), stream.end());
    return input;
  };
  return {
      {"stored", seed(Bytes(text.begin(), text.begin() + 300), 0, false)},
      {"fixed", seed(Bytes(text.begin(), text.begin() + 40), 9, false)},
      {"dynamic", seed(text, 9, true)},
      {"fast", seed(text, 1, false)},
      {"zeros", seed(zeros, 9, true)},
      {"empty", seed({}, 6, false)},
  };
}

// count, then kind:1 length:2 bytes for each face set, then the save.
Bytes conversionInput(const std::vector<std::pair<int, Bytes>>& faceSets, const std::string& save) {
  Bytes input = {static_cast<std::uint8_t>(faceSets.size())};
  for (const auto& [kind, bytes] : faceSets) {
    input.push_back(static_cast<std::uint8_t>(kind));
    putLe16(input, static_cast<std::uint32_t>(bytes.size()));
    input.insert(input.end(), bytes.begin(), bytes.end());
  }
  input.insert(input.end(), save.begin(), save.end());
  return input;
}

std::vector<std::pair<std::string, Bytes>> conversionSeeds() {
  const std::string save = fullSave();
  const Bytes bmp = paletted(24, 20, 8);
  const Bytes png = pngOf(20, 12, 8, 2, 0);
  const Bytes xyz = xyzFile(24, 16, zlibStream(xyzContent(24, 16)));
  // Larger than a face set: the faces come from the corner the loader keeps.
  const Bytes largePng = pngOf(200, 197, 1, 0, 0, {}, 4);
  const Bytes largeXyz = xyzFile(300, 199, zlibStream(xyzContent(300, 199), 9));
  return {
      {"three-kinds", conversionInput({{0, bmp}, {1, png}, {2, xyz}}, save)},
      {"large-face-sets", conversionInput({{1, largePng}, {2, largeXyz}}, save)},
      {"rle-bmp", conversionInput({{0, runLength(8, {3, 1, 0, 3, 7, 8, 9, 0, 0, 1})}}, save)},
      {"no-face-sets", conversionInput({}, save)},
      {"not-a-save", conversionInput({{0, bmp}}, "LcfSaveData")},
  };
}

int writeAll(const std::string& folder, const std::string& target,
             const std::vector<std::pair<std::string, Bytes>>& seeds) {
  int failures = 0;
  for (const auto& [name, bytes] : seeds) {
    const std::string path = folder + "/" + target + "/seed-" + name;
    if (!testing::writeFile(path, bytes)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      ++failures;
    }
  }
  return failures;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds <corpus folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  const std::string hero(1000, 'N');
  std::vector<std::pair<std::string, Bytes>> saves = {
      {"full", asBytes(fullSave())},
      {"header-only", asBytes(saveFile({}))},
      {"long-numbers",
       asBytes(saveFile({chunk(100, {sub(12, "\xFF\xFF\xFF\xFF\x7F"), sub(13, "\x80\x80\x01")})}))},
      {"control-names", asBytes(saveFile({chunk(100, {sub(11, std::string("a\0b\r\n--]]>", 10)),
                                                      sub(12, number(1)), sub(21, "x<&>")})}))},
      {"overlong-chunk", asBytes(number(11) + "LcfSaveData" + number(100) + number(0x7FFFFFFF) +
                                 number(11) + number(4) + "Hero")},
      {"long-hero", asBytes(saveFile({chunk(100, {sub(11, hero), sub(12, number(99))})}))},
  };
  int failures = writeAll(folder, "save", saves);
  failures += writeAll(folder, "bmp", bmpSeeds());
  failures += writeAll(folder, "png", pngSeeds());
  failures += writeAll(folder, "xyz", xyzSeeds());
  failures += writeAll(folder, "base64", base64Seeds());
  failures += writeAll(folder, "conversion", conversionSeeds());
  failures += writeAll(folder, "inflate", inflateSeeds());
  return failures == 0 ? 0 : 1;
}
