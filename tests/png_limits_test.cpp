// The PNG decoder on hostile sizes, against its limits, and on PngSuite's corrupt files.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "codecs/png_decoder.hpp"
#include "platform/platform.hpp"
#include "support/png_builder.hpp"
#include "support/test_picture.hpp"

namespace vantrix {
namespace {

using namespace vantrix::testing;

const Bytes kTinyStream = zlib(bytesOf({0, 0, 0, 0}));

struct HostileCase {
  std::string name;
  Bytes file;
  PngError why;
};

TEST(PngLimits, RefusesHostileSizesBeforeAllocatingForThem) {
  const std::vector<HostileCase> cases = {
      {"2^31 x 2^31 RGBA",
       pngFile({ihdr(0x80000000u, 0x80000000u, 8, 6), idat(kTinyStream), iend()}),
       PngError::tooLarge},
      {"largest sizes, 16-bit RGBA interlaced",
       pngFile({ihdr(0xFFFFFFFFu, 0xFFFFFFFFu, 16, 6, 1), idat(kTinyStream), iend()}),
       PngError::tooLarge},
      // Within the pixel limit, but 64 MB of rows cannot come out of a dozen bytes.
      {"6000 x 6000 grey", pngFile({ihdr(6000, 6000, 8, 0), idat(kTinyStream), iend()}),
       PngError::tooLittleData},
      {"1 x 6,000,000 grey, 1 bit", pngFile({ihdr(1, 6000000, 1, 0, 1), idat(kTinyStream), iend()}),
       PngError::tooLittleData},
      // Output rows padded to 32 bytes: 1.9 GB for a picture of 60 million pixels.
      {"1 x 60,000,000 grey, 1 bit",
       pngFile({ihdr(1, 60000000, 1, 0, 1), idat(kTinyStream), iend()}), PngError::tooLarge},
      // 137 MiB of output, but 275 MiB of 16-bit scanlines beside it.
      {"6000 x 6000 RGBA, 16 bits", pngFile({ihdr(6000, 6000, 16, 6), idat(kTinyStream), iend()}),
       PngError::tooLarge},
  };
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.name);
    const PngError why = decodePngPicture(c.file).error;
    EXPECT_EQ(why, c.why) << toString(why);
  }
}

TEST(PngLimits, DecodedPixelLimitIsInclusive) {
  const Bytes file =
      pngFile({ihdr(2, 2, 8, 0), idat(zlib(rows({Bytes(2, 9), Bytes(2, 9)}))), iend()});
  DecodeLimits limits;
  // 2 output rows of 32-bit pixels padded to 32 bytes, and 2 scanlines of 3 bytes.
  limits.maxDecodedBytes = 2 * 32 + 2 * 3;
  EXPECT_EQ(decodePngPicture(file, limits).error, PngError::none);
  limits.maxDecodedBytes -= 1;
  EXPECT_EQ(decodePngPicture(file, limits).error, PngError::tooLarge);
}

// 2048 × 2048 grey zeros compress to about 1/1026 of their size, close to what deflate can do.
struct DenseFile {
  Bytes file;
  std::size_t expected = 2048 * 2049;
  std::size_t streamSize = 0;
};

DenseFile denseFile() {
  DenseFile dense;
  const Bytes stream = zlib(Bytes(dense.expected, 0));
  dense.streamSize = stream.size();
  dense.file = pngFile({ihdr(2048, 2048, 8, 0), idat(stream), iend()});
  return dense;
}

TEST(PngLimits, TheInflateBoundAcceptsTheDensestStreamsZlibWrites) {
  const DenseFile dense = denseFile();
  ASSERT_GT(dense.expected / dense.streamSize, 1000u);
  const auto decoded = decodePngPicture(dense.file);
  ASSERT_EQ(decoded.error, PngError::none) << toString(decoded.error);
  EXPECT_EQ(decoded.picture.pixel(2047, 2047), 0xFF000000u);
}

TEST(PngLimits, TheInflateBoundIsTheRatioTimesTheImageDataLength) {
  const DenseFile dense = denseFile();
  DecodeLimits limits;
  limits.maxInflateRatio = (dense.expected + dense.streamSize - 1) / dense.streamSize;
  EXPECT_EQ(decodePngPicture(dense.file, limits).error, PngError::none);
  limits.maxInflateRatio -= 1;
  EXPECT_EQ(decodePngPicture(dense.file, limits).error, PngError::tooLittleData);
}

