#include "codecs/xyz.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/xyz_builder.hpp"

namespace vantrix {
namespace {

using testing::xyzContent;
using testing::xyzFile;
using testing::zlibStream;

constexpr std::size_t kTrailingRoom = 1048576;

PaletteTable markedTable() {
  PaletteTable table;
  table.fill(0x12345678);
  return table;
}

void expectPixelsOfContent(const PixelImage& image, std::uint32_t width, std::uint32_t height) {
  ASSERT_EQ(image.width(), width);
  ASSERT_EQ(image.height(), height);
  EXPECT_EQ(image.layout(), PixelLayout::full);
  EXPECT_EQ(image.bytesPerPixel(), 1);
  EXPECT_EQ(image.pitch(), (width + 15) / 16 * 16);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      ASSERT_EQ(image.row(y)[x], static_cast<std::uint8_t>(x + 3 * y)) << x << "," << y;
    }
  }
}

std::optional<PixelImage> decode(const Bytes& file, PaletteTable& table, XyzError& error,
                                 bool sixBit = false, bool rgbOrder = false) {
  return decodeXyzImage(file, table, sixBit, rgbOrder, &error);
}

TEST(XyzReader, StreamsOfEveryAllowedLengthDecode) {
  // Exactly the palette and pixels (another writer), with trailing bytes, and with all the
  // room this format allows after the pixels (this writer).
  for (std::size_t trailing : {std::size_t{0}, std::size_t{1000}, kTrailingRoom}) {
    const Bytes file = xyzFile(37, 11, zlibStream(xyzContent(37, 11, trailing)));
    PaletteTable table = markedTable();
    XyzError error = XyzError::damagedStream;
    const auto image = decode(file, table, error);
    ASSERT_TRUE(image) << trailing << ": " << toString(error);
    EXPECT_EQ(error, XyzError::none);
    expectPixelsOfContent(*image, 37, 11);
    EXPECT_EQ(table[2], 0xFF01FD02u);
  }
}

