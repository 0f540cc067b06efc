#include "codecs/xyz.hpp"

#include <algorithm>
#include <cstring>

#include "codecs/inflate.hpp"
#include "codecs/xyz_format.hpp"
#include "common/checked.hpp"

namespace vantrix {
namespace {

struct XyzSize {
  std::uint32_t width;
  std::uint32_t height;
};

XyzError readSize(ByteView file, XyzSize& size) {
  if (file.size() < 4 || !std::equal(kXyzMagic, kXyzMagic + 4, file.begin()))
    return XyzError::badMagic;
  if (file.size() < kXyzHeaderSize) return XyzError::shortHeader;
  const std::uint32_t packed = readLe32(file.data() + 4);
  size = {packed & 0xFFFF, packed >> 16};
  if (size.width == 0 || size.height == 0) return XyzError::emptyImage;
  return XyzError::none;
}

// Takes the inflated stream: the colours, then the rows, of which the kept corner goes to the
// target; the rest, and whatever follows the pixels, is only counted.
class XyzRows final : public InflateSink {
 public:
  XyzRows(XyzSize size, std::uint32_t keptWidth, std::uint32_t keptHeight, PictureTarget& target,
          XyzColours& colours)
      : width_(size.width),
        keptWidth_(keptWidth),
        keptHeight_(keptHeight),
        target_(target),
        colours_(colours) {}

  void take(const std::uint8_t* bytes, std::size_t count) override {
    if (at_ < kXyzPaletteBytes) {
      const std::size_t step = std::min(count, kXyzPaletteBytes - at_);
      std::memcpy(colours_.data() + at_, bytes, step);
      at_ += step;
      bytes += step;
      count -= step;
    }
    while (count > 0 && row_ < keptHeight_) {
      // Bytes of the current row from column `column` on.
      const std::size_t column = (at_ - kXyzPaletteBytes) % width_;
      const std::size_t step = std::min<std::size_t>(count, width_ - column);
      if (column < keptWidth_) {
        if (column == 0) out_ = target_.row(row_);
        std::memcpy(out_ + column, bytes, std::min<std::size_t>(step, keptWidth_ - column));
        if (column + step >= keptWidth_) target_.rowDone(row_);
      }
      at_ += step;
      bytes += step;
      count -= step;
      if (column + step == width_) ++row_;
    }
    at_ += count;
  }

 private:
  const std::size_t width_;
  const std::uint32_t keptWidth_;
  const std::uint32_t keptHeight_;
  PictureTarget& target_;
  XyzColours& colours_;
  std::size_t at_ = 0;     // bytes taken so far
  std::uint32_t row_ = 0;  // the row whose bytes come now
  std::uint8_t* out_ = nullptr;
};

XyzError inflateError(const Inflated& inflated, std::size_t pixelEnd) {
  switch (inflated.end) {
    case InflateEnd::complete:
      return inflated.produced < pixelEnd ? XyzError::shortStream : XyzError::none;
    case InflateEnd::overran:
      return XyzError::overCapacity;
    case InflateEnd::overranPastInput:
    case InflateEnd::cut:
      return XyzError::cutStream;
    case InflateEnd::damaged:
      break;
  }
  return XyzError::damagedStream;
}

}  // namespace

XyzError decodeXyz(ByteView file, PictureTarget& target, XyzColours& colours,
                   const DecodeLimits& limits, Arena& memory) {
  XyzSize size{};
  if (const XyzError why = readSize(file, size); why != XyzError::none) return why;
  // A picture is refused by the size of its rows padded to 16 bytes, as an image of its
  // indices would hold them.
  const std::size_t pixels = std::size_t{size.width} * size.height;
  if (std::size_t{(size.width + 15) & ~15u} * size.height > limits.maxDecodedBytes) {
    return XyzError::tooLarge;
  }
  // A zlib stream cannot inflate to more than maxInflateRatio times its size; a file whose
  // data cannot hold the palette and pixels is refused before anything is inflated.
  const ByteView data = file.subspan(kXyzHeaderSize);
  const auto yield = checkedMul(data.size(), limits.maxInflateRatio);
  if (yield && *yield < kXyzPaletteBytes + pixels) return XyzError::cannotHoldData;
  // The stream must end, and must yield the palette and every pixel but no more than the
  // pixels and 1 MiB of trailing bytes; a short stream, which cannot yield that much, is
  // allowed what it can.
  const std::size_t pixelEnd = kXyzPaletteBytes + pixels;
  const std::size_t most = yield.value_or(SIZE_MAX);
  const std::size_t room = std::min(pixelEnd + kXyzTrailingRoom, std::max(most, pixelEnd));
  const std::uint32_t keptWidth = std::min(size.width, limits.keptWidth);
  const std::uint32_t keptHeight = std::min(size.height, limits.keptHeight);
  if (!target.begin(keptWidth, keptHeight, 1, false)) return XyzError::outOfMemory;
  XyzRows rows(size, keptWidth, keptHeight, target, colours);
  Lent window = memory.borrow(Use::window, std::min(room, limits.window));
  return inflateError(inflateZlib(data, room, window.span(), rows), pixelEnd);
}

std::string_view toString(XyzError error) {
  switch (error) {
    case XyzError::none:
      return "no error";
    case XyzError::badMagic:
      return "not an XYZ1 file";
    case XyzError::shortHeader:
      return "file ends within the header";
    case XyzError::emptyImage:
      return "width or height is 0";
    case XyzError::tooLarge:
      return "picture larger than the decode limit";
    case XyzError::cannotHoldData:
      return "compressed data too short for the picture";
    case XyzError::damagedStream:
      return "damaged zlib stream";
    case XyzError::cutStream:
      return "zlib stream cut short";
    case XyzError::overCapacity:
      return "zlib stream inflates past its room";
    case XyzError::shortStream:
      return "zlib stream ends before the last pixel";
    case XyzError::outOfMemory:
      return "out of memory";
    case XyzError::badImage:
      return "the indices are not width × height bytes of a size XYZ can hold";
    case XyzError::compressFailed:
      return "compressing failed";
  }
  return "unknown XYZ error";
}

}  // namespace vantrix
