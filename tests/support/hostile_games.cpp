#include "support/hostile_games.hpp"

#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/bmp_builder.hpp"
#include "support/bytes_io.hpp"
#include "support/png_builder.hpp"
#include "support/save_builder.hpp"
#include "support/xyz_builder.hpp"

namespace vantrix::testing {
namespace {

// A save whose four faces all come from face set `name`: each is decoded on its own.
std::string saveOfFaces(const std::string& name) {
  return saveFile({chunk(100, {sub(12, number(1)), sub(21, name), sub(22, number(0)), sub(23, name),
                               sub(24, number(5)), sub(25, name), sub(26, number(10)),
                               sub(27, name), sub(28, number(15))})});
}

HostileGame faceSetGame(const std::string& file, Bytes bytes) {
  const std::string name = file.substr(0, file.find('.'));
  return {saveOfFaces(name), {{file, std::move(bytes)}}, {}};
}

// Saves.

HostileGame heroNameOfLineBreaks() {
  // Each CR becomes "&#13;" in the document: five times the name.
  const std::string name(kLargestSave - 64, '\r');
  return {saveFile({chunk(100, {sub(11, name), sub(12, number(1))})}), {}, {}};
}

HostileGame endlessNumber() {
  std::string save = saveFile({});
  save.resize(kLargestSave, '\x80');
  return {save, {}, {}};
}

HostileGame manySubChunks() {
  // One chunk 100 of declared length 2^31 - 1 holding tiny hero names, one after another.
  std::string save = number(11) + "LcfSaveData" + number(100) + number(0x7FFFFFFF);
  const std::string tiny = number(11) + number(1) + "x";
  while (save.size() + tiny.size() <= kLargestSave)
    save += tiny;
  return {save, {}, {}};
}

// PNG face sets.

HostileGame pngHugeHeader() {
  Bytes data(kLargestFaceSet - 100);
  for (std::size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<std::uint8_t>(i * 131 + (i >> 9));
  return faceSetGame("Huge.png",
                     pngFile({ihdr(0x7FFFFFFF, 0x7FFFFFFF, 16, 6), idat(data), iend()}));
}

HostileGame pngDensestWithinLimit() {
  // 16-bit RGBA, the format of the most scanline bytes a pixel: 2,048 × 2,047 pixels hold
  // 32 MiB of scanlines and 16 MiB of output, just within the face set limit of 48 MiB.
  const std::uint32_t width = 2048;
  const std::uint32_t height = 2047;
  const Bytes stream = zlibOfZeros(std::size_t{height} * (width * 8 + 1));
  return faceSetGame("Dense.png", pngFile({ihdr(width, height, 16, 6), idat(stream), iend()}));
}

HostileGame pngOverLimit() {
  // One row more than the densest picture, refused before it is inflated.
  const Bytes stream = zlibOfZeros(std::size_t{2048} * (2048 * 8 + 1));
  return faceSetGame("Over.png", pngFile({ihdr(2048, 2048, 16, 6), idat(stream), iend()}));
}

HostileGame pngEndlessStream() {
  // The header asks for 2,048 × 2,048 grey pixels; the stream would give 16 GB.
  return faceSetGame("Bomb.png", pngFile({ihdr(2048, 2048, 8, 0),
                                          idat(endlessZeros(kLargestFaceSet - 100)), iend()}));
}

// A PNG of nearly 16 MiB whose image data, in 1 MiB chunks that must be joined, inflates to
// scanlines of which a part in each row is noise that does not compress, the rest zeros.
Bytes pngOfNoise(std::uint32_t width, std::uint32_t height, std::uint8_t depth,
                 std::uint8_t colourType) {
  const std::size_t channels = colourType == 2 ? 3 : colourType == 4 ? 2 : 4;
  const std::size_t rowLength = width * channels * depth / 8 + 1;
  const std::size_t noise = std::min(rowLength, (kLargestFaceSet - (1 << 18)) / height);
  Bytes scanlines(height * rowLength, 0);
  std::uint32_t state = height;
  for (std::size_t y = 0; y < height; ++y) {
    for (std::size_t x = 1; x < noise; ++x) {
      state = state * 1103515245u + 12345u;
      scanlines[y * rowLength + x] = static_cast<std::uint8_t>(state >> 24);
    }
  }
  const Bytes stream = zlibStream(scanlines, 1);
  std::vector<ChunkRecipe> chunks = {ihdr(width, height, depth, colourType)};
  for (std::size_t at = 0; at < stream.size(); at += std::size_t{1} << 20) {
    const std::size_t end = std::min(stream.size(), at + (std::size_t{1} << 20));
    chunks.push_back(idat(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(at),
                                stream.begin() + static_cast<std::ptrdiff_t>(end))));
  }
  chunks.push_back(iend());
  return pngFile(chunks);
}

HostileGame pngLargestFileAndDecode() {
  // 16-bit RGBA, 2,048 × 2,047: 32 MiB of scanlines and 16 MiB of output, the most a face
  // set may take, from a 16 MiB file.
  return faceSetGame("Full.png", pngOfNoise(2048, 2047, 16, 6));
}

HostileGame largestDocumentAndFaceSets() {
  // Four such face sets of different shapes (RGBA, RGB and grey with alpha of 16 bits, RGB of
  // 8), each decode near the 48 MiB limit, so no decode fits into what the one before freed;
  // beside them the largest document a save may make: a hero name of line breaks, each
  // written as five characters, filling the save.
  HostileGame game = pngLargestFileAndDecode();
  game.faceSets.push_back({"Rgb.png", pngOfNoise(2500, 2000, 16, 2)});
  game.faceSets.push_back({"Grey.png", pngOfNoise(3000, 2090, 16, 4)});
  game.faceSets.push_back({"Wide.png", pngOfNoise(4000, 1796, 8, 2)});
  const std::string name(kLargestSave - 128, '\r');
  game.save =
      saveFile({chunk(100, {sub(11, name), sub(12, number(1)), sub(21, "Full"), sub(22, number(0)),
                            sub(23, "Rgb"), sub(24, number(5)), sub(25, "Grey"),
                            sub(26, number(10)), sub(27, "Wide"), sub(28, number(15))})});
  return game;
}

// XYZ face sets.

HostileGame xyzLargestWithinLimit() {
  // Rows of 65,535 pixels padded to 65,536 bytes: 768 of them fill the face set limit.
  const std::size_t pixels = std::size_t{0xFFFF} * 768;
  return faceSetGame("Wide.xyz", xyzFile(0xFFFF, 768, zlibOfZeros(768 + pixels + (1 << 20))));
}

HostileGame xyzEndlessStream() {
  return faceSetGame("Bomb.xyz", xyzFile(0xFFFF, 768, endlessZeros(kLargestFaceSet - 8)));
}

HostileGame xyzDecoderLimit() {
  // Within what the XYZ decoder takes (3,199 rows of 64 KiB), beyond a face set's limit.
  return faceSetGame("Huge.xyz", xyzFile(0xFFFF, 3199, endlessZeros(kLargestFaceSet - 8)));
}

HostileGame fourLargestFaceSets() {
  // Four different face sets, each as large as a face set may be, in shapes whose blocks of
  // memory differ, so that no decode fits exactly into what the one before it freed.
  HostileGame game = pngDensestWithinLimit();
  game.faceSets.push_back(xyzLargestWithinLimit().faceSets.front());
  // 8-bit grey: rows of 4,097 scanline bytes and 16,384 output bytes.
  game.faceSets.push_back(
      {"Grey.png",
       pngFile({ihdr(4096, 2457, 8, 0), idat(zlibOfZeros(std::size_t{2457} * 4097)), iend()})});
  game.faceSets.push_back(
      {"Tall.xyz", xyzFile(16000, 3145, zlibOfZeros(768 + std::size_t{16000} * 3145))});
  game.save = saveFile({chunk(100, {sub(12, number(1)), sub(21, "Dense"), sub(22, number(0)),
                                    sub(23, "Wide"), sub(24, number(5)), sub(25, "Grey"),
                                    sub(26, number(10)), sub(27, "Tall"), sub(28, number(15))})});
  return game;
}

// BMP face sets.

HostileGame bmpTallestRows() {
  // A row of 4 bytes and 2^31 - 1 rows declared: the file holds 4 million of them.
  BmpRecipe recipe;
  recipe.width = 1;
  recipe.height = 0x7FFFFFFF;
  recipe.palette = distinctPalette(256);
  recipe.pixelData = Bytes(kLargestFaceSet - 2000, 7);
  return faceSetGame("Tall.bmp", buildBmp(recipe));
}

HostileGame bmpRunLengthBomb() {
  // Runs of 255 pixels and jumps of 255 × 255 pixels, as many as the file holds.
  BmpRecipe recipe;
  recipe.width = 0x7FFFFFFF;
  recipe.height = 0x7FFFFFFF;
  recipe.compression = 1;
  recipe.palette = distinctPalette(256);
  const Bytes pattern = {255, 9, 0, 2, 255, 255, 255, 3, 0, 0};
  while (recipe.pixelData.size() + pattern.size() <= kLargestFaceSet - 2000) {
    recipe.pixelData.insert(recipe.pixelData.end(), pattern.begin(), pattern.end());
  }
  return faceSetGame("Runs.bmp", buildBmp(recipe));
}

HostileGame rawCanvasDump() {
  Bytes dump = {0xFE, 0xFF, 0xFF, 0xFF, 0xFF};
  dump.resize(kLargestFaceSet, 5);
  return faceSetGame("Dump.bmp", dump);
}

// Face set files of every size: a 192 × 192 face set filled out to `size` bytes.

constexpr std::uint64_t kJustOver = std::uint64_t{kLargestFaceSet} + 1;
constexpr std::uint64_t kFourGiB = std::uint64_t{1} << 32;

// The CRC-32 of `crc`'s bytes followed by `count` zero bytes, in steps that fit zlib's
// length type everywhere.
std::uint32_t crcWithZeros(uLong crc, std::uint64_t count) {
  // zeros[k] is the CRC of 2^k zero bytes, made from two of the one before.
  constexpr int kTop = 30;
  const Bytes zero(1, 0);
  uLong zeros[kTop + 1] = {crc32(0, zero.data(), 1)};
  for (int k = 1; k <= kTop; ++k)
    zeros[k] = crc32_combine(zeros[k - 1], zeros[k - 1], z_off_t{1} << (k - 1));
  for (; count >= std::uint64_t{1} << kTop; count -= std::uint64_t{1} << kTop)
    crc = crc32_combine(crc, zeros[kTop], z_off_t{1} << kTop);
  for (int k = 0; k < kTop; ++k) {
    if ((count >> k) & 1) crc = crc32_combine(crc, zeros[k], z_off_t{1} << k);
  }
  return static_cast<std::uint32_t>(crc);
}

Bytes faceSetIndices() {
  Bytes pixels;
  for (int y = 0; y < 192; ++y) {
    for (int x = 0; x < 192; ++x)
      pixels.push_back(static_cast<std::uint8_t>((x / 48 + y / 48 * 4) * 16 + (x + y) % 16));
  }
  return pixels;
}

// A PNG whose last chunk before "IEND" is an ancillary one of zeros, with its right CRC.
HostileGame pngOfSize(std::uint64_t size) {
  Bytes rows;
  const Bytes pixels = faceSetIndices();
  for (std::size_t y = 0; y < 192; ++y) {
    rows.push_back(0);
    rows.insert(rows.end(), pixels.begin() + static_cast<std::ptrdiff_t>(y * 192),
                pixels.begin() + static_cast<std::ptrdiff_t>(y * 192 + 192));
  }
  Bytes head = pngFile({ihdr(192, 192, 8, 0), idat(zlib(rows))});
  const Bytes end = chunkBytes(iend());
  const std::uint64_t fill = size - head.size() - 12 - end.size();
  const Bytes type = {'v', 'a', 'N', 't'};
  for (int shift = 24; shift >= 0; shift -= 8)
    head.push_back(static_cast<std::uint8_t>(fill >> shift));
  head.insert(head.end(), type.begin(), type.end());
  const std::uint32_t crc = crcWithZeros(crc32(0, type.data(), 4), fill);
  Bytes tail;
  for (int shift = 24; shift >= 0; shift -= 8)
    tail.push_back(static_cast<std::uint8_t>(crc >> shift));
  tail.insert(tail.end(), end.begin(), end.end());
  return {saveOfFaces("Big"), {}, {{"Big.png", {size, {{0, head}, {size - tail.size(), tail}}}}}};
}

// A 192 × 192 face set BMP.
Bytes faceSetBmp() {
  BmpRecipe recipe;
  recipe.width = 192;
  recipe.height = -192;
  recipe.palette = distinctPalette(256);
  recipe.pixelData = faceSetIndices();
  return buildBmp(recipe);
}

// A BMP followed by zeros up to the size.
HostileGame bmpOfSize(std::uint64_t size) {
  return {saveOfFaces("Big"), {}, {{"Big.bmp", {size, {{0, faceSetBmp()}}}}}};
}

// An XYZ whose stream is followed by zeros up to the size.
HostileGame xyzOfSize(std::uint64_t size) {
  return {saveOfFaces("Big"),
          {},
          {{"Big.xyz", {size, {{0, xyzFile(192, 192, zlibStream(xyzContent(192, 192)))}}}}}};
}

// Sizes that wrap a 32-bit size_t: each is refused (a BMP: left undrawn) alike on every
// platform, never taken for the small size it wraps to, which would pass every limit.

// A PNG whose header alone decides, over a stream that holds 128 KiB of zeros.
HostileGame pngHeaderOnly(std::uint32_t width, std::uint32_t height, std::uint8_t depth,
                          std::uint8_t colourType, std::uint8_t interlace = 0) {
  return faceSetGame("Wrap.png", pngFile({ihdr(width, height, depth, colourType, interlace),
                                          idat(zlibOfZeros(std::size_t{1} << 17)), iend()}));
}

HostileGame bmpRowBitsWrap() {
  // 2^30 pixels of 4 bits: 2^32 bits a row, 0 where 32 bits wrap, so every row would lie
  // "within" the file.
  BmpRecipe recipe;
  recipe.width = 1 << 30;
  recipe.height = 192;
  recipe.bitsPerPixel = 4;
  recipe.palette = distinctPalette(16);
  recipe.pixelData = Bytes(std::size_t{1} << 16, 0x5A);
  return faceSetGame("Wrap.bmp", buildBmp(recipe));
}

// A face set BMP with 4 GiB of zeros after it (`extra` bytes more), found first, beside a
// good XYZ face set: the large file is the face set, and gives no face, also where a file's
// size has 32 bits.
HostileGame largeBmpBesideAGoodXyz(std::uint64_t extra) {
  HostileGame game = bmpOfSize(kFourGiB + extra);
  game.faceSets.push_back({"Big.xyz", xyzFile(192, 192, zlibStream(xyzContent(192, 192)))});
  return game;
}

}  // namespace

const std::vector<HostileRecipe>& hostileRecipes() {
  static const std::vector<HostileRecipe> recipes = {
      {"hero-name-of-line-breaks", heroNameOfLineBreaks, 0},
      {"endless-number", endlessNumber, 0},
      {"many-sub-chunks", manySubChunks, 0},
      {"png-huge-header", pngHugeHeader, 0},
      {"png-densest-within-limit", pngDensestWithinLimit, 4},
      {"png-over-face-set-limit", pngOverLimit, 0},
      {"png-endless-stream", pngEndlessStream, 0},
      {"xyz-largest-within-limit", xyzLargestWithinLimit, 4},
      {"xyz-endless-stream", xyzEndlessStream, 0},
      {"xyz-over-face-set-limit", xyzDecoderLimit, 0},
      {"four-largest-face-sets", fourLargestFaceSets, 4},
      {"bmp-tallest-rows", bmpTallestRows, 4},
      {"bmp-run-length-bomb", bmpRunLengthBomb, 4},
      {"raw-canvas-dump", rawCanvasDump, 4},
      {"png-largest-file-and-decode", pngLargestFileAndDecode, 4},
      {"largest-document-and-face-sets", largestDocumentAndFaceSets, 4},
      {"png-file-at-size-limit", [] { return pngOfSize(kLargestFaceSet); }, 4},
      {"png-file-just-over-size-limit", [] { return pngOfSize(kJustOver); }, 0},
      {"png-file-of-4-gib", [] { return pngOfSize(kFourGiB); }, 0},
      {"bmp-file-at-size-limit", [] { return bmpOfSize(kLargestFaceSet); }, 4},
      {"bmp-file-just-over-size-limit", [] { return bmpOfSize(kJustOver); }, 0},
      {"bmp-file-of-4-gib", [] { return bmpOfSize(kFourGiB); }, 0},
      {"xyz-file-at-size-limit", [] { return xyzOfSize(kLargestFaceSet); }, 4},
      {"xyz-file-just-over-size-limit", [] { return xyzOfSize(kJustOver); }, 0},
      {"xyz-file-of-4-gib", [] { return xyzOfSize(kFourGiB); }, 0},
      // 65,537 × 65,537 grey: 2^32 + 131,010 bytes of scanlines.
      {"png-scanlines-wrap-32-bits", [] { return pngHeaderOnly(65537, 65537, 8, 0); }, 0},
      // 16,384 × 65,536 RGBA: 2^32 bytes of output, 2^32 + 65,536 of scanlines.
      {"png-output-wraps-32-bits", [] { return pngHeaderOnly(16384, 65536, 8, 6); }, 0},
      // 2^29 × 1 RGBA of 16 bits: 2^33 bits a row.
      {"png-row-bits-wrap-32-bits", [] { return pngHeaderOnly(1u << 29, 1, 16, 6); }, 0},
      {"png-interlaced-wraps-32-bits", [] { return pngHeaderOnly(65537, 65537, 16, 0, 1); }, 0},
      // 65,535 × 65,535: the pixels, palette and trailing room pass 2^32.
      {"xyz-largest-header",
       [] { return faceSetGame("Wrap.xyz", xyzFile(0xFFFF, 0xFFFF, zlibOfZeros(1 << 20))); }, 0},
      {"bmp-row-bits-wrap-32-bits", bmpRowBitsWrap, 4},
      {"bmp-of-4-gib-beside-an-xyz", [] { return largeBmpBesideAGoodXyz(0); }, 0},
      // Its size taken in 32 bits is the size of the BMP it starts with.
      {"bmp-of-4-gib-past-a-face-set", [] { return largeBmpBesideAGoodXyz(faceSetBmp().size()); },
       0},
  };
  return recipes;
}

bool writeHostileGame(const HostileGame& game, const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(folder) / "FaceSet", error);
  if (error) return false;
  const auto* save = reinterpret_cast<const std::uint8_t*>(game.save.data());
  if (!writeFile(folder + "/Save01.lsd", ByteView(save, game.save.size()))) {
    return false;
  }
  for (const auto& [name, bytes] : game.faceSets) {
    if (!writeFile(folder + "/FaceSet/" + name, bytes)) return false;
  }
  for (const auto& [name, file] : game.bigFiles) {
    // Sized first, then written piece by piece: the zeros between are never written.
    const std::string path = folder + "/FaceSet/" + name;
    if (!writeFile(path, {})) return false;
    std::filesystem::resize_file(path, file.size, error);
    std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
    for (const auto& [offset, bytes] : file.pieces) {
      out.seekp(static_cast<std::streamoff>(offset));
      out.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
    }
    out.close();
    if (error || !out) return false;
  }
  return true;
}