TEST(XyzReader, PaletteForms) {
  Bytes content = xyzContent(1, 1);
  content[0] = 0x10, content[1] = 0x20, content[2] = 0x30;
  content[3] = 255, content[4] = 3, content[5] = 128;
  const Bytes file = xyzFile(1, 1, zlibStream(content));
  struct Form {
    bool sixBit, rgbOrder;
    std::uint32_t entry0, entry1;
  };
  for (const Form& form : std::vector<Form>{{false, false, 0xFF302010, 0xFF8003FF},
                                            {false, true, 0xFF102030, 0xFFFF0380},
                                            {true, false, 0xFF0C0804, 0xFF20003F},
                                            {true, true, 0xFF04080C, 0xFF3F0020}}) {
    PaletteTable table{};
    XyzError error{};
    ASSERT_TRUE(decode(file, table, error, form.sixBit, form.rgbOrder));
    EXPECT_EQ(table[0], form.entry0) << form.sixBit << form.rgbOrder;
    EXPECT_EQ(table[1], form.entry1) << form.sixBit << form.rgbOrder;
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

TEST(XyzReader, RefusesDamagedFilesAndLeavesTheTable) {
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
    PaletteTable table = markedTable();
    XyzError error = XyzError::none;
    EXPECT_FALSE(decode(c.file, table, error)) << c.name;
    EXPECT_EQ(error, c.error) << c.name << ": " << toString(error);
    EXPECT_EQ(table, markedTable()) << c.name;
  }
}

TEST(XyzReader, TheSizeBoundRefusesNoRealStream) {
  // Zeros compress about as well as zlib can; such a picture must still pass the bound.
  const Bytes file = xyzFile(4000, 4000, zlibStream(Bytes(768 + 4000 * 4000, 0), 9));
  PaletteTable table{};
  XyzError error{};
  const auto image = decode(file, table, error);
  EXPECT_TRUE(image) << toString(error);
}

TEST(XyzReader, LimitsComeFromTheCaller) {
  const Bytes file = xyzFile(64, 64, zlibStream(xyzContent(64, 64)));
  PaletteTable table{};
  XyzError error{};
  DecodeLimits limits;
  limits.maxDecodedBytes = 64 * 64 - 1;
  EXPECT_FALSE(decodeXyzImage(file, table, false, false, &error, limits));
  EXPECT_EQ(error, XyzError::tooLarge);
  limits.maxDecodedBytes = 64 * 64;
  EXPECT_TRUE(decodeXyzImage(file, table, false, false, &error, limits));
  // Rows of 65 bytes are padded to 80, and the padding counts.
  const Bytes odd = xyzFile(65, 64, zlibStream(xyzContent(65, 64)));
  limits.maxDecodedBytes = 80 * 64 - 1;
  EXPECT_FALSE(decodeXyzImage(odd, table, false, false, &error, limits));
  EXPECT_EQ(error, XyzError::tooLarge);
  limits.maxDecodedBytes = 80 * 64;
  EXPECT_TRUE(decodeXyzImage(odd, table, false, false, &error, limits));
}

PaletteTable tableOfComponents(int maxComponent) {
  PaletteTable table;
  for (std::uint32_t i = 0; i < 256; ++i) {
    const auto range = static_cast<std::uint32_t>(maxComponent) + 1;
    table[i] = 0xFF000000u | ((i * 7) % range) << 16 | ((i * 13 + 5) % range) << 8 | (i % range);
  }
  table[255] = 0xFF000000u | static_cast<std::uint32_t>(maxComponent) * 0x010101u;
  return table;
}

TEST(XyzRoundTrip, SaveThenLoadGivesThePixelsAndTable) {
  struct Size {
    std::uint32_t width, height;
  };
  for (const Size size : std::vector<Size>{{3, 2}, {256, 256}, {300, 250}, {1, 70}}) {
    auto image = PixelImage::make(PixelLayout::full, 1, size.width, size.height,
                                  *PixelImage::pitchFor(size.width, 1, 16));
    ASSERT_TRUE(image);
    for (std::uint32_t y = 0; y < size.height; ++y) {
      for (std::uint32_t x = 0; x < size.width; ++x) {
        image->row(y)[x] = static_cast<std::uint8_t>(x + 3 * y);
      }
    }
    for (bool sixBit : {false, true}) {
      for (bool rgbOrder : {false, true}) {
        const PaletteTable table = tableOfComponents(sixBit ? 63 : 255);
        XyzError error{};
        const auto file = encodeXyzImage(*image, table, sixBit, rgbOrder, &error);
        ASSERT_TRUE(file) << toString(error);
        PaletteTable read{};
        const auto back = decodeXyzImage(*file, read, sixBit, rgbOrder, &error);
        ASSERT_TRUE(back) << toString(error);
        expectPixelsOfContent(*back, size.width, size.height);
        EXPECT_EQ(read, table) << size.width << " " << sixBit << rgbOrder;
      }
    }
  }
}

TEST(XyzWriter, WritesTheHeaderAndAMegabyteAfterThePixels) {
  auto image = PixelImage::make(PixelLayout::full, 1, 300, 2, 304);
  ASSERT_TRUE(image);
  PaletteTable table{};
  table[1] = 0x00414243;  // six-bit values above 63 lose their top bits when widened
  const auto file = encodeXyzImage(*image, table, true, false);
  ASSERT_TRUE(file);
  EXPECT_EQ(Bytes(file->begin(), file->begin() + 8),
            (Bytes{'X', 'Y', 'Z', '1', 0x2C, 0x01, 0x02, 0x00}));
  PaletteTable read{};
  ASSERT_TRUE(decodeXyzImage(*file, read, false, false));
  EXPECT_EQ(read[1], 0xFF04080Cu);
  // The stream holds exactly the palette, the pixels and 1 MiB more.
  Bytes relabelled = *file;
  relabelled[6] = 3;  // a third row comes out of the trailing bytes
  EXPECT_TRUE(decodeXyzImage(relabelled, read, false, false));
}

TEST(XyzWriter, RefusesImagesItCannotStore) {
  const PaletteTable table{};
  auto compact = PixelImage::make(PixelLayout::compact, 1, 4, 4, 4);
  auto colour = PixelImage::make(PixelLayout::full, 4, 4, 4, 16);
  auto wide = PixelImage::make(PixelLayout::full, 1, 65536, 1, 65536);
  ASSERT_TRUE(compact && colour && wide);
  for (const PixelImage* image : {&*compact, &*colour, &*wide}) {
    XyzError error{};
    EXPECT_FALSE(encodeXyzImage(*image, table, false, false, &error));
    EXPECT_EQ(error, XyzError::badImage);
    EXPECT_EQ(
        saveXyzImage(::testing::TempDir() + "/vantrix_never.xyz", *image, table, false, false),
        XyzError::badImage);
  }
}

TEST(XyzTrueColour, AppliesThePaletteAndOptionallyHidesIndexZero) {
  Bytes content = xyzContent(5, 3);
  content[0] = 0x11, content[1] = 0x22, content[2] = 0x33;  // entry 0 is not magenta
  const Bytes file = xyzFile(5, 3, zlibStream(content));
  for (bool transparentZero : {false, true}) {
    const auto image = decodeXyzImageTrueColour(file, transparentZero);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->bytesPerPixel(), 4);
    EXPECT_EQ(image->layout(), PixelLayout::full);
    EXPECT_EQ(image->pitch(), 32u);
    for (std::uint32_t y = 0; y < 3; ++y) {
      for (std::uint32_t x = 0; x < 5; ++x) {
        const std::uint32_t index = (x + 3 * y) & 0xFF;
        const std::uint32_t expected =
            index == 0 ? (transparentZero ? 0x00FF00FFu : 0xFF112233u)
                       : 0xFF000000u | index << 16 | (255 - index) << 8 | index / 2;
        EXPECT_EQ(loadPixel32(image->row(y) + 4 * x), expected) << x << "," << y;
      }
    }
  }
  XyzError error{};
  EXPECT_FALSE(decodeXyzImageTrueColour(Bytes(file.begin(), file.end() - 3), false, &error));
  EXPECT_EQ(error, XyzError::cutStream);
  // The 32-bit picture (rows of 32 bytes) and the indices it is made from (rows of 16) are
  // held at once: both count against the limit.
  DecodeLimits limits;
  limits.maxDecodedBytes = 32 * 3 + 16 * 3 - 1;
  EXPECT_FALSE(decodeXyzImageTrueColour(file, false, &error, limits));
  EXPECT_EQ(error, XyzError::tooLarge);
  limits.maxDecodedBytes += 1;
  EXPECT_TRUE(decodeXyzImageTrueColour(file, false, &error, limits)) << toString(error);
}

