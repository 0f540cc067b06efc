#include "codecs/xyz.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "codecs/inflate.hpp"
#include "codecs/xyz_format.hpp"
#include "common/checked.hpp"
#include "platform/platform.hpp"

namespace vantrix {
namespace {

using RawPalette = std::array<std::uint8_t, kXyzPaletteBytes>;

struct XyzSize {
  std::uint32_t width;
  std::uint32_t height;
};

void report(XyzError* error, XyzError why) {
  if (error) *error = why;
}

XyzError readSize(ByteView file, XyzSize& size) {
  if (file.size() < 4 || !std::equal(kXyzMagic, kXyzMagic + 4, file.begin()))
    return XyzError::badMagic;
  if (file.size() < kXyzHeaderSize) return XyzError::shortHeader;
  const std::uint32_t packed = readLe32(file.data() + 4);
  size = {packed & 0xFFFF, packed >> 16};
  if (size.width == 0 || size.height == 0) return XyzError::emptyImage;
  return XyzError::none;
}

// The bytes of a full-layout image of the size; both sides are below 2^16, so this fits.
std::size_t imageBytes(int bytesPerPixel, XyzSize size) {
  return *PixelImage::pitchFor(size.width, bytesPerPixel, 16) * size.height;
}

std::optional<PixelImage> makeImage(int bytesPerPixel, XyzSize size) {
  const auto pitch = PixelImage::pitchFor(size.width, bytesPerPixel, 16);
  if (!pitch) return std::nullopt;
  return PixelImage::make(PixelLayout::full, bytesPerPixel, size.width, size.height, *pitch);
}

// Inflates the stream into `room` bytes of `buffer`: the palette, the rows without padding,
// and whatever the stream holds after them. It must end, and must yield the palette and every
// pixel but no more than the pixels plus kXyzTrailingRoom bytes; a room smaller than that
// must hold all the stream can yield.
XyzError inflatePicture(ByteView data, std::uint8_t* buffer, std::size_t pixelEnd,
                        std::size_t room) {
  const InflateOutcome outcome = inflateZlibInto(data, buffer, room);
  switch (outcome.end) {
    case InflateEnd::complete:
      return outcome.produced < pixelEnd ? XyzError::shortStream : XyzError::none;
    case InflateEnd::overran:
      return XyzError::overCapacity;
    case InflateEnd::cut:
      return XyzError::cutStream;
    case InflateEnd::damaged:
      break;
  }
  return XyzError::damagedStream;
}

// Moves the first `width` bytes of rows stored `stride` bytes apart behind the palette to
// their places `pitch` bytes apart from the buffer's start, and clears the padding. Rows whose
// place lies before their bytes move top down and the others bottom up, so no row lands on
// one not yet moved.
void spreadRows(std::uint8_t* buffer, std::size_t stride, std::size_t width, std::size_t height,
                std::size_t pitch) {
  const std::size_t split =
      pitch <= stride ? height : std::min(height, kXyzPaletteBytes / (pitch - stride) + 1);
  auto move = [&](std::size_t y) {
    std::memmove(buffer + y * pitch, buffer + kXyzPaletteBytes + y * stride, width);
  };
  for (std::size_t y = 0; y < split; ++y)
    move(y);
  for (std::size_t y = height; y-- > split;)
    move(y);
  for (std::size_t y = 0; y < height && pitch > width; ++y) {
    std::memset(buffer + y * pitch + width, 0, pitch - width);
  }
}

// The palette indices and the raw palette of a file.
std::optional<PixelImage> decodeIndexed(ByteView file, RawPalette& palette, XyzError* error,
                                        const DecodeLimits& limits, PixelBytes memory) {
  XyzSize size{};
  if (const XyzError why = readSize(file, size); why != XyzError::none) {
    report(error, why);
    return std::nullopt;
  }
  const std::size_t pixels = std::size_t{size.width} * size.height;
  // The index image's rows are padded to 16 bytes: the padding is memory as well.
  if (imageBytes(1, size) > limits.maxDecodedBytes) {
    report(error, XyzError::tooLarge);
    return std::nullopt;
  }
  // A zlib stream cannot inflate to more than maxInflateRatio times its size; a file whose
  // data cannot hold the palette and pixels is refused before anything is allocated.
  const ByteView data = file.subspan(kXyzHeaderSize);
  const auto yield = checkedMul(data.size(), limits.maxInflateRatio);
  if (yield && *yield < kXyzPaletteBytes + pixels) {
    report(error, XyzError::cannotHoldData);
    return std::nullopt;
  }
  // One buffer takes all the stream may yield and then becomes the image. A stream yields at
  // most 1,032 bytes a byte (the default ratio is deflate's own), so a short one needs no
  // megabyte of room after the pixels.
  const std::size_t pixelEnd = kXyzPaletteBytes + pixels;
  const std::size_t pitch = *PixelImage::pitchFor(size.width, 1, 16);
  const std::size_t most =
      checkedMul(data.size(), kDefaultDecodeLimits.maxInflateRatio).value_or(SIZE_MAX);
  const std::size_t room = std::min(pixelEnd + kXyzTrailingRoom, std::max(most, pixelEnd));
  PixelBytes buffer = std::move(memory);
  buffer.resize(std::max(room, pitch * size.height));
  if (const XyzError why = inflatePicture(data, buffer.data(), pixelEnd, room);
      why != XyzError::none) {
    report(error, why);
    return std::nullopt;
  }
  std::copy_n(buffer.begin(), kXyzPaletteBytes, palette.begin());
  // Only the corner the caller keeps becomes the image; the rest was inflated and checked.
  const std::uint32_t keptWidth = std::min(size.width, limits.keptWidth);
  const std::uint32_t keptHeight = std::min(size.height, limits.keptHeight);
  const std::size_t keptPitch = *PixelImage::pitchFor(keptWidth, 1, 16);
  spreadRows(buffer.data(), size.width, keptWidth, keptHeight, keptPitch);
  auto image =
      PixelImage::adopt(std::move(buffer), PixelLayout::full, 1, keptWidth, keptHeight, keptPitch);
  if (!image) {
    report(error, XyzError::outOfMemory);
    return std::nullopt;
  }
  report(error, XyzError::none);
  return image;
}

std::uint32_t tableEntry(const RawPalette& palette, std::size_t index, bool sixBit, bool rgbOrder) {
  const int shift = sixBit ? 2 : 0;
  const std::uint32_t red = std::uint32_t{palette[3 * index]} >> shift;
  const std::uint32_t green = std::uint32_t{palette[3 * index + 1]} >> shift;
  const std::uint32_t blue = std::uint32_t{palette[3 * index + 2]} >> shift;
  return 0xFF000000u |
         (rgbOrder ? (red << 16) | (green << 8) | blue : (blue << 16) | (green << 8) | red);
}

}  // namespace

std::string_view toString(XyzError error) {
  switch (error) {
    case XyzError::none:
      return "no error";
    case XyzError::fileNotFound:
      return "file cannot be read";
    case XyzError::badMagic:
      return "not an XYZ1 file";
    case XyzError::shortHeader:
      return "file ends within the header";
    case XyzError::emptyImage:
      return "width or height is 0";
    case XyzError::tooLarge:
      return "picture larger than the decode limit";
    case XyzError::cannotHoldData:
      return "compressed data too short for the picture";
    case XyzError::damagedStream:
      return "damaged zlib stream";
    case XyzError::cutStream:
      return "zlib stream cut short";
    case XyzError::overCapacity:
      return "zlib stream inflates past its room";
    case XyzError::shortStream:
      return "zlib stream ends before the last pixel";
    case XyzError::outOfMemory:
      return "out of memory";
    case XyzError::badImage:
      return "image cannot be saved as XYZ";
    case XyzError::writeFailed:
      return "compressing or writing failed";
  }
  return "unknown XYZ error";
}

std::optional<PixelImage> decodeXyzImage(ByteView file, PaletteTable& table, bool sixBit,
                                         bool rgbOrder, XyzError* error, const DecodeLimits& limits,
                                         PixelBytes memory) {
  RawPalette palette{};
  auto image = decodeIndexed(file, palette, error, limits, std::move(memory));
  if (!image) return std::nullopt;
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i] = tableEntry(palette, i, sixBit, rgbOrder);
  }
  return image;
}

