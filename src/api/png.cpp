#include <new>

#include "codecs/png_decoder.hpp"
#include "vantrix/vantrix.hpp"

namespace vantrix {

std::optional<RgbaImage> decodePng(ByteView bytes, std::string* why) {
  PngError error = PngError::none;
  const std::optional<PixelImage> decoded = decodePngBuffer(bytes, PngTarget::bottomUpRgba, &error);
  try {
    if (!decoded) {
      if (why) *why = toString(error);
      return std::nullopt;
    }
    RgbaImage image;
    image.width = decoded->width();
    image.height = decoded->height();
    // The decoder's colour buffer is bottom row first with unpadded RGBA rows; the public
    // image is top row first.
    const std::size_t rowBytes = std::size_t{decoded->width()} * 4;
    image.rgba.reserve(rowBytes * decoded->height());
    for (std::uint32_t y = decoded->height(); y-- > 0;) {
      const std::uint8_t* row = decoded->row(y);
      image.rgba.insert(image.rgba.end(), row, row + rowBytes);
    }
    return image;
  } catch (const std::bad_alloc&) {
    if (why) *why = toString(PngError::outOfMemory);
    return std::nullopt;
  }
}

}  // namespace vantrix
