#include "codecs/xyz.hpp"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "common/checked.hpp"
#include "platform/platform.hpp"

namespace vantrix {
namespace {

constexpr std::uint8_t kMagic[4] = {'X', 'Y', 'Z', '1'};
constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kPaletteBytes = 768;
// Room a stream may use after the pixels: the writer appends exactly this many bytes.
constexpr std::size_t kTrailingRoom = std::size_t{1} << 20;
constexpr std::uint16_t kMaxSide = 0xFFFF;

using RawPalette = std::array<std::uint8_t, kPaletteBytes>;

struct XyzSize {
  std::uint32_t width;
  std::uint32_t height;
};

void report(XyzError* error, XyzError why) {
  if (error) *error = why;
}

XyzError readSize(ByteView file, XyzSize& size) {
  if (file.size() < 4 || !std::equal(kMagic, kMagic + 4, file.begin())) return XyzError::badMagic;
  if (file.size() < kHeaderSize) return XyzError::shortHeader;
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

class InflateStream {
 public:
  InflateStream() { ready_ = inflateInit(&stream_) == Z_OK; }
  ~InflateStream() {
    if (ready_) inflateEnd(&stream_);
  }
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;
  bool ready() const { return ready_; }
  z_stream& get() { return stream_; }

 private:
  z_stream stream_{};
  bool ready_ = false;
};

// Inflates the stream straight into the palette and the image rows, so no buffer of the whole
// picture is ever made; pixels outside the image (the kept corner) and trailing bytes are
// counted and dropped. The stream must end, and must yield the palette and every pixel but
// no more than the pixels plus kTrailingRoom bytes.
XyzError inflatePicture(ByteView data, XyzSize size, RawPalette& palette, PixelImage& image) {
  InflateStream inflater;
  if (!inflater.ready()) return XyzError::outOfMemory;
  z_stream& zs = inflater.get();
  const std::size_t width = size.width;
  const std::size_t pixelEnd = kPaletteBytes + width * size.height;
  const std::size_t capacity = pixelEnd + kTrailingRoom;
  std::array<std::uint8_t, 32768> discard;
  std::size_t given = 0;
  std::size_t produced = 0;
  for (;;) {
    if (zs.avail_in == 0 && given < data.size()) {
      const std::size_t chunk = std::min<std::size_t>(data.size() - given, UINT_MAX);
      zs.next_in = const_cast<Bytef*>(data.data() + given);
      zs.avail_in = static_cast<uInt>(chunk);
      given += chunk;
    }
    std::uint8_t* out;
    std::size_t room;
    if (produced < kPaletteBytes) {
      out = palette.data() + produced;
      room = kPaletteBytes - produced;
    } else if (produced < pixelEnd) {
      const std::size_t x = (produced - kPaletteBytes) % width;
      const std::size_t y = (produced - kPaletteBytes) / width;
      if (y < image.height() && x < image.width()) {
        out = image.row(static_cast<std::uint32_t>(y)) + x;
        room = image.width() - x;
      } else {
        // Outside the kept corner: the rest of this row, or all rows below it.
        out = discard.data();
        room = std::min(discard.size(), y < image.height() ? width - x : pixelEnd - produced);
      }
    } else {
      // One byte more than the room left shows a stream that overflows it.
      out = discard.data();
      room = std::min(discard.size(), capacity + 1 - produced);
    }
    zs.next_out = out;
    zs.avail_out = static_cast<uInt>(room);
    const int result = inflate(&zs, Z_NO_FLUSH);
    produced += room - zs.avail_out;
    if (produced > capacity) return XyzError::overCapacity;
    if (result == Z_STREAM_END) break;
    if (result == Z_OK) continue;
    if (result == Z_BUF_ERROR) {
      if (zs.avail_in == 0 && given < data.size()) continue;
      return XyzError::cutStream;
    }
    return result == Z_MEM_ERROR ? XyzError::outOfMemory : XyzError::damagedStream;
  }
  return produced < pixelEnd ? XyzError::shortStream : XyzError::none;
}

// The palette indices and the raw palette of a file.
std::optional<PixelImage> decodeIndexed(ByteView file, RawPalette& palette, XyzError* error,
                                        const DecodeLimits& limits) {
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
  const ByteView data = file.subspan(kHeaderSize);
  const auto yield = checkedMul(data.size(), limits.maxInflateRatio);
  if (yield && *yield < kPaletteBytes + pixels) {
    report(error, XyzError::cannotHoldData);
    return std::nullopt;
  }
  auto image = makeImage(
      1, {std::min(size.width, limits.keptWidth), std::min(size.height, limits.keptHeight)});
  if (!image) {
    report(error, XyzError::outOfMemory);
    return std::nullopt;
  }
  if (const XyzError why = inflatePicture(data, size, palette, *image); why != XyzError::none) {
    report(error, why);
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
                                         bool rgbOrder, XyzError* error,
                                         const DecodeLimits& limits) {
  RawPalette palette{};
  auto image = decodeIndexed(file, palette, error, limits);
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

std::optional<Bytes> encodeXyzImage(const PixelImage& image, const PaletteTable& table,
                                    bool sixBitInput, bool rgbOrder, XyzError* error) {
  const std::uint32_t width = image.width();
  const std::uint32_t height = image.height();
  // The header holds each side in 16 bits.
  if (image.layout() != PixelLayout::full || image.bytesPerPixel() != 1 || width > kMaxSide ||
      height > kMaxSide) {
    report(error, XyzError::badImage);
    return std::nullopt;
  }
  const std::size_t pixelEnd = kPaletteBytes + std::size_t{width} * height;
  const std::size_t workSize = pixelEnd + kTrailingRoom;
  if (workSize > std::numeric_limits<uLong>::max()) {
    report(error, XyzError::badImage);
    return std::nullopt;
  }
  Bytes file;
  Bytes work(workSize, 0);
  const int shift = sixBitInput ? 2 : 0;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const auto hi = static_cast<std::uint8_t>(((table[i] >> 16) & 0xFF) << shift);
    const auto mid = static_cast<std::uint8_t>(((table[i] >> 8) & 0xFF) << shift);
    const auto lo = static_cast<std::uint8_t>((table[i] & 0xFF) << shift);
    work[3 * i] = rgbOrder ? hi : lo;
    work[3 * i + 1] = mid;
    work[3 * i + 2] = rgbOrder ? lo : hi;
  }
  for (std::uint32_t y = 0; y < height; ++y) {
    std::memcpy(work.data() + kPaletteBytes + std::size_t{y} * width, image.row(y), width);
  }
  uLongf compressedSize = compressBound(static_cast<uLong>(workSize));
  file.resize(kHeaderSize + compressedSize);
  if (compress(file.data() + kHeaderSize, &compressedSize, work.data(),
               static_cast<uLong>(workSize)) != Z_OK) {
    report(error, XyzError::writeFailed);
    return std::nullopt;
  }
  file.resize(kHeaderSize + compressedSize);
  std::copy(kMagic, kMagic + 4, file.begin());
  const std::uint32_t packed = (height << 16) | width;
  for (std::size_t i = 0; i < 4; ++i)
    file[4 + i] = static_cast<std::uint8_t>(packed >> (8 * i));
  report(error, XyzError::none);
  return file;
}

XyzError saveXyzImage(const std::string& path, const PixelImage& image, const PaletteTable& table,
                      bool sixBitInput, bool rgbOrder) {
  XyzError error = XyzError::none;
  const auto file = encodeXyzImage(image, table, sixBitInput, rgbOrder, &error);
  if (!file) return error;
  return platform::writeFile(path, *file) ? XyzError::none : XyzError::writeFailed;
}

}  // namespace vantrix