std::optional<PixelImage> loadXyzImage(const std::string& path, PaletteTable& table, bool sixBit,
                                       bool rgbOrder, XyzError* error) {
  const auto file = platform::readFile(path);
  if (!file) {
    report(error, XyzError::fileNotFound);
    return std::nullopt;
  }
  return decodeXyzImage(*file, table, sixBit, rgbOrder, error);
}

std::optional<PixelImage> decodeXyzImageTrueColour(ByteView file, bool transparentZero,
                                                   XyzError* error, const DecodeLimits& limits) {
  // The colour image is made while the indices are held: both must fit the limit.
  XyzSize size{};
  if (readSize(file, size) == XyzError::none) {
    if (imageBytes(4, size) + imageBytes(1, size) > limits.maxDecodedBytes) {
      report(error, XyzError::tooLarge);
      return std::nullopt;
    }
  }
  PaletteTable table{};
  auto indices = decodeXyzImage(file, table, false, true, error, limits);
  if (!indices) return std::nullopt;
  auto colours = makeImage(4, {indices->width(), indices->height()});
  if (!colours) {
    report(error, XyzError::outOfMemory);
    return std::nullopt;
  }
  colours->fill(0x00FF00FF);
  for (std::uint32_t y = 0; y < indices->height(); ++y) {
    const std::uint8_t* source = indices->row(y);
    std::uint8_t* target = colours->row(y);
    for (std::uint32_t x = 0; x < indices->width(); ++x, target += 4) {
      if (source[x] != 0 || !transparentZero) storePixel32(target, table[source[x]]);
    }
  }
  return colours;
}

std::optional<PixelImage> loadXyzImageTrueColour(const std::string& path, bool transparentZero,
                                                 XyzError* error) {
  const auto file = platform::readFile(path);
  if (!file) {
    report(error, XyzError::fileNotFound);
    return std::nullopt;
  }
  return decodeXyzImageTrueColour(*file, transparentZero, error);
}

}  // namespace vantrix