TEST(XyzFiles, SaveAndLoadThroughThePlatform) {
  const std::string folder = ::testing::TempDir() + "/vantrix_xyz_" +
                             std::to_string(::testing::UnitTest::GetInstance()->random_seed());
  std::filesystem::create_directories(folder);
  auto image = PixelImage::make(PixelLayout::full, 1, 192, 192, 192);
  ASSERT_TRUE(image);
  image->fill(9);
  const PaletteTable table = tableOfComponents(63);
  const std::string path = folder + "/face.xyz";
  EXPECT_EQ(saveXyzImage(path, *image, table, true, false), XyzError::none);
  PaletteTable read{};
  XyzError error{};
  const auto back = loadXyzImage(path, read, true, false, &error);
  ASSERT_TRUE(back) << toString(error);
  EXPECT_EQ(back->row(191)[191], 9);
  EXPECT_EQ(read, table);
  const auto colour = loadXyzImageTrueColour(path, true);
  ASSERT_TRUE(colour);
  EXPECT_EQ(loadPixel32(colour->row(0)), 0xFF000000u | (table[9] & 0xFF) << 18 |
                                             ((table[9] >> 8) & 0xFF) << 10 |
                                             ((table[9] >> 16) & 0xFF) << 2);

  EXPECT_FALSE(loadXyzImage(folder + "/missing.xyz", read, true, false, &error));
  EXPECT_EQ(error, XyzError::fileNotFound);
  EXPECT_FALSE(loadXyzImageTrueColour(folder + "/missing.xyz", false, &error));
  EXPECT_EQ(error, XyzError::fileNotFound);
  EXPECT_EQ(saveXyzImage(folder + "/no/such/folder.xyz", *image, table, true, false),
            XyzError::writeFailed);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vantrix
