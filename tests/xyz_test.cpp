#include "codecs/xyz.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_picture.hpp"
#include "support/xyz_builder.hpp"

namespace vantrix {
namespace {

using testing::xyzContent;
using testing::xyzFile;
using testing::zlibStream;

constexpr std::size_t kTrailingRoom = 1048576;

// A decode into a whole picture, its palette indices starting as 0xAA.
struct Decoded {
  XyzError error = XyzError::none;
  testing::TestPicture picture{0, 0, 1, 0xAA};
  XyzColours colours{};
};

Decoded decode(const Bytes& file, const DecodeLimits& limits = kDefaultDecodeLimits) {
  Decoded decoded;
  Arena memory;
  decoded.error = decodeXyz(file, decoded.picture, decoded.colours, limits, memory);
  return decoded;
}

void expectPixelsOfContent(const testing::TestPicture& picture, std::uint32_t width,
                           std::uint32_t height) {
  ASSERT_EQ(picture.width, width);
  ASSERT_EQ(picture.height, height);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      ASSERT_EQ(picture.at(x, y), static_cast<std::uint8_t>(x + 3 * y)) << x << "," << y;
    }
  }
}

TEST(XyzReader, StreamsOfEveryAllowedLengthDecode) {
  // Exactly the palette and pixels (another writer), with trailing bytes, and with all the
  // room this format allows after the pixels (this writer).
  for (std::size_t trailing : {std::size_t{0}, std::size_t{1000}, kTrailingRoom}) {
    const Bytes file = xyzFile(37, 11, zlibStream(xyzContent(37, 11, trailing)));
    const Decoded decoded = decode(file);
    ASSERT_EQ(decoded.error, XyzError::none) << trailing << ": " << toString(decoded.error);
    expectPixelsOfContent(decoded.picture, 37, 11);
    EXPECT_EQ(decoded.picture.rowsDone, 11);
    // Entry i is red i, green 255 - i, blue i / 2, as the file holds them.
    EXPECT_EQ(decoded.colours[6], 2);
    EXPECT_EQ(decoded.colours[7], 253);
    EXPECT_EQ(decoded.colours[8], 1);
  }
}

struct FailureCase {
  const char* name;
  Bytes file;
  XyzError error;
};

Bytes withMagic(const char* magic) {
  Bytes file = xyzFile(4, 4, zlibStream(xyzContent(4, 4)));
  std::copy(magic, magic + 4, file.begin());
  return file;
}

TEST(XyzReader, RefusesDamagedFiles) {
  const Bytes good = xyzFile(20, 10, zlibStream(xyzContent(20, 10)));
  Bytes flipped = good;
  flipped[8] ^= 0xFF;  // the zlib header's method byte
  Bytes badChecksum = good;
  badChecksum.back() ^= 1;
  std::vector<FailureCase> cases = {
      {"no bytes", {}, XyzError::badMagic},
      {"3 bytes", {'X', 'Y', 'Z'}, XyzError::badMagic},
      {"magic only", {'X', 'Y', 'Z', '1'}, XyzError::shortHeader},
      {"7 bytes", Bytes(good.begin(), good.begin() + 7), XyzError::shortHeader},
      {"exactly the header", Bytes(good.begin(), good.begin() + 8), XyzError::cannotHoldData},
      {"zero width", xyzFile(0, 10, zlibStream(xyzContent(0, 10))), XyzError::emptyImage},
      {"zero height", xyzFile(20, 0, zlibStream(xyzContent(20, 0))), XyzError::emptyImage},
      {"cut stream", Bytes(good.begin(), good.end() - 10), XyzError::cutStream},
      {"stream without its checksum", Bytes(good.begin(), good.end() - 4), XyzError::cutStream},
      {"damaged stream", flipped, XyzError::damagedStream},
      {"wrong checksum", badChecksum, XyzError::damagedStream},
      {"stream past the room", xyzFile(20, 10, zlibStream(xyzContent(20, 10, kTrailingRoom + 1))),
       XyzError::overCapacity},
      {"stream ending in the pixels", xyzFile(20, 10, zlibStream(xyzContent(20, 9))),
       XyzError::shortStream},
      {"stream ending in the palette", xyzFile(1, 1, zlibStream(Bytes(700, 1))),
       XyzError::shortStream},
      {"data too short for the pixels", xyzFile(0xFFFF, 0x800, zlibStream(Bytes(100, 0))),
       XyzError::cannotHoldData},
      {"pixels above the limit", xyzFile(0xFFFF, 0xFFFF, zlibStream(Bytes(100, 0))),
       XyzError::tooLarge},
      // 65,535 padded rows of 65,536 bytes: 256 MiB less 64 KiB would leave no room for
      // the rest of a conversion within 256 MiB.
      {"largest sides a 300 KB stream can fill", xyzFile(0xFFFF, 0xFFF, Bytes(300000, 0)),
       XyzError::tooLarge},
  };
  for (const char* magic :
       {"xyz1", "XYZ2", "xYZ1", "XyZ1", "XYz1", "AYZ1", "XAZ1", "XYA1", "XYZ\x01", "1ZYX"}) {
    cases.push_back({magic, withMagic(magic), XyzError::badMagic});
  }
  for (const auto& c : cases) {
    const XyzError error = decode(c.file).error;
    EXPECT_EQ(error, c.error) << c.name << ": " << toString(error);
  }
}

