// Decodes every valid PngSuite image with this decoder, in each pixel order, and with libpng
// set up to follow the same rules (16-bit samples keep their high byte, a colour key gives
// alpha 0, no gamma or background), and compares every pixel.

#include <png.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "codecs/png_decoder.hpp"
#include "platform/platform.hpp"
#include "support/test_picture.hpp"

namespace vantrix {
namespace {

const std::filesystem::path kSuite = std::filesystem::path(VANTRIX_TEST_DATA) / "pngsuite";

struct Reference {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgba;  // rows top first, bytes R, G, B, A
  std::vector<png_bytep> rows;
};

struct MemoryReader {
  const Bytes* bytes;
  std::size_t position;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (count > reader->bytes->size() - reader->position) png_error(png, "read past the end");
  std::memcpy(out, reader->bytes->data() + reader->position, count);
  reader->position += count;
}

void ignoreWarning(png_structp, png_const_charp) {}

// Everything that libpng's longjmp could skip lives in the caller's frame.
bool readWithLibpng(png_structp png, png_infop info, MemoryReader& reader, Reference& out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, &reader, readFromMemory);
  png_read_info(png, info);
  png_set_expand(png);  // palette to RGB, grey to 8 bits, tRNS to alpha
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  out.width = png_get_image_width(png, info);
  out.height = png_get_image_height(png, info);
  if (png_get_rowbytes(png, info) != std::size_t{out.width} * 4) return false;
  out.rgba.assign(std::size_t{out.width} * out.height * 4, 0);
  out.rows.resize(out.height);
  for (std::uint32_t y = 0; y < out.height; ++y) {
    out.rows[y] = out.rgba.data() + std::size_t{y} * out.width * 4;
  }
  png_read_image(png, out.rows.data());
  png_read_end(png, nullptr);
  return true;
}

bool decodeWithLibpng(const Bytes& bytes, Reference& out) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, ignoreWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  MemoryReader reader{&bytes, 0};
  const bool ok = info && readWithLibpng(png, info, reader, out);
  png_destroy_read_struct(&png, &info, nullptr);
  return ok;
}

std::vector<std::string> validSuiteFiles() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(kSuite, error)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() == ".png" && name[0] != 'x') names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  // Without the suite there is still one case, which says so and skips.
  if (names.empty()) names.push_back("");
  return names;
}

class PngSuiteReference : public ::testing::TestWithParam<std::string> {};

// Expected bytes of pixel (x, y) in the order a decode stores them.
void expectPixel(const Reference& ref, const std::uint8_t* got, std::uint32_t x, std::uint32_t y,
                 bool rgbaOrder, const char* form) {
  const std::uint8_t* want = ref.rgba.data() + (std::size_t{y} * ref.width + x) * 4;
  const std::uint8_t expected[4] = {rgbaOrder ? want[0] : want[2], want[1],
                                    rgbaOrder ? want[2] : want[0], want[3]};
  ASSERT_EQ(0, std::memcmp(got, expected, 4)) << form << " pixel (" << x << ", " << y << ")";
}

TEST_P(PngSuiteReference, DecodesLikeLibpngInEveryOrder) {
  ASSERT_FALSE(GetParam().empty()) << "PngSuite missing: " << kSuite;
  auto bytes = platform::readFile((kSuite / GetParam()).string());
  ASSERT_TRUE(bytes);
  Reference ref;
  ASSERT_TRUE(decodeWithLibpng(*bytes, ref)) << "libpng refuses it";

  // The whole picture in each order, in place, and only part of it (a left edge inside a byte
  // of samples), whose pixels there must be the same.
  const PixelArea whole;
  const PixelArea part{5, 3, 23, 17};
  for (auto [pixels, area, inPlace] :
       {std::tuple{PngPixels::argb, whole, false}, std::tuple{PngPixels::rgba, whole, false},
        std::tuple{PngPixels::argb, whole, true}, std::tuple{PngPixels::argb, part, false},
        std::tuple{PngPixels::rgba, part, true}}) {
    const bool rgba = pixels == PngPixels::rgba;
    SCOPED_TRACE(std::string(rgba ? "RGBA" : "BGRA") + (area.right == whole.right ? "" : ", part") +
                 (inPlace ? ", in place" : ""));
    DecodeLimits limits;
    limits.shown = area;
    const testing::DecodedPng decoded =
        testing::decodePngPicture(*bytes, limits, pixels, false, inPlace);
    ASSERT_EQ(decoded.error, PngError::none) << toString(decoded.error);
    ASSERT_EQ(decoded.picture.width, ref.width);
    ASSERT_EQ(decoded.picture.height, ref.height);
    ASSERT_EQ(decoded.picture.bytesPerPixel, 4);
    for (std::uint32_t y = area.top; y < std::min(ref.height, area.bottom); ++y) {
      const std::uint8_t* row = decoded.picture.pixels.data() + y * decoded.picture.pitch();
      for (std::uint32_t x = area.left; x < std::min(ref.width, area.right); ++x) {
        expectPixel(ref, row + 4 * x, x, y, rgba, rgba ? "RGBA" : "BGRA");
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(PngSuite, PngSuiteReference, ::testing::ValuesIn(validSuiteFiles()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                           std::string name = param.param.empty() ? "missing" : param.param;
                           name = name.substr(0, name.find('.'));
                           return name;
                         });

TEST(PngSuiteReference, SuiteHoldsTheValidImagesItShould) {
  auto names = validSuiteFiles();
  ASSERT_FALSE(names.front().empty()) << "PngSuite missing: " << kSuite;
  EXPECT_EQ(names.size(), 161u);
}

}  // namespace
}  // namespace vantrix
