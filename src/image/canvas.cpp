#include "image/canvas.hpp"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "common/checked.hpp"

namespace vantrix {
namespace {

constexpr std::uint32_t rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return red | (green << 8) | (blue << 16);
}

// Nine blocks of 24 colours walk the hue circle at five levels each; which level each of
// red, green and blue takes for entry j of a block.
constexpr std::uint8_t kHueWalk[24][3] = {
    {0, 0, 4}, {1, 0, 4}, {2, 0, 4}, {3, 0, 4}, {4, 0, 4}, {4, 0, 3}, {4, 0, 2}, {4, 0, 1},
    {4, 0, 0}, {4, 1, 0}, {4, 2, 0}, {4, 3, 0}, {4, 4, 0}, {3, 4, 0}, {2, 4, 0}, {1, 4, 0},
    {0, 4, 0}, {0, 4, 1}, {0, 4, 2}, {0, 4, 3}, {0, 4, 4}, {0, 3, 4}, {0, 2, 4}, {0, 1, 4},
};

constexpr std::uint8_t kBlockLevels[9][5] = {
    {0, 64, 125, 190, 255}, {125, 157, 190, 222, 255}, {182, 198, 218, 234, 255},
    {0, 28, 56, 85, 113},   {56, 68, 85, 97, 113},     {80, 89, 97, 105, 113},
    {0, 16, 32, 48, 64},    {32, 40, 48, 56, 64},      {44, 48, 52, 60, 64},
};

constexpr std::uint8_t kFirstSixteen[16][3] = {
    {0, 0, 0},     {0, 0, 170},     {0, 170, 0},    {0, 170, 170},   {170, 0, 0},   {170, 0, 170},
    {170, 85, 0},  {170, 170, 170}, {85, 85, 85},   {85, 85, 255},   {85, 255, 85}, {85, 255, 255},
    {255, 85, 85}, {255, 85, 255},  {255, 255, 85}, {255, 255, 255},
};

constexpr std::uint8_t kGreys[16] = {0,   20,  32,  44,  56,  68,  80,  97,
                                     113, 129, 145, 161, 182, 202, 226, 255};

constexpr Palette makeDefaultPalette() {
  Palette palette{};
  for (std::size_t i = 0; i < 16; ++i) {
    palette[i] = rgb(kFirstSixteen[i][0], kFirstSixteen[i][1], kFirstSixteen[i][2]);
    palette[16 + i] = rgb(kGreys[i], kGreys[i], kGreys[i]);
  }
  for (std::size_t block = 0; block < 9; ++block) {
    const auto& level = kBlockLevels[block];
    for (std::size_t j = 0; j < 24; ++j) {
      palette[32 + 24 * block + j] =
          rgb(level[kHueWalk[j][0]], level[kHueWalk[j][1]], level[kHueWalk[j][2]]);
    }
  }
  // Entries 248 to 255 stay black.
  return palette;
}

constexpr Palette kDefaultPalette = makeDefaultPalette();

// Bytes per pixel of a colour depth in bits, 0 for a depth the canvas does not offer.
int canvasBytesPerPixel(int depth) {
  switch (depth) {
    case 1:
    case 2:
    case 4:
    case 8:
      return 1;
    case 15:
    case 16:
      return 2;
    case 24:
    case 32:
      return 4;
    default:
      return 0;
  }
}

std::uint32_t to565(std::uint32_t colour) {
  const std::uint32_t red = (colour >> 16) & 0xFF;
  const std::uint32_t green = (colour >> 8) & 0xFF;
  const std::uint32_t blue = colour & 0xFF;
  return ((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3);
}

}  // namespace

const Palette& defaultPalette() {
  return kDefaultPalette;
}

std::uint32_t maskColour(int bytesPerPixel) {
  switch (bytesPerPixel) {
    case 2:
      return 0xF81F;
    case 4:
      return 0xFFFF00FF;
    default:
      return 0;
  }
}

ImageStatus Canvas::createCanvas(int width, int height, int depth) {
  const int bytesPerPixel = canvasBytesPerPixel(depth);
  if (width <= 0 || height <= 0 || bytesPerPixel == 0) return ImageStatus::illegalCall;
  const auto pitch =
      checkedMul(static_cast<std::size_t>(width), static_cast<std::size_t>(bytesPerPixel));
  const auto size = checkedMul(pitch, static_cast<std::size_t>(height));
  if (!size) return ImageStatus::illegalCall;
  // Every byte is set by clearCanvas below. Memory the canvas has room in is kept, so a canvas
  // made again costs no fresh pages.
  if (pixels_.capacity() >= *size) {
    pixels_.resize(*size);
  } else {
    PixelBytes pixels;
    pixels.resize(*size);
    pixels_.swap(pixels);
  }
  width_ = width;
  height_ = height;
  bytesPerPixel_ = bytesPerPixel;
  pitch_ = *pitch;
  backgroundColour_ = bytesPerPixel == 4 ? kTrueColourBackground : 0u;
  palette_ = kDefaultPalette;
  clearCanvas();
  return ImageStatus::success;
}

bool Canvas::adoptImage(PixelImage&& image, int width, int height) {
  const int bytesPerPixel = image.bytesPerPixel();
  if (width <= 0 || height <= 0 || (bytesPerPixel != 4 && bytesPerPixel != 1) ||
      image.layout() == PixelLayout::bottomUpRgba ||
      image.width() != static_cast<std::uint32_t>(width) ||
      image.height() != static_cast<std::uint32_t>(height)) {
    return false;
  }
  const std::size_t pitch =
      static_cast<std::size_t>(width) * static_cast<std::size_t>(bytesPerPixel);
  if (image.pitch() != pitch) return false;
  pixels_ = std::move(image).releasePixels();
  // Bytes past the last row (a decoder's working room) hold nothing of the canvas.
  pixels_.resize(pitch * static_cast<std::size_t>(height));
  width_ = width;
  height_ = height;
  bytesPerPixel_ = bytesPerPixel;
  pitch_ = pitch;
  backgroundColour_ = bytesPerPixel == 4 ? kTrueColourBackground : 0u;
  palette_ = kDefaultPalette;
  return true;
}

void Canvas::clearCanvas() {
  if (backgroundColour_ == 0) {
    std::fill(pixels_.begin(), pixels_.end(), std::uint8_t{0});
    return;
  }
  // One pixel, then the filled part copied onto the rest, doubling each time.
  if (pixels_.size() < 4) return;
  storePixel32(pixels_.data(), backgroundColour_);
  const std::size_t whole = pixels_.size() & ~std::size_t{3};
  for (std::size_t filled = 4; filled < whole;) {
    const std::size_t step = std::min(filled, whole - filled);
    std::memcpy(pixels_.data() + filled, pixels_.data(), step);
    filled += step;
  }
}

void Canvas::setPaletteColour(int index, std::uint32_t colour) {
  if (bytesPerPixel_ != 1) return;
  const auto scale = [](std::uint32_t sixBit) { return (sixBit & 0x3F) * 255 / 63; };
  palette_[static_cast<std::size_t>(index & 255)] =
      rgb(scale(colour), scale(colour >> 8), scale(colour >> 16));
}

std::optional<PixelImage> Canvas::createImage(int width, int height, int depth,
                                              std::optional<std::uint32_t> fill) const {
  if (!hasPixels() || width <= 0 || height <= 0) return std::nullopt;
  const int bytesPerPixel = depth <= 0 ? bytesPerPixel_ : (depth + 7) / 8;
  if (bytesPerPixel != 1 && bytesPerPixel != 2 && bytesPerPixel != 4) return std::nullopt;
  const auto pitch = PixelImage::pitchFor(static_cast<std::uint32_t>(width), bytesPerPixel, 16);
  if (!pitch) return std::nullopt;
  auto image = PixelImage::make(PixelLayout::full, bytesPerPixel, static_cast<std::uint32_t>(width),
                                static_cast<std::uint32_t>(height), *pitch);
  if (!image) return std::nullopt;
  std::uint32_t value = maskColour(bytesPerPixel);
  if (fill) value = bytesPerPixel == 2 ? to565(*fill) : *fill;
  image->fill(value);
  return image;
}

ImageStatus Canvas::copyCanvasRect(std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                   std::int64_t y2, PixelImage& image) const {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  if (x1 < 0 || y1 < 0 || x2 >= width_ || y2 >= height_) return ImageStatus::illegalCall;
  const auto width = static_cast<std::uint32_t>(x2 - x1 + 1);
  const auto height = static_cast<std::uint32_t>(y2 - y1 + 1);
  const auto pitch = PixelImage::pitchFor(width, bytesPerPixel_, 16);
  if (!pitch || !image.reshape(PixelLayout::full, bytesPerPixel_, width, height, *pitch)) {
    return ImageStatus::illegalCall;
  }
  const std::size_t rowBytes = std::size_t{width} * pixelSize();
  const std::size_t left = static_cast<std::size_t>(x1) * pixelSize();
  for (std::uint32_t r = 0; r < height; ++r) {
    std::memcpy(image.row(r), row(static_cast<int>(y1) + static_cast<int>(r)) + left, rowBytes);
  }
  return ImageStatus::success;
}

ImageStatus Canvas::putImage(const PixelImage& image, std::int64_t x, std::int64_t y) {
  if (image.layout() == PixelLayout::bottomUpRgba || image.bytesPerPixel() != bytesPerPixel_) {
    return ImageStatus::illegalCall;
  }
  // Coordinates beyond the canvas are tested first, so the sums below cannot overflow.
  if (x >= width_ || y >= height_) return ImageStatus::success;
  const std::int64_t right = std::min<std::int64_t>(x + image.width(), width_);
  const std::int64_t bottom = std::min<std::int64_t>(y + image.height(), height_);
  const std::int64_t left = std::max<std::int64_t>(x, 0);
  const std::int64_t top = std::max<std::int64_t>(y, 0);
  if (left >= right || top >= bottom) return ImageStatus::success;
  const auto bytes = static_cast<std::size_t>(right - left) * pixelSize();
  const auto skip = static_cast<std::size_t>(left - x) * pixelSize();
  for (std::int64_t canvasRow = top; canvasRow < bottom; ++canvasRow) {
    const auto imageRow = static_cast<std::uint32_t>(canvasRow - y);
    std::memcpy(row(static_cast<int>(canvasRow)) + static_cast<std::size_t>(left) * pixelSize(),
                image.row(imageRow) + skip, bytes);
  }
  return ImageStatus::success;
}

}  // namespace vantrix
