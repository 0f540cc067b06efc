// The codecs the library offers: each entry point has the internal decoders draw into the
// public picture types, and goes through guarded, so nothing thrown reaches a caller.

#include "vantrix/codecs.hpp"
#include "api/guard.hpp"
#include "base64/base64.hpp"
#include "codecs/bmp_reader.hpp"
#include "codecs/png_decoder.hpp"
#include "codecs/xyz.hpp"
#include "common/checked.hpp"

namespace vantrix {
namespace {

// The callers of these hold the whole picture: a window of up to 1 MiB, the size of a
// modest picture, saves moving a byte for each byte inflated.
constexpr DecodeLimits kWholePictureLimits = [] {
  DecodeLimits limits;
  limits.window = std::size_t{1} << 20;
  return limits;
}();

void say(std::string* why, std::string_view text) {
  if (why) *why = text;
}

// A decode's result, or nothing with the reason "out of memory" when memory ran out.
template <class Decode>
auto guardedDecode(std::string* why, Decode decode) -> decltype(decode()) {
  bool ended = false;
  auto result = guarded(decltype(decode())(), [&] {
    auto decoded = decode();
    ended = true;
    return decoded;
  });
  if (!ended) say(why, "out of memory");
  return result;
}

// The whole picture, rows top first with no padding. A decoder that writes every pixel of the
// rows it hands over one at a time (PNG, XYZ) has them appended from one row of room, so the
// picture's bytes are written once instead of zeroed first; rows asked for in any order (an
// interlaced PNG) or partly written (BMP, whose rows hold the background until drawn) go
// straight into the zeroed picture.
class WholePicture final : public PngTarget {
 public:
  WholePicture(std::vector<std::uint8_t>& pixels, bool wholeRows)
      : pixels_(pixels), wholeRows_(wholeRows) {}
  bool begin(std::uint32_t width, std::uint32_t height, int bytesPerPixel, bool anyOrder) override {
    width_ = width;
    height_ = height;
    pitch_ = std::size_t{width} * static_cast<std::size_t>(bytesPerPixel);
    appending_ = wholeRows_ && !anyOrder;
    if (appending_) {
      pixels_.reserve(pitch_ * height);
      room_.resize(pitch_);
    } else {
      pixels_.resize(pitch_ * height);
    }
    return true;
  }
  std::uint8_t* row(std::uint32_t y) override {
    return appending_ ? room_.data() : pixels_.data() + y * pitch_;
  }
  void rowDone(std::uint32_t y) override {
    if (!appending_) return;
    const std::size_t at = y * pitch_;
    if (at + pitch_ <= pixels_.size()) {
      std::copy(room_.begin(), room_.end(), pixels_.begin() + static_cast<std::ptrdiff_t>(at));
      return;
    }
    if (pixels_.size() < at) pixels_.resize(at);  // rows skipped stay zero
    pixels_.insert(pixels_.end(), room_.begin(), room_.end());
  }
  // The picture, whole even where the decode stopped early.
  void finish() { pixels_.resize(pitch_ * height_); }
  std::uint32_t width() const { return width_; }
  std::uint32_t height() const { return height_; }

