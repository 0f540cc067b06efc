#include "codecs/bmp_writer.hpp"

#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>

#include "common/checked.hpp"
#include "platform/platform.hpp"

namespace vantrix {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;
constexpr std::uint32_t kPixelsPerMetre = 2834;  // 72 dots per inch

}  // namespace

std::optional<Bytes> encodeBmp(const PixelImage& image, const Palette& palette) {
  if (image.layout() == PixelLayout::bottomUpRgba) return std::nullopt;
  const bool paletted = image.bytesPerPixel() == 1;
  if (!paletted && image.bytesPerPixel() != 4) return std::nullopt;

  const std::uint32_t width = image.width();
  const std::uint32_t height = image.height();
  const std::uint32_t dataOffset = kHeadersSize + (paletted ? 256 * 4 : 0);
  const auto rowBytes = checkedMul(width, paletted ? 1 : 3);
  const auto rowSize = checkedAdd(rowBytes, 3);
  if (!rowSize) return std::nullopt;
  const std::size_t paddedRow = *rowSize & ~std::size_t{3};
  const auto imageSize = checkedMul(paddedRow, height);
  const auto fileSize = checkedAdd(imageSize, dataOffset);
  constexpr auto kMax32 = std::size_t{std::numeric_limits<std::uint32_t>::max()};
  constexpr auto kMaxSigned32 = std::uint32_t{std::numeric_limits<std::int32_t>::max()};
  if (!fileSize || *fileSize > kMax32 || width > kMaxSigned32 || height > kMaxSigned32) {
    return std::nullopt;
  }

  Bytes file;
  file.reserve(*fileSize);
  file.push_back('B');
  file.push_back('M');
  putLe32(file, static_cast<std::uint32_t>(*fileSize));
  putLe32(file, 0);  // two reserved 16-bit fields
  putLe32(file, dataOffset);
  putLe32(file, kInfoHeaderSize);
  putLe32(file, width);
  putLe32(file, height);  // positive: the bottom row comes first
  putLe16(file, 1);       // planes
  putLe16(file, paletted ? 8 : 24);
  putLe32(file, 0);  // no compression
  putLe32(file, static_cast<std::uint32_t>(*imageSize));
  putLe32(file, kPixelsPerMetre);
  putLe32(file, kPixelsPerMetre);
  putLe32(file, paletted ? 256 : 0);  // colours used
  putLe32(file, paletted ? 256 : 0);  // important colours
  if (paletted) {
    for (std::uint32_t colour : palette) {
      file.push_back(static_cast<std::uint8_t>(colour >> 16));  // blue
      file.push_back(static_cast<std::uint8_t>(colour >> 8));   // green
      file.push_back(static_cast<std::uint8_t>(colour));        // red
      file.push_back(0);
    }
  }
  for (std::uint32_t r = height; r-- > 0;) {
    const std::uint8_t* pixels = image.row(r);
    if (paletted) {
      file.insert(file.end(), pixels, pixels + width);
    } else {
      for (std::uint32_t x = 0; x < width; ++x, pixels += 4) {
        // 0xAARRGGBB is stored as blue, green, red, alpha: the first three are the BMP's.
        file.insert(file.end(), pixels, pixels + 3);
      }
    }
    file.resize(file.size() + paddedRow - *rowBytes, 0);
  }
  return file;
}

ImageStatus saveImageAsBmp(const std::string& path, const PixelImage& image,
                           const Palette& palette) {
  const auto file = encodeBmp(image, palette);
  if (!file) return ImageStatus::illegalCall;
  return platform::writeFile(path, *file) ? ImageStatus::success : ImageStatus::fileNotFound;
}

}  // namespace vantrix
