#include "support/test_picture.hpp"

#include "common/bytes.hpp"

namespace vantrix::testing {
namespace {

void fillPixels(std::vector<std::uint8_t>& pixels, int bytesPerPixel, std::uint32_t value) {
  for (std::size_t at = 0; at < pixels.size(); at += static_cast<std::size_t>(bytesPerPixel)) {
    if (bytesPerPixel == 1) {
      pixels[at] = static_cast<std::uint8_t>(value);
    } else {
      writeLe32(pixels.data() + at, value);
    }
  }
}

}  // namespace

TestPicture::TestPicture(std::uint32_t w, std::uint32_t h, int bpp, std::uint32_t value)
    : width(w), height(h), bytesPerPixel(bpp), fill(value) {
  pixels.resize(pitch() * height);
  fillPixels(pixels, bytesPerPixel, fill);
}

bool TestPicture::takesIndices(std::uint32_t, std::uint32_t,
                               const std::array<std::uint32_t, 256>& table) {
  colours = table;
  return indices;
}

bool TestPicture::begin(std::uint32_t w, std::uint32_t h, int bpp, bool) {
  ++begun;
  if (w != width || h != height || bpp != bytesPerPixel || pixels.empty()) {
    width = w;
    height = h;
    bytesPerPixel = bpp;
    pixels.assign(pitch() * height, 0);
    fillPixels(pixels, bytesPerPixel, fill);
  }
  return true;
}

std::uint32_t TestPicture::pixel(std::uint32_t x, std::uint32_t y) const {
  const std::uint8_t* p = pixels.data() + y * pitch() + x * static_cast<std::size_t>(bytesPerPixel);
  return bytesPerPixel == 1 ? *p : readLe32(p);
}

DecodedPng decodePngPicture(ByteView file, const DecodeLimits& limits, PngPixels pixels,
                            bool indices, bool inPlace, std::uint32_t fill) {
  DecodedPng decoded;
  decoded.picture.fill = fill;
  decoded.picture.indices = indices;
  Arena memory;
  if (inPlace) {
    Bytes copy(file.begin(), file.end());
    decoded.error = decodePngInPlace(copy, decoded.picture, pixels, limits, memory);
  } else {
    decoded.error = decodePng(file, decoded.picture, pixels, limits, memory);
  }
  return decoded;
}

}  // namespace vantrix::testing
