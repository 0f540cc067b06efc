#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "common/bytes.hpp"
#include "image/canvas.hpp"
#include "image/image_status.hpp"
#include "image/pixel_image.hpp"

namespace vantrix {

// The image as a BMP file, rows bottom first: one byte a pixel gives an 8-bit BMP holding all
// 256 palette entries (3,382 bytes for 48 × 48), four bytes a pixel a 24-bit BMP without
// palette and without alpha (6,966 bytes for 48 × 48). Nothing for other images: two bytes
// a pixel, the bottom-up RGBA layout, or sizes a BMP header cannot hold.
std::optional<Bytes> encodeBmp(const PixelImage& image, const Palette& palette);

// How an image of one byte a pixel is written: as an 8-bit BMP with the palette, or as the
// 24-bit BMP of the colours (0xAARRGGBB) its indices stand for in the palette.
enum class BmpIndices { paletted, trueColour };

// The size of the image's BMP file, or nothing when it cannot be written as one.
std::optional<std::size_t> bmpFileSize(const PixelImage& image, BmpIndices indices);

// Writes encodeBmp's bytes into the start of `file` and returns their count; 0 when the image
// cannot be written as BMP or its file does not fit.
std::size_t encodeBmpInto(const PixelImage& image, const Palette& palette,
                          std::span<std::uint8_t> file, BmpIndices indices = BmpIndices::paletted);

// Writes encodeBmp's bytes to `path`, creating or emptying the file. illegalCall when the
// image cannot be written as BMP (the file is then not touched), fileNotFound when the file
// cannot be created or written.
ImageStatus saveImageAsBmp(const std::string& path, const PixelImage& image,
                           const Palette& palette);

}  // namespace vantrix