HostileGame largeDocumentGame(std::size_t documentBytes) {
  const std::string name(documentBytes / 5, '\r');
  return {saveFile({chunk(100, {sub(11, name), sub(12, number(1))})}), {}, {}};
}

Bytes zlibOfZeros(std::size_t count) {
  z_stream zs{};
  if (deflateInit(&zs, 9) != Z_OK) return {};
  const Bytes zeros(std::size_t{1} << 20, 0);
  Bytes stream;
  Bytes out(std::size_t{1} << 16);
  int flush = Z_NO_FLUSH;
  do {
    if (zs.avail_in == 0 && count > 0) {
      const std::size_t chunk = std::min(count, zeros.size());
      zs.next_in = const_cast<Bytef*>(zeros.data());
      zs.avail_in = static_cast<uInt>(chunk);
      count -= chunk;
    }
    flush = count == 0 ? Z_FINISH : Z_NO_FLUSH;
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, flush);
    stream.insert(stream.end(), out.data(), out.data() + (out.size() - zs.avail_out));
  } while (!(flush == Z_FINISH && zs.avail_out != 0));
  deflateEnd(&zs);
  return stream;
}

Bytes endlessZeros(std::size_t streamBytes) {
  // After a full flush a deflate block depends on nothing before it, so one block of zeros
  // can follow itself as often as the room allows.
  z_stream zs{};
  if (deflateInit(&zs, 9) != Z_OK) return {};
  Bytes zeros(std::size_t{1} << 20, 0);
  Bytes out(std::size_t{1} << 16);
  auto flushed = [&]() {
    zs.next_in = zeros.data();
    zs.avail_in = static_cast<uInt>(zeros.size());
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FULL_FLUSH);
    return Bytes(out.data(), out.data() + (out.size() - zs.avail_out));
  };
  Bytes stream = flushed();  // the zlib header and a first block
  const Bytes block = flushed();
  deflateEnd(&zs);
  while (stream.size() + block.size() <= streamBytes)
    stream.insert(stream.end(), block.begin(), block.end());
  return stream;
}

}  // namespace vantrix::testing