 private:
  std::vector<std::uint8_t>& pixels_;
  const bool wholeRows_;
  bool appending_ = false;
  Buffer room_;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  std::size_t pitch_ = 0;
};

RgbaImage rgbaFromIndices(const IndexedImage& image) {
  RgbaImage rgba{image.width, image.height, {}};
  rgba.rgba.resize(image.indices.size() * 4);
  std::uint8_t* out = rgba.rgba.data();
  for (const std::uint8_t index : image.indices) {
    const std::uint32_t colour = image.palette[index];
    out[0] = static_cast<std::uint8_t>(colour >> 16);
    out[1] = static_cast<std::uint8_t>(colour >> 8);
    out[2] = static_cast<std::uint8_t>(colour);
    out[3] = 255;
    out += 4;
  }
  return rgba;
}

}  // namespace

std::optional<RgbaImage> decodePng(ByteView bytes, std::string* why) {
  return guardedDecode(why, [&]() -> std::optional<RgbaImage> {
    Arena memory;
    RgbaImage image;
    WholePicture picture(image.rgba, true);
    const PngError error = decodePng(bytes, picture, PngPixels::rgba, kWholePictureLimits, memory);
    if (error != PngError::none) {
      say(why, toString(error));
      return std::nullopt;
    }
    picture.finish();
    image.width = picture.width();
    image.height = picture.height();
    return image;
  });
}

std::optional<RgbaImage> decodeBmp(ByteView bytes, std::string* why) {
  return guardedDecode(why, [&]() -> std::optional<RgbaImage> {
    const std::optional<BmpSize> size = readBmpSize(bytes);
    if (!size) {
      say(why, "not a BMP file, or a damaged header");
      return std::nullopt;
    }
    // The indices and the RGBA output: refused before anything is allocated.
    const auto pixels =
        checkedMul(static_cast<std::size_t>(size->width), static_cast<std::size_t>(size->height));
    if (!pixels || *pixels > kDefaultDecodeLimits.maxDecodedBytes / 5 || size->width > INT32_MAX ||
        size->height > INT32_MAX) {
      say(why, "too large");
      return std::nullopt;
    }
    IndexedImage indexed{
        static_cast<std::uint32_t>(size->width), static_cast<std::uint32_t>(size->height), {}, {}};
    WholePicture picture(indexed.indices, false);
    Palette palette = defaultPalette();
    const BmpError error = drawBmp(bytes, indexed.width, indexed.height, picture, palette);
    if (error != BmpError::none) {
      say(why, toString(error));
      return std::nullopt;
    }
    // Palette colours are 0x00BBGGRR; the public palette is 0xRRGGBB.
    for (std::size_t i = 0; i < palette.size(); ++i) {
      const std::uint32_t c = palette[i];
      indexed.palette[i] = (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
    }
    return rgbaFromIndices(indexed);
  });
}

std::optional<IndexedImage> decodeXyz(ByteView bytes, std::string* why) {
  return guardedDecode(why, [&]() -> std::optional<IndexedImage> {
    Arena memory;
    IndexedImage image;
    WholePicture picture(image.indices, true);
    XyzColours colours{};
    const XyzError error = decodeXyz(bytes, picture, colours, kWholePictureLimits, memory);
    if (error != XyzError::none) {
      say(why, toString(error));
      return std::nullopt;
    }
    picture.finish();
    image.width = picture.width();
    image.height = picture.height();
    for (std::size_t i = 0; i < image.palette.size(); ++i) {
      image.palette[i] = std::uint32_t{colours[3 * i]} << 16 |
                         std::uint32_t{colours[3 * i + 1]} << 8 | colours[3 * i + 2];
    }
    return image;
  });
}

RgbaImage toRgba(const IndexedImage& image) {
  return guarded(RgbaImage{}, [&] {
    if (image.indices.size() != std::size_t{image.width} * image.height) return RgbaImage{};
    return rgbaFromIndices(image);
  });
}

#ifndef VANTRIX_NO_ZLIB
std::optional<std::vector<std::uint8_t>> encodeXyz(const IndexedImage& image, std::string* why) {
  return guardedDecode(why, [&]() -> std::optional<std::vector<std::uint8_t>> {
    XyzError error = XyzError::none;
    std::optional<Bytes> file = encodeXyz(image, error);
    if (!file) say(why, toString(error));
    return file;
  });
}
#endif

std::string encodeBase64(ByteView bytes) {
  return guarded(std::string(), [&] {
    std::string text;
    appendBase64(text, bytes);
    return text;
  });
}

std::optional<std::vector<std::uint8_t>> decodeBase64Bytes(std::string_view text) {
  return guarded(std::optional<std::vector<std::uint8_t>>(), [&] { return decodeBase64(text); });
}

}  // namespace vantrix
