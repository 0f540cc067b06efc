#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/image_status.hpp"
#include "image/pixel_image.hpp"

namespace vantrix {

// 256 colours 0x00BBGGRR, 8 bits a component.
using Palette = std::array<std::uint32_t, 256>;

// The palette every new canvas starts with.
const Palette& defaultPalette();

// The fill of an image made without a fill colour: 0, 0xF81F or opaque magenta.
std::uint32_t maskColour(int bytesPerPixel);

// An in-memory drawing surface with a palette. One face conversion owns one canvas, so
// nothing is shared between conversions or threads. A default-made canvas has no pixels
// until createCanvas succeeds.
class Canvas {
 public:
  // The background colour of a canvas of four bytes a pixel: opaque black.
  static constexpr std::uint32_t kTrueColourBackground = 0xFF000000u;

  // Replaces the canvas by one of width × height pixels of colour depth 1, 2, 4, 8 (one byte
  // a pixel), 15, 16 (two) or 24, 32 (four), filled with its background colour and given the
  // default palette. Bad arguments, or pixels that cannot be had, give illegalCall and leave
  // the canvas as it was. The canvas's memory is reused where it has room.
  ImageStatus createCanvas(int width, int height, int depth);

  // Sets every pixel to the background colour.
  void clearCanvas();

  // Sets palette entry index & 255 from a colour of six-bit components (red in bits 0 to 5,
  // green in 8 to 13, blue in 16 to 21), scaled to 8 bits. Ignored on canvases above 8 bits.
  void setPaletteColour(int index, std::uint32_t colour);

  // A full-layout image with rows padded to 16 bytes, every byte of every row set to the
  // fill colour (0xRRGGBB reduced to 5-6-5 for two bytes a pixel) or maskColour. Depth 0 or
  // below takes the canvas's depth. Nothing without a canvas, with a size below 1 or with a
  // depth that is not 1 to 8, 9 to 16 or 25 to 32 bits.
  std::optional<PixelImage> createImage(int width, int height, int depth,
                                        std::optional<std::uint32_t> fill) const;

  // Copies the inclusive rectangle between the corners (in either order) into `image`,
  // reshaping it to a full-layout image of the rectangle's size and the canvas depth. A
  // rectangle not wholly inside the canvas copies nothing and gives illegalCall.
  ImageStatus copyCanvasRect(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                             PixelImage& image) const;

  // What createCanvas(width, height, 32 or 8) and then putImage(image, 0, 0) give, for a
  // top-down image of 4 or 1 bytes a pixel and exactly width × height pixels without row
  // padding, made by taking the image's pixels instead of copying them. False, with canvas
  // and image unchanged, for any other image.
  bool adoptImage(PixelImage&& image, int width, int height);

  // Copies the image with its top-left pixel at (x, y), clipped to the canvas. An image of
  // another depth than the canvas, or one not drawable (bottom-up RGBA), gives illegalCall.
  ImageStatus putImage(const PixelImage& image, std::int64_t x, std::int64_t y);

  bool hasPixels() const { return !pixels_.empty(); }
  int width() const { return width_; }
  int height() const { return height_; }
  int bytesPerPixel() const { return bytesPerPixel_; }
  std::size_t pitch() const { return pitch_; }
  std::uint32_t backgroundColour() const { return backgroundColour_; }
  std::uint8_t* row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * pitch_; }
  const std::uint8_t* row(int y) const {
    return pixels_.data() + static_cast<std::size_t>(y) * pitch_;
  }
  PixelBytes& pixels() { return pixels_; }
  const PixelBytes& pixels() const { return pixels_; }
  Palette& palette() { return palette_; }
  const Palette& palette() const { return palette_; }

 private:
  std::size_t pixelSize() const { return static_cast<std::size_t>(bytesPerPixel_); }

  int width_ = 0;
  int height_ = 0;
  int bytesPerPixel_ = 1;
  std::size_t pitch_ = 0;
  std::uint32_t backgroundColour_ = 0;
  PixelBytes pixels_;
  Palette palette_ = defaultPalette();
};

}  // namespace vantrix
