#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace vantrix {

// How a PixelImage stores its rows. Every layout holds `height` rows of `pitch` bytes.
enum class PixelLayout : std::uint8_t {
  // Rows top first, each padded to a pitch the maker chose (createImage and copyCanvasRect
  // round width × bytes per pixel up to 16, the PNG decoder's full form up to 32).
  full,
  // Rows top first with no padding: pitch is width × bytes per pixel.
  compact,
  // The PNG decoder's colour buffer: rows bottom first, no padding, each pixel the bytes
  // red, green, blue, alpha. Not drawable and not writable as BMP.
  bottomUpRgba,
};

// An allocator whose containers leave new elements uninitialised unless given a value, so a
// buffer about to be overwritten whole is not zero-filled first.
template <class T>
struct DefaultInitAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = DefaultInitAllocator<U>;
  };
  DefaultInitAllocator() = default;
  template <class U>
  DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// Pixel storage of images and canvases: bytes left unset until written.
using PixelBytes = std::vector<std::uint8_t, DefaultInitAllocator<std::uint8_t>>;

// A rectangular picture of 1, 2 or 4 bytes per pixel. One byte is a palette index; four are
// the colour 0xAARRGGBB, stored in memory as the bytes blue, green, red, alpha.
class PixelImage {
 public:
  // A zero-filled image, or nothing when a size is 0, bytesPerPixel is not 1, 2 or 4, pitch is
  // below width × bytesPerPixel, or the pixels would not fit in memory.
  static std::optional<PixelImage> make(PixelLayout layout, int bytesPerPixel, std::uint32_t width,
                                        std::uint32_t height, std::size_t pitch);
  // As make, but the pixel bytes are left unset: for a maker that writes every byte, padding
  // included, before anything reads them.
  static std::optional<PixelImage> makeForOverwrite(PixelLayout layout, int bytesPerPixel,
                                                    std::uint32_t width, std::uint32_t height,
                                                    std::size_t pitch);
  // An image over bytes a decoder has filled: its rows are their first height × pitch bytes,
  // and the rest is dropped. Nothing when the shape is invalid or the bytes are too few.
  static std::optional<PixelImage> adopt(PixelBytes bytes, PixelLayout layout, int bytesPerPixel,
                                         std::uint32_t width, std::uint32_t height,
                                         std::size_t pitch);
  // width × bytesPerPixel rounded up to a multiple of `alignment` (a power of two); nothing
  // when that overflows.
  static std::optional<std::size_t> pitchFor(std::uint32_t width, int bytesPerPixel,
                                             std::size_t alignment);

  PixelLayout layout() const { return layout_; }
  int bytesPerPixel() const { return bytesPerPixel_; }
  std::uint32_t width() const { return width_; }
  std::uint32_t height() const { return height_; }
  std::size_t pitch() const { return pitch_; }

  // Stored row `index` (the top row for full and compact images, the bottom row for
  // bottomUpRgba).
  std::uint8_t* row(std::uint32_t index) { return pixels_.data() + index * pitch_; }
  const std::uint8_t* row(std::uint32_t index) const { return pixels_.data() + index * pitch_; }
  std::span<std::uint8_t> bytes() { return pixels_; }
  std::span<const std::uint8_t> bytes() const { return pixels_; }

  // Sets every pixel slot of every row, padding up to the pitch included, to `value`: its low
  // 8 bits, low 16 bits (little-endian) or all 32 bits (as 0xAARRGGBB).
  void fill(std::uint32_t value);

  // Hands the pixel bytes over, leaving the image without pixels.
  PixelBytes releasePixels() && { return std::move(pixels_); }

  // Gives the image a new shape over the same kind of storage, growing it when needed;
  // the pixel bytes are then unspecified. False when the size cannot be had.
  bool reshape(PixelLayout layout, int bytesPerPixel, std::uint32_t width, std::uint32_t height,
               std::size_t pitch) {
    return reshapeFilling(layout, bytesPerPixel, width, height, pitch, true);
  }

 private:
  PixelImage() = default;
  // reshape; new bytes are zero when `zeroNew` is set (as reshape and make give them).
  bool reshapeFilling(PixelLayout layout, int bytesPerPixel, std::uint32_t width,
                      std::uint32_t height, std::size_t pitch, bool zeroNew);

  PixelLayout layout_ = PixelLayout::full;
  int bytesPerPixel_ = 1;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  std::size_t pitch_ = 0;
  PixelBytes pixels_;
};

// The 32-bit pixel helpers of 4-byte images: the value 0xAARRGGBB at p, little-endian. On
// little-endian machines one move each way: GCC does not merge the four byte stores.
inline std::uint32_t loadPixel32(const std::uint8_t* p) {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void storePixel32(std::uint8_t* p, std::uint32_t argb) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &argb, 4);
    return;
  }
  p[0] = static_cast<std::uint8_t>(argb);
  p[1] = static_cast<std::uint8_t>(argb >> 8);
  p[2] = static_cast<std::uint8_t>(argb >> 16);
  p[3] = static_cast<std::uint8_t>(argb >> 24);
}

}  // namespace vantrix
