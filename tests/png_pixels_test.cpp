// PNG scanlines to pixels: every colour type and depth, the filters, Adam7, the pixel orders.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "codecs/png_decoder.hpp"
#include "support/png_builder.hpp"
#include "support/test_picture.hpp"

namespace vantrix {
namespace {

using namespace vantrix::testing;

// The first row of a decoded image, as 0xAARRGGBB values.
std::vector<std::uint32_t> firstRow(const Bytes& file) {
  const DecodedPng decoded = decodePngPicture(file);
  if (decoded.error != PngError::none) {
    ADD_FAILURE() << "refused: " << toString(decoded.error);
    return {};
  }
  std::vector<std::uint32_t> pixels;
  for (std::uint32_t x = 0; x < decoded.picture.width; ++x)
    pixels.push_back(decoded.picture.pixel(x, 0));
  return pixels;
}

// A one-row image: header, optional extra chunks, the row unfiltered.
Bytes oneRow(ChunkRecipe header, const Bytes& row, std::vector<ChunkRecipe> extra = {}) {
  std::vector<ChunkRecipe> chunks{header};
  chunks.insert(chunks.end(), extra.begin(), extra.end());
  chunks.push_back(idat(zlib(rows({row}))));
  chunks.push_back(iend());
  return pngFile(chunks);
}

struct PixelCase {
  std::string name;
  Bytes file;
  std::vector<std::uint32_t> pixels;
};

std::vector<PixelCase> pixelCases() {
  return {
      {"grey 1 bit", oneRow(ihdr(1, 1, 1, 0), bytesOf({0x80})), {0xFFFFFFFF}},
      {"grey 1 bit keyed",
       oneRow(ihdr(1, 1, 1, 0), bytesOf({0x80}), {trns(bytesOf({0, 1}))}),
       {0x00FFFFFF}},
      {"grey 2 bits",
       oneRow(ihdr(4, 1, 2, 0), bytesOf({0x1B})),
       {0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF}},
      {"grey 2 bits keyed",
       oneRow(ihdr(4, 1, 2, 0), bytesOf({0x1B}), {trns(bytesOf({0, 2}))}),
       {0xFF000000, 0xFF555555, 0x00AAAAAA, 0xFFFFFFFF}},
      {"grey 4 bits, 3 wide",
       oneRow(ihdr(3, 1, 4, 0), bytesOf({0x1F, 0x7F})),
       {0xFF111111, 0xFFFFFFFF, 0xFF777777}},
      {"grey 8 bits keyed",
       oneRow(ihdr(2, 1, 8, 0), bytesOf({0x50, 0x51}), {trns(bytesOf({0, 0x50}))}),
       {0x00505050, 0xFF515151}},
      {"grey 8 bits, key beyond 8 bits",
       oneRow(ihdr(1, 1, 8, 0), bytesOf({0x50}), {trns(bytesOf({1, 0x50}))}),
       {0xFF505050}},
      {"grey 16 bits keeps the high byte",
       oneRow(ihdr(1, 1, 16, 0), bytesOf({0x12, 0xFF})),
       {0xFF121212}},
      {"grey 16 bits keyed on all 16 bits",
       oneRow(ihdr(2, 1, 16, 0), bytesOf({0x12, 0xFF, 0x12, 0x00}), {trns(bytesOf({0x12, 0xFF}))}),
       {0x00121212, 0xFF121212}},
      {"RGB 8 bits keyed",
       oneRow(ihdr(3, 1, 8, 2), bytesOf({1, 2, 3, 1, 2, 4, 0, 2, 3}),
              {trns(bytesOf({0, 1, 0, 2, 0, 3}))}),
       {0x00010203, 0xFF010204, 0xFF000203}},
      {"RGB 8 bits, key beyond 8 bits",
       oneRow(ihdr(1, 1, 8, 2), bytesOf({1, 2, 3}), {trns(bytesOf({1, 1, 0, 2, 0, 3}))}),
       {0xFF010203}},
      {"RGB 16 bits keyed on all 16 bits",
       oneRow(ihdr(2, 1, 16, 2),
              bytesOf({0x12, 0xAB, 0x34, 0xCD, 0x56, 0xEF, 0x12, 0xAB, 0x34, 0xCD, 0x56, 0xEE}),
              {trns(bytesOf({0x12, 0xAB, 0x34, 0xCD, 0x56, 0xEF}))}),
       {0x00123456, 0xFF123456}},
      {"palette 4 bits, 3 wide, indices beyond PLTE black",
       oneRow(ihdr(3, 1, 4, 3), bytesOf({0x13, 0x2F}), {plte(2)}),
       {0xFF01FE00, 0xFF000000, 0xFF000000}},
      {"palette 8 bits with alphas, 255 beyond tRNS",
       oneRow(ihdr(3, 1, 8, 3), bytesOf({0, 1, 2}), {plte(3), trns(bytesOf({0x80, 0}))}),
       {0x8000FF00, 0x0001FE00, 0xFF02FD01}},
      {"palette alpha for an index beyond PLTE",
       oneRow(ihdr(1, 1, 8, 3), bytesOf({2}), {plte(2), trns(bytesOf({1, 1, 0x40}))}),
       {0x40000000}},
  };
}

TEST(PngPixels, SamplesScaleAndColourKeysCompareAtFullDepth) {
  for (const PixelCase& c : pixelCases()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(firstRow(c.file), c.pixels);
  }
}

// ---- Filters -------------------------------------------------------------------------------

struct Format {
  std::string name;
  std::uint8_t depth;
  std::uint8_t colourType;
  std::size_t bytesPerPixel;
  std::size_t filterUnit;
};

// PngSuite uses every filter at every filter unit but Average at 2 and Up and Average at 6;
// the others are here for the vector loops of 3 to 8 bytes and the two-row Paeth sweep.
const std::vector<Format> kFormats = {
    {"grey alpha 8", 8, 4, 2, 2}, {"RGB 16", 16, 2, 6, 6},        {"RGB 8", 8, 2, 3, 3},
    {"RGBA 8", 8, 6, 4, 4},       {"grey alpha 16", 16, 4, 4, 4}, {"RGBA 16", 16, 6, 8, 8},
};

// Pseudo-random row bytes, with long runs of extremes so that sums wrap.
std::vector<Bytes> sampleRows(std::size_t count, std::size_t length) {
  std::vector<Bytes> out;
  std::uint32_t state = 12345;
  for (std::size_t r = 0; r < count; ++r) {
    Bytes row;
    for (std::size_t i = 0; i < length; ++i) {
      state = state * 1103515245u + 12345u;
      const std::uint8_t value = static_cast<std::uint8_t>(state >> 16);
      row.push_back(i % 7 == 3 ? 255 : i % 11 == 5 ? 0 : value);
    }
    out.push_back(row);
  }
  return out;
}

Bytes filteredFile(const Format& format, std::uint32_t width, const std::vector<Bytes>& data,
                   const std::vector<std::uint8_t>& filterTypes) {
  Bytes scanlines;
  Bytes prior(data[0].size(), 0);
  for (std::size_t r = 0; r < data.size(); ++r) {
    Bytes row = filterRow(filterTypes[r % filterTypes.size()], data[r], prior, format.filterUnit);
    scanlines.insert(scanlines.end(), row.begin(), row.end());
    prior = data[r];
  }
  return pngFile(
      {ihdr(width, static_cast<std::uint32_t>(data.size()), format.depth, format.colourType),
       idat(zlib(scanlines)), iend()});
}

// The pixels of a file decoded in place, of the part shown (the rest as the picture started).
Bytes decodedInPlace(const Bytes& file, const DecodeLimits& limits = kDefaultDecodeLimits) {
  const DecodedPng decoded = decodePngPicture(file, limits, PngPixels::argb, false, true);
  EXPECT_EQ(decoded.error, PngError::none) << toString(decoded.error);
  return decoded.picture.pixels;
}

TEST(PngPixels, FiltersRestoreRowsAtEveryFilterUnit) {
  // Paeth rows in pairs, alone, and an odd one out at the end.
  const std::vector<std::vector<std::uint8_t>> filterPlans = {
      {1}, {2}, {3}, {4}, {4, 3, 2, 1, 0}, {4, 4, 1}, {1, 4, 4, 4}, {0, 4}};
  // The tall pictures' scanlines take more than the window a decode inflates through.
  for (const Format& format : kFormats) {
    for (const auto& [width, height] : {std::pair{5u, 5u}, {1u, 5u}, {2u, 5u}, {160u, 120u}}) {
      SCOPED_TRACE("width " + std::to_string(width) + ", height " + std::to_string(height));
      const auto data = sampleRows(height, width * format.bytesPerPixel);
      const DecodedPng plain = decodePngPicture(filteredFile(format, width, data, {0}));
      ASSERT_EQ(plain.error, PngError::none) << format.name;
      for (const auto& plan : filterPlans) {
        SCOPED_TRACE(format.name + ", first filter " + std::to_string(plan[0]));
        const Bytes file = filteredFile(format, width, data, plan);
        const DecodedPng decoded = decodePngPicture(file);
        ASSERT_EQ(decoded.error, PngError::none);
        EXPECT_EQ(decoded.picture.pixels, plain.picture.pixels);
        EXPECT_EQ(decodedInPlace(file), plain.picture.pixels) << "in place";
        // Rows above a part shown low in the picture are restored only as far as it needs.
        DecodeLimits lower = kDefaultDecodeLimits;
        lower.shown = {0, height - 2, width, height};
        const Bytes part = decodedInPlace(file, lower);
        const auto shownFrom = static_cast<std::ptrdiff_t>(std::size_t{height - 2} * width * 4);
        EXPECT_TRUE(std::equal(part.begin() + shownFrom, part.end(),
                               plain.picture.pixels.begin() + shownFrom))
            << "the bottom rows";
      }
    }
  }
}

// The grey level of the bottom right pixel of a 2 × 2 grey image with top row (c, b), bottom
// row (a, ?) where ? is stored as `stored` under filter `filterType`: the prediction from
// a, b and c plus `stored`, modulo 256.
std::uint32_t restoredAt(std::uint8_t filterType, int a, int b, int c, int stored) {
  // The bottom left pixel has only c above it; store it so that it restores to a.
  const int leftPrediction = filterType == 2 || filterType == 4 ? c : filterType == 3 ? c / 2 : 0;
  const Bytes scanlines = bytesOf({0, c, b, filterType, a - leftPrediction, stored});
  const DecodedPng decoded =
      decodePngPicture(pngFile({ihdr(2, 2, 8, 0), idat(zlib(scanlines)), iend()}));
  if (decoded.error != PngError::none) {
    ADD_FAILURE() << "refused";
    return 0;
  }
  EXPECT_EQ(decoded.picture.pixel(0, 1) & 0xFF, static_cast<std::uint32_t>(a))
      << "bottom left pixel";
  return decoded.picture.pixel(1, 1) & 0xFF;
}

struct PredictionCase {
  std::string name;
  std::uint8_t filterType;
  int a, b, c, stored;
  std::uint32_t expected;
};

TEST(PngPixels, PredictionsFollowTheFilterRules) {
  const std::vector<PredictionCase> cases = {
      {"Sub wraps modulo 256", 1, 200, 7, 9, 100, 44},
      {"Up wraps modulo 256", 2, 7, 200, 9, 100, 44},
      {"Average sums before halving", 3, 200, 200, 9, 0, 200},
      {"Average rounds down", 3, 255, 0, 9, 0, 127},
      {"Paeth prefers a over c on a tie", 4, 80, 110, 100, 0, 80},
      {"Paeth prefers b over c on a tie", 4, 110, 80, 100, 0, 80},
      {"Paeth takes c when it is nearest", 4, 110, 90, 100, 0, 100},
      {"Paeth estimate beyond 255", 4, 200, 250, 10, 0, 250},
      {"Paeth plus a stored difference", 4, 50, 50, 50, 3, 53},
  };
  for (const PredictionCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(restoredAt(c.filterType, c.a, c.b, c.c, c.stored), c.expected);
  }
}

// ---- Adam7 ---------------------------------------------------------------------------------

TEST(PngPixels, InterlacedOnePixelImageHoldsOnlyPassOne) {
  const DecodedPng decoded =
      decodePngPicture(pngFile({ihdr(1, 1, 8, 0, 1), idat(zlib(bytesOf({0, 0x42}))), iend()}));
  ASSERT_EQ(decoded.error, PngError::none);
  EXPECT_EQ(decoded.picture.pixel(0, 0), 0xFF424242u);
}

// ---- Pixel orders --------------------------------------------------------------------------

// 9 × 2 RGBA: pixel (x, y) is (x, y, 100 + x, 200).
Bytes nineByTwo() {
  std::vector<Bytes> data(2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 9; ++x) {
      for (int v : {x, y, 100 + x, 200})
        data[static_cast<std::size_t>(y)].push_back(static_cast<std::uint8_t>(v));
    }
  }
  return pngFile({ihdr(9, 2, 8, 6), idat(zlib(rows(data))), iend()});
}

TEST(PngPixels, RowsComeTopFirstInEitherPixelOrder) {
  DecodedPng argb = decodePngPicture(nineByTwo());
  ASSERT_EQ(argb.error, PngError::none);
  EXPECT_EQ(argb.picture.pixels.size(), 72u);
  EXPECT_EQ(argb.picture.pixel(8, 1), 0xC808016Cu);
  // Bytes blue, green, red, alpha.
  EXPECT_EQ(Bytes(argb.picture.row(1) + 4 * 3, argb.picture.row(1) + 4 * 4),
            bytesOf({103, 1, 3, 200}));
  // Bytes red, green, blue, alpha.
  DecodedPng rgba = decodePngPicture(nineByTwo(), kDefaultDecodeLimits, PngPixels::rgba);
  ASSERT_EQ(rgba.error, PngError::none);
  EXPECT_EQ(Bytes(rgba.picture.row(1) + 4 * 3, rgba.picture.row(1) + 4 * 4),
            bytesOf({3, 1, 103, 200}));
  EXPECT_EQ(Bytes(rgba.picture.row(0) + 4 * 3, rgba.picture.row(0) + 4 * 4),
            bytesOf({3, 0, 103, 200}));
}

}  // namespace
}  // namespace vantrix
