// The PNG container: which files are refused, and why, before a pixel is produced.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codecs/png_chunks.hpp"
#include "codecs/png_decoder.hpp"
#include "support/png_builder.hpp"
#include "support/test_picture.hpp"

namespace vantrix {
namespace {

using namespace vantrix::testing;

// Rows of a 2 × 2 grey image of bit depth 8.
const Bytes kGreyRows = rows({bytesOf({10, 20}), bytesOf({30, 40})});

Bytes greyFile(std::vector<ChunkRecipe> middle) {
  std::vector<ChunkRecipe> chunks{ihdr(2, 2, 8, 0)};
  chunks.insert(chunks.end(), middle.begin(), middle.end());
  chunks.push_back(iend());
  return pngFile(chunks);
}

Bytes plainGreyFile() {
  return greyFile({idat(zlib(kGreyRows))});
}

Bytes withByteAt(Bytes file, std::size_t at, std::uint8_t value) {
  file.at(at) = value;
  return file;
}

Bytes withTail(Bytes file, const Bytes& tail) {
  file.insert(file.end(), tail.begin(), tail.end());
  return file;
}

Bytes palette4x1(std::vector<ChunkRecipe> extra) {
  std::vector<ChunkRecipe> chunks{ihdr(4, 1, 8, 3)};
  chunks.insert(chunks.end(), extra.begin(), extra.end());
  chunks.push_back(idat(zlib(rows({bytesOf({0, 1, 2, 3})}))));
  chunks.push_back(iend());
  return pngFile(chunks);
}

struct Refusal {
  std::string name;
  Bytes file;
  PngError why;
};

std::vector<Refusal> refusals() {
  const Bytes good = plainGreyFile();
  Bytes grey8x1 = rows({bytesOf({1, 2, 3, 4, 5, 6, 7, 8})});
  Bytes oneTooMany = kGreyRows;
  oneTooMany.push_back(0);
  Bytes oneTooFew(kGreyRows.begin(), kGreyRows.end() - 1);
  Bytes truncatedStream = zlib(kGreyRows);
  truncatedStream.resize(truncatedStream.size() - 3);
  Bytes damagedStream = zlib(kGreyRows);
  damagedStream[2] ^= 0xFF;
  Bytes hugeLength = good;
  // The length field of "IEND" (the last 12 bytes) says 2^32 - 1.
  for (std::size_t i = hugeLength.size() - 12; i < hugeLength.size() - 8; ++i)
    hugeLength[i] = 0xFF;

  return {
      {"shorter than any PNG file", Bytes(good.begin(), good.begin() + 48), PngError::tooShort},
      {"first signature byte", withByteAt(good, 0, 0x89 ^ 0x80), PngError::badSignature},
      {"signature line ending", withByteAt(good, 4, 10), PngError::badSignature},
      {"last chunk cut short", Bytes(good.begin(), good.end() - 1), PngError::chunkOverrun},
      {"one byte after IEND", withTail(good, {0}), PngError::chunkOverrun},
      {"seven bytes after IEND", withTail(good, Bytes(7, 0)), PngError::chunkOverrun},
      {"length beyond the file", hugeLength, PngError::chunkOverrun},
      {"bad CRC in an ignored chunk",
       greyFile({withBadCrc(chunk("tEXt", bytesOf({'a', 0, 'b'}))), idat(zlib(kGreyRows))}),
       PngError::crcMismatch},
      {"bad CRC in IEND", pngFile({ihdr(2, 2, 8, 0), idat(zlib(kGreyRows)), withBadCrc(iend())}),
       PngError::crcMismatch},
      {"bad CRC in IDAT", greyFile({withBadCrc(idat(zlib(kGreyRows)))}), PngError::crcMismatch},
      {"no IEND", pngFile({ihdr(2, 2, 8, 0), idat(zlib(kGreyRows)), chunk("tEXt", {})}),
       PngError::missingIend},
      {"a chunk after IEND", withTail(good, chunkBytes(chunk("tEXt", bytesOf({'a', 0, 'b'})))),
       PngError::missingIend},
      {"only two chunks", pngFile({ihdr(2, 2, 8, 0), chunk("IEND", Bytes(8, 0))}),
       PngError::missingIend},
      {"IHDR not first",
       pngFile({chunk("tEXt", {}), ihdr(2, 2, 8, 0), idat(zlib(kGreyRows)), iend()}),
       PngError::missingIhdr},
      {"IHDR of 14 bytes",
       pngFile(
           {chunk("IHDR", withTail(ihdr(2, 2, 8, 0).data, {0})), idat(zlib(kGreyRows)), iend()}),
       PngError::missingIhdr},
      {"width 0", pngFile({ihdr(0, 2, 8, 0), idat(zlib(kGreyRows)), iend()}), PngError::badIhdr},
      {"height 0", pngFile({ihdr(2, 0, 8, 0), idat(zlib(kGreyRows)), iend()}), PngError::badIhdr},
      {"colour type 2 at depth 4", pngFile({ihdr(2, 2, 4, 2), idat(zlib(kGreyRows)), iend()}),
       PngError::badIhdr},
      {"colour type 3 at depth 16", pngFile({ihdr(2, 2, 16, 3), idat(zlib(kGreyRows)), iend()}),
       PngError::badIhdr},
      {"colour type 1", pngFile({ihdr(2, 2, 8, 1), idat(zlib(kGreyRows)), iend()}),
       PngError::badIhdr},
      {"colour type 4 at depth 4", pngFile({ihdr(2, 2, 4, 4), idat(zlib(kGreyRows)), iend()}),
       PngError::badIhdr},
      {"grey at depth 3", pngFile({ihdr(2, 2, 3, 0), idat(zlib(kGreyRows)), iend()}),
       PngError::badIhdr},
      {"interlace method 2", pngFile({ihdr(2, 2, 8, 0, 2), idat(zlib(kGreyRows)), iend()}),
       PngError::badIhdr},
      {"compression method 1",
       pngFile({chunk("IHDR", withByteAt(ihdr(2, 2, 8, 0).data, 10, 1)), idat(zlib(kGreyRows)),
                iend()}),
       PngError::badIhdr},
      {"filter method 1",
       pngFile({chunk("IHDR", withByteAt(ihdr(2, 2, 8, 0).data, 11, 1)), idat(zlib(kGreyRows)),
                iend()}),
       PngError::badIhdr},
      {"no IDAT", greyFile({chunk("tEXt", Bytes(30, 'x'))}), PngError::noImageData},
      {"only empty IDATs", greyFile({idat({}), chunk("tEXt", Bytes(30, 'x')), idat({})}),
       PngError::noImageData},
      {"damaged stream", greyFile({idat(damagedStream)}), PngError::inflateFailed},
      {"stream cut short", greyFile({idat(truncatedStream)}), PngError::inflateFailed},
      {"one byte too many", greyFile({idat(zlib(oneTooMany))}), PngError::wrongInflatedSize},
      {"many bytes too many", greyFile({idat(zlib(grey8x1))}), PngError::wrongInflatedSize},
      {"one byte too few", greyFile({idat(zlib(oneTooFew))}), PngError::wrongInflatedSize},
      {"palette image without PLTE", palette4x1({}), PngError::missingPalette},
      {"PLTE of 257 entries", palette4x1({plte(257)}), PngError::oversizedPalette},
      {"tRNS on colour type 6",
       pngFile({ihdr(1, 1, 8, 6), trns(bytesOf({0, 0})), idat(zlib(rows({bytesOf({1, 2, 3, 4})}))),
                iend()}),
       PngError::badTransparency},
      {"tRNS on colour type 4",
       pngFile(
           {ihdr(1, 1, 8, 4), trns(bytesOf({0, 0})), idat(zlib(rows({bytesOf({1, 2})}))), iend()}),
       PngError::badTransparency},
      {"grey tRNS of 1 byte", greyFile({trns(bytesOf({0})), idat(zlib(kGreyRows))}),
       PngError::badTransparency},
      {"grey tRNS of 6 bytes", greyFile({trns(Bytes(6, 0)), idat(zlib(kGreyRows))}),
       PngError::badTransparency},
      {"RGB tRNS of 2 bytes",
       pngFile({ihdr(1, 1, 8, 2), trns(bytesOf({0, 0})), idat(zlib(rows({bytesOf({1, 2, 3})}))),
                iend()}),
       PngError::badTransparency},
      {"palette tRNS of 257 bytes", palette4x1({plte(4), trns(Bytes(257, 0))}),
       PngError::badTransparency},
      {"filter type 5", greyFile({idat(zlib(withByteAt(kGreyRows, 3, 5)))}), PngError::badFilter},
      {"filter type 255 in the last row", greyFile({idat(zlib(withByteAt(kGreyRows, 3, 255)))}),
       PngError::badFilter},
  };
}

TEST(PngContainer, RefusesDamagedAndUnsupportedFilesForTheRightReason) {
  for (const Refusal& refusal : refusals()) {
    SCOPED_TRACE(refusal.name);
    const PngError why = testing::decodePngPicture(refusal.file).error;
    EXPECT_EQ(why, refusal.why) << toString(why);
  }
}

struct Acceptance {
  std::string name;
  Bytes file;
};

std::vector<Acceptance> acceptances() {
  const Bytes stream = zlib(kGreyRows);
  const Bytes head(stream.begin(), stream.begin() + 5);
  const Bytes tail(stream.begin() + 5, stream.end());
  return {
      {"a second IEND after the first", withTail(plainGreyFile(), chunkBytes(iend()))},
      {"IDAT split by an ancillary chunk",
       greyFile({idat(head), chunk("tEXt", bytesOf({'k', 0, 'v'})), idat({}), idat(tail)})},
      {"an unknown critical chunk", greyFile({chunk("QQQQ", bytesOf({1})), idat(stream)})},
      {"PLTE on a grey image, even of 257 entries", greyFile({plte(257), idat(stream)})},
      {"a later bad tRNS after the first",
       greyFile({trns(bytesOf({0, 99})), idat(stream), trns(bytesOf({1}))})},
      {"a later IHDR", greyFile({ihdr(5, 5, 16, 6), idat(stream)})},
      {"trailing bytes after the zlib stream", greyFile({idat(withTail(stream, {1, 2, 3}))})},
  };
}

TEST(PngContainer, AcceptsWhatTheLooseRulesAllow) {
  for (const Acceptance& acceptance : acceptances()) {
    SCOPED_TRACE(acceptance.name);
    const auto decoded = testing::decodePngPicture(acceptance.file);
    ASSERT_EQ(decoded.error, PngError::none) << toString(decoded.error);
    EXPECT_EQ(decoded.picture.pixel(0, 0), 0xFF0A0A0Au);
    EXPECT_EQ(decoded.picture.pixel(1, 1), 0xFF282828u);
  }
}

TEST(PngContainer, PaletteOf256EntriesWithTwoExtraBytesIsAccepted) {
  ChunkRecipe palette = plte(256);
  palette.data.push_back(7);
  palette.data.push_back(7);
  const auto decoded = testing::decodePngPicture(palette4x1({palette}));
  ASSERT_EQ(decoded.error, PngError::none);
  EXPECT_EQ(decoded.picture.pixel(3, 0), 0xFF03FC01u);  // entry 3 is (3, 252, 1)
}

TEST(PngContainer, ExpectedSizeOfA192By192RgbImage) {
  PngInfo info;
  info.width = 192;
  info.height = 192;
  info.bitDepth = 8;
  info.colourType = 2;
  auto passes = pngPasses(info);
  ASSERT_TRUE(passes);
  ASSERT_EQ(passes->size(), 1u);
  EXPECT_EQ((*passes)[0].rowLength, 577u);
  EXPECT_EQ((*passes)[0].height * (*passes)[0].rowLength, 110784u);
}

struct PassCase {
  std::uint32_t width;
  std::uint32_t height;
  std::vector<std::size_t> rowLengths;  // per Adam7 pass, 0 for an empty pass
  std::vector<std::uint32_t> heights;
};

TEST(PngContainer, Adam7PassesSkipColumnsAndRowsOutsideTheImage) {
  // Grey at bit depth 1: a pass row of w pixels has (w + 7) / 8 bytes and a filter byte.
  const std::vector<PassCase> cases = {
      {1, 1, {2, 0, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0, 0}},
      {3, 1, {2, 0, 2, 2, 2, 2, 2}, {1, 0, 0, 1, 0, 1, 0}},
      {1, 3, {2, 0, 2, 0, 2, 0, 2}, {1, 0, 0, 0, 1, 0, 1}},
      {8, 8, {2, 2, 2, 2, 2, 2, 2}, {1, 1, 1, 2, 2, 4, 4}},
      {17, 9, {2, 2, 2, 2, 3, 2, 4}, {2, 2, 1, 3, 2, 5, 4}},
  };
  for (const PassCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    PngInfo info;
    info.width = c.width;
    info.height = c.height;
    info.bitDepth = 1;
    info.interlaceMethod = 1;
    auto passes = pngPasses(info);
    ASSERT_TRUE(passes);
    ASSERT_EQ(passes->size(), 7u);
    for (std::size_t p = 0; p < 7; ++p) {
      EXPECT_EQ((*passes)[p].height, c.heights[p]) << "pass " << p + 1;
      if (c.heights[p] != 0) {
        EXPECT_EQ((*passes)[p].rowLength, c.rowLengths[p]) << "pass " << p + 1;
      }
    }
  }
}

}  // namespace
}  // namespace vantrix