// A file whose scanlines are wrong is refused for the same reason whatever part of it is
// shown, though rows are restored while they inflate: a damaged or short stream is reported as
// such even where a bad filter type comes first, and rows below the part shown are not
// restored but still have their filter type checked.
struct ScanlineFault {
  std::string name;
  std::uint32_t height;  // rows of 4 grey samples; past 16,384 they outgrow the sink's window
  std::size_t badFilterRow;
  PngError why;
  int damage;  // 0: none; 1: a wrong Adler-32; 2: the last row missing
};

TEST(PngLimits, ScanlineFaultsAreJudgedAlikeWhateverIsShown) {
  const std::vector<ScanlineFault> faults = {
      {"bad filter below the part shown", 4, 3, PngError::badFilter, 0},
      {"bad filter far below, past the window", 20000, 19999, PngError::badFilter, 0},
      {"bad filter, then a wrong checksum", 4, 0, PngError::inflateFailed, 1},
      {"bad filter, then a wrong checksum past the window", 20000, 0, PngError::inflateFailed, 1},
      {"bad filter, then a row too few", 4, 0, PngError::wrongInflatedSize, 2},
      {"only Paeth", 20000, SIZE_MAX, PngError::none, 0},
  };
  for (const ScanlineFault& fault : faults) {
    Bytes scanlines;
    for (std::size_t r = 0; r < fault.height; ++r) {
      scanlines.push_back(r == fault.badFilterRow ? 5 : 4);
      scanlines.insert(scanlines.end(), {std::uint8_t{10}, std::uint8_t{20}, std::uint8_t{30},
                                         static_cast<std::uint8_t>(r)});
    }
    if (fault.damage == 2) scanlines.resize(scanlines.size() - 5);
    Bytes stream = zlib(scanlines);
    if (fault.damage == 1) stream.back() ^= 1;
    const Bytes file = pngFile({ihdr(4, fault.height, 8, 0), idat(stream), iend()});
    DecodeLimits topLeft;
    topLeft.shown = {0, 0, 2, 2};
    EXPECT_EQ(decodePngPicture(file).error, fault.why) << fault.name;
    EXPECT_EQ(decodePngPicture(file, topLeft, PngPixels::argb, false, true).error, fault.why)
        << fault.name;
  }
}

const std::filesystem::path kSuite = std::filesystem::path(VANTRIX_TEST_DATA) / "pngsuite";

TEST(PngFiles, RefusesEveryCorruptPngSuiteImageForItsFault) {
  ASSERT_TRUE(std::filesystem::is_directory(kSuite)) << "PngSuite missing: " << kSuite;
  const std::vector<std::pair<std::string, PngError>> cases = {
      {"xc1n0g08.png", PngError::badIhdr},      {"xc9n2c08.png", PngError::badIhdr},
      {"xcrn0g04.png", PngError::badSignature}, {"xcsn0g01.png", PngError::crcMismatch},
      {"xd0n2c08.png", PngError::badIhdr},      {"xd3n2c08.png", PngError::badIhdr},
      {"xd9n2c08.png", PngError::badIhdr},      {"xdtn0g01.png", PngError::noImageData},
      {"xhdn0g08.png", PngError::crcMismatch},  {"xlfn0g04.png", PngError::badSignature},
      {"xs1n0g01.png", PngError::badSignature}, {"xs2n0g01.png", PngError::badSignature},
      {"xs4n0g01.png", PngError::badSignature}, {"xs7n0g01.png", PngError::badSignature},
  };
  std::size_t corruptInSuite = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kSuite)) {
    const std::string name = entry.path().filename().string();
    if (name[0] == 'x' && entry.path().extension() == ".png") ++corruptInSuite;
  }
  EXPECT_EQ(corruptInSuite, cases.size()) << "a corrupt image without an expected reason";
  for (const auto& [name, reason] : cases) {
    SCOPED_TRACE(name);
    const std::optional<Bytes> file = platform::readFile((kSuite / name).string());
    ASSERT_TRUE(file);
    EXPECT_EQ(decodePngPicture(*file).error, reason);
  }
}

TEST(PngFiles, RefusesAFileTooShortToBeOne) {
  const Bytes file = pngFile({ihdr(1, 1, 8, 2), idat(zlib(rows({bytesOf({1, 2, 3})}))), iend()});
  EXPECT_EQ(decodePngPicture(file).error, PngError::none);
  for (std::size_t size : {std::size_t{0}, std::size_t{8}, std::size_t{48}}) {
    EXPECT_EQ(decodePngPicture(ByteView(file).first(size)).error, PngError::tooShort) << size;
  }
}

}  // namespace
}  // namespace vantrix
