// The codecs the library offers: each entry point turns the internal readers' results into
// the public picture types and catches allocation failure, so nothing thrown reaches a caller.

#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>

#include "base64/base64.hpp"
#include "codecs/bmp_reader.hpp"
#include "codecs/png_decoder.hpp"
#include "codecs/xyz.hpp"
#include "common/checked.hpp"
#include "common/decode_limits.hpp"
#include "image/canvas.hpp"
#include "vantrix/codecs.hpp"

namespace vantrix {
namespace {

void say(std::string* why, std::string_view text) {
  if (why) *why = text;
}

// Runs a decode, turning allocation failure into "nothing" with the reason "out of memory".
template <class Decode>
auto guarded(std::string* why, Decode decode) -> decltype(decode()) {
  try {
    return decode();
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  say(why, "out of memory");
  return std::nullopt;
}

RgbaImage rgbaFromIndices(std::uint32_t width, std::uint32_t height,
                          const std::uint8_t* (*row)(const void*, std::uint32_t),
                          const void* source, const std::array<std::uint32_t, 256>& rgb) {
  RgbaImage image{width, height, {}};
  image.rgba.resize(std::size_t{width} * height * 4);
  std::uint8_t* out = image.rgba.data();
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* in = row(source, y);
    for (std::uint32_t x = 0; x < width; ++x, out += 4) {
      const std::uint32_t colour = rgb[in[x]];
      out[0] = static_cast<std::uint8_t>(colour >> 16);
      out[1] = static_cast<std::uint8_t>(colour >> 8);
      out[2] = static_cast<std::uint8_t>(colour);
      out[3] = 255;
    }
  }
  return image;
}

}  // namespace

std::optional<RgbaImage> decodePng(ByteView bytes, std::string* why) {
  return guarded(why, [&]() -> std::optional<RgbaImage> {
    PngError error = PngError::none;
    const std::optional<PixelImage> decoded =
        decodePngBuffer(bytes, PngTarget::bottomUpRgba, &error);
    if (!decoded) {
      say(why, toString(error));
      return std::nullopt;
    }
    // The decoder's colour buffer is bottom row first with unpadded RGBA rows; the public
    // image is top row first.
    RgbaImage image{decoded->width(), decoded->height(), {}};
    const std::size_t rowBytes = std::size_t{decoded->width()} * 4;
    image.rgba.reserve(rowBytes * decoded->height());
    for (std::uint32_t y = decoded->height(); y-- > 0;) {
      const std::uint8_t* row = decoded->row(y);
      image.rgba.insert(image.rgba.end(), row, row + rowBytes);
    }
    return image;
  });
}

std::optional<RgbaImage> decodeBmp(ByteView bytes, std::string* why) {
  return guarded(why, [&]() -> std::optional<RgbaImage> {
    const std::optional<BmpSize> size = readBmpSize(bytes);
    if (!size) {
      say(why, "not a BMP file, or a damaged header");
      return std::nullopt;
    }
    // The canvas's byte a pixel and the RGBA output: refused before anything is allocated.
    const auto pixels =
        checkedMul(static_cast<std::size_t>(size->width), static_cast<std::size_t>(size->height));
    if (!pixels || *pixels > kDefaultDecodeLimits.maxDecodedBytes / 5 || size->width > INT32_MAX ||
        size->height > INT32_MAX) {
      say(why, "too large");
      return std::nullopt;
    }
    Canvas canvas;
    if (canvas.createCanvas(static_cast<int>(size->width), static_cast<int>(size->height), 8) !=
        ImageStatus::success) {
      say(why, "too large");
      return std::nullopt;
    }
    const ImageStatus status = loadBmpToCanvas(canvas, bytes);
    if (status != ImageStatus::success) {
      say(why, status == ImageStatus::illegalCall ? "more than 8 bits a pixel"
                                                  : "damaged or unsupported BMP file");
      return std::nullopt;
    }
    // Canvas colours are 0x00BBGGRR; the public palette is 0xRRGGBB.
    std::array<std::uint32_t, 256> rgb{};
    for (std::size_t i = 0; i < rgb.size(); ++i) {
      const std::uint32_t c = canvas.palette()[i];
      rgb[i] = (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
    }
    return rgbaFromIndices(
        static_cast<std::uint32_t>(canvas.width()), static_cast<std::uint32_t>(canvas.height()),
        [](const void* c, std::uint32_t y) {
          return static_cast<const Canvas*>(c)->row(static_cast<int>(y));
        },
        &canvas, rgb);
  });
}

std::optional<IndexedImage> decodeXyz(ByteView bytes, std::string* why) {
  return guarded(why, [&]() -> std::optional<IndexedImage> {
    XyzError error = XyzError::none;
    PaletteTable table{};
    // Full 8-bit components, red in bits 16 to 23: the public palette's 0xRRGGBB.
    const std::optional<PixelImage> decoded =
        decodeXyzImage(bytes, table, /*sixBit=*/false, /*rgbOrder=*/true, &error);
    if (!decoded) {
      say(why, toString(error));
      return std::nullopt;
    }
    IndexedImage image{decoded->width(), decoded->height(), {}, {}};
    image.indices.reserve(std::size_t{image.width} * image.height);
    for (std::uint32_t y = 0; y < image.height; ++y) {
      image.indices.insert(image.indices.end(), decoded->row(y), decoded->row(y) + image.width);
    }
    for (std::size_t i = 0; i < table.size(); ++i)
      image.palette[i] = table[i] & 0xFFFFFF;
    return image;
  });
}

RgbaImage toRgba(const IndexedImage& image) {
  try {
    if (image.indices.size() != std::size_t{image.width} * image.height) return {};
    return rgbaFromIndices(
        image.width, image.height,
        [](const void* i, std::uint32_t y) {
          const auto* indexed = static_cast<const IndexedImage*>(i);
          return indexed->indices.data() + std::size_t{y} * indexed->width;
        },
        &image, image.palette);
  } catch (const std::exception&) {
    return {};
  }
}

#ifndef VANTRIX_NO_ZLIB
std::optional<std::vector<std::uint8_t>> encodeXyz(const IndexedImage& image, std::string* why) {
  return guarded(why, [&]() -> std::optional<std::vector<std::uint8_t>> {
    if (image.width == 0 || image.height == 0 ||
        image.indices.size() != std::size_t{image.width} * image.height) {
      say(why, "the indices are not width × height bytes");
      return std::nullopt;
    }
    const auto pitch = PixelImage::pitchFor(image.width, 1, 16);
    std::optional<PixelImage> pixels =
        pitch ? PixelImage::make(PixelLayout::full, 1, image.width, image.height, *pitch)
              : std::nullopt;
    if (!pixels) {
      say(why, "too large");
      return std::nullopt;
    }
    for (std::uint32_t y = 0; y < image.height; ++y) {
      std::copy_n(image.indices.data() + std::size_t{y} * image.width, image.width, pixels->row(y));
    }
    PaletteTable table{};
    std::copy(image.palette.begin(), image.palette.end(), table.begin());
    XyzError error = XyzError::none;
    std::optional<Bytes> file =
        encodeXyzImage(*pixels, table, /*sixBitInput=*/false, /*rgbOrder=*/true, &error);
    if (!file) say(why, toString(error));
    return file;
  });
}
#endif

std::optional<std::vector<std::uint8_t>> decodeBase64Bytes(std::string_view text) {
  return guarded(nullptr, [&] { return decodeBase64Strict(text); });
}

}  // namespace vantrix
