#include "image/pixel_image.hpp"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "common/checked.hpp"

namespace vantrix {

std::optional<std::size_t> PixelImage::pitchFor(std::uint32_t width, int bytesPerPixel,
                                                std::size_t alignment) {
  auto bytes = checkedMul(width, static_cast<std::size_t>(bytesPerPixel));
  auto padded = checkedAdd(bytes, alignment - 1);
  if (!padded) return std::nullopt;
  return *padded & ~(alignment - 1);
}

std::optional<PixelImage> PixelImage::make(PixelLayout layout, int bytesPerPixel,
                                           std::uint32_t width, std::uint32_t height,
                                           std::size_t pitch) {
  PixelImage image;
  if (!image.reshape(layout, bytesPerPixel, width, height, pitch)) return std::nullopt;
  return image;
}

std::optional<PixelImage> PixelImage::makeForOverwrite(PixelLayout layout, int bytesPerPixel,
                                                       std::uint32_t width, std::uint32_t height,
                                                       std::size_t pitch) {
  PixelImage image;
  if (!image.reshapeFilling(layout, bytesPerPixel, width, height, pitch, false)) {
    return std::nullopt;
  }
  return image;
}

std::optional<PixelImage> PixelImage::adopt(PixelBytes bytes, PixelLayout layout, int bytesPerPixel,
                                            std::uint32_t width, std::uint32_t height,
                                            std::size_t pitch) {
  const auto total = checkedMul(pitch, std::size_t{height});
  if (!total || bytes.size() < *total) return std::nullopt;
  PixelImage image;
  image.pixels_ = std::move(bytes);
  if (!image.reshapeFilling(layout, bytesPerPixel, width, height, pitch, false)) {
    return std::nullopt;
  }
  return image;
}

void PixelImage::fill(std::uint32_t value) {
  const auto size = static_cast<std::size_t>(bytesPerPixel_);
  if (size == 1) {
    std::fill(pixels_.begin(), pixels_.end(), static_cast<std::uint8_t>(value));
    return;
  }
  for (std::size_t at = 0; at + size <= pixels_.size(); at += size) {
    std::uint8_t* p = pixels_.data() + at;
    p[0] = static_cast<std::uint8_t>(value);
    if (size >= 2) p[1] = static_cast<std::uint8_t>(value >> 8);
    if (size == 4) {
      p[2] = static_cast<std::uint8_t>(value >> 16);
      p[3] = static_cast<std::uint8_t>(value >> 24);
    }
  }
}

bool PixelImage::reshapeFilling(PixelLayout layout, int bytesPerPixel, std::uint32_t width,
                                std::uint32_t height, std::size_t pitch, bool zeroNew) {
  if (width == 0 || height == 0) return false;
  if (bytesPerPixel != 1 && bytesPerPixel != 2 && bytesPerPixel != 4) return false;
  auto rowBytes = checkedMul(width, static_cast<std::size_t>(bytesPerPixel));
  if (!rowBytes || pitch < *rowBytes) return false;
  auto total = checkedMul(pitch, height);
  if (!total) return false;
  const std::size_t kept = std::min(pixels_.size(), *total);
  pixels_.resize(*total);
  if (zeroNew) std::fill(pixels_.begin() + static_cast<std::ptrdiff_t>(kept), pixels_.end(), 0);
  layout_ = layout;
  bytesPerPixel_ = bytesPerPixel;
  width_ = width;
  height_ = height;
  pitch_ = pitch;
  return true;
}

}  // namespace vantrix