TEST(XyzReader, TheSizeBoundRefusesNoRealStream) {
  // Zeros compress about as well as zlib can; such a picture must still pass the bound.
  const Bytes file = xyzFile(4000, 4000, zlibStream(Bytes(768 + 4000 * 4000, 0), 9));
  EXPECT_EQ(decode(file).error, XyzError::none);
}

TEST(XyzReader, LimitsComeFromTheCaller) {
  const Bytes file = xyzFile(64, 64, zlibStream(xyzContent(64, 64)));
  DecodeLimits limits;
  limits.maxDecodedBytes = 64 * 64 - 1;
  EXPECT_EQ(decode(file, limits).error, XyzError::tooLarge);
  limits.maxDecodedBytes = 64 * 64;
  EXPECT_EQ(decode(file, limits).error, XyzError::none);
  // Rows of 65 bytes are padded to 80, and the padding counts.
  const Bytes odd = xyzFile(65, 64, zlibStream(xyzContent(65, 64)));
  limits.maxDecodedBytes = 80 * 64 - 1;
  EXPECT_EQ(decode(odd, limits).error, XyzError::tooLarge);
  limits.maxDecodedBytes = 80 * 64;
  EXPECT_EQ(decode(odd, limits).error, XyzError::none);
  // A kept corner gets its rows only; the rest is inflated and checked all the same.
  limits = kDefaultDecodeLimits;
  limits.keptWidth = 10;
  limits.keptHeight = 7;
  const Decoded corner = decode(odd, limits);
  ASSERT_EQ(corner.error, XyzError::none);
  expectPixelsOfContent(corner.picture, 10, 7);
  EXPECT_EQ(corner.picture.rowsDone, 7);
  EXPECT_EQ(decode(Bytes(odd.begin(), odd.end() - 2), limits).error, XyzError::cutStream);
}

std::array<std::uint32_t, 256> paletteOfComponents() {
  std::array<std::uint32_t, 256> palette{};
  for (std::uint32_t i = 0; i < 256; ++i)
    palette[i] = ((i * 7) % 256) << 16 | ((i * 13 + 5) % 256) << 8 | i;
  return palette;
}

IndexedImage pattern(std::uint32_t width, std::uint32_t height) {
  IndexedImage image{width, height, {}, paletteOfComponents()};
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x)
      image.indices.push_back(static_cast<std::uint8_t>(x + 3 * y));
  }
  return image;
}

TEST(XyzRoundTrip, WriteThenReadGivesThePixelsAndPalette) {
  struct Size {
    std::uint32_t width, height;
  };
  for (const Size size : std::vector<Size>{{3, 2}, {256, 256}, {300, 250}, {1, 70}}) {
    const IndexedImage image = pattern(size.width, size.height);
    XyzError error{};
    const auto file = encodeXyz(image, error);
    ASSERT_TRUE(file) << toString(error);
    const Decoded back = decode(*file);
    ASSERT_EQ(back.error, XyzError::none);
    expectPixelsOfContent(back.picture, size.width, size.height);
    for (std::size_t i = 0; i < 256; ++i) {
      const std::uint32_t colour = std::uint32_t{back.colours[3 * i]} << 16 |
                                   std::uint32_t{back.colours[3 * i + 1]} << 8 |
                                   back.colours[3 * i + 2];
      ASSERT_EQ(colour, image.palette[i]) << size.width << " " << i;
    }
  }
}

TEST(XyzWriter, WritesTheHeaderAndAMegabyteAfterThePixels) {
  IndexedImage image{300, 2, Bytes(600, 0), {}};
  image.palette[1] = 0x0C0804;
  XyzError error{};
  const auto file = encodeXyz(image, error);
  ASSERT_TRUE(file);
  EXPECT_EQ(Bytes(file->begin(), file->begin() + 8),
            (Bytes{'X', 'Y', 'Z', '1', 0x2C, 0x01, 0x02, 0x00}));
  const Decoded back = decode(*file);
  ASSERT_EQ(back.error, XyzError::none);
  EXPECT_EQ(Bytes(back.colours.begin() + 3, back.colours.begin() + 6), (Bytes{0x0C, 0x08, 0x04}));
  // The stream holds exactly the palette, the pixels and 1 MiB more.
  Bytes relabelled = *file;
  relabelled[6] = 3;  // a third row comes out of the trailing bytes
  EXPECT_EQ(decode(relabelled).error, XyzError::none);
}

TEST(XyzWriter, RefusesPicturesItCannotStore) {
  for (const IndexedImage& image :
       {IndexedImage{65536, 1, Bytes(65536, 0), {}}, IndexedImage{4, 4, Bytes(15, 0), {}},
        IndexedImage{0, 4, Bytes{}, {}}, IndexedImage{4, 65536, Bytes(4 * 65536, 0), {}}}) {
    XyzError error{};
    EXPECT_FALSE(encodeXyz(image, error));
    EXPECT_EQ(error, XyzError::badImage);
  }
}

}  // namespace
}  // namespace vantrix
