#include "codecs/png_decoder.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "common/cpu_features.hpp"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VANTRIX_PNG_CONVERT_SSE2 1
#endif
#ifdef VANTRIX_CPU_FEATURES
#include <immintrin.h>
#endif

#include "codecs/png_chunks.hpp"
#include "codecs/png_filters.hpp"
#include "common/checked.hpp"
#include "platform/platform.hpp"

namespace vantrix {
namespace {

// No PNG file is shorter: signature, "IHDR", an "IDAT" and "IEND" take more.
constexpr std::size_t kMinimumFileSize = 49;

// ---- Pixel conversion --------------------------------------------------------------------
// Each converter turns the restored data bytes of one row into `count` pixels, stored `step`
// bytes apart from `out` on. The converter is chosen once per decode, so the loops hold no
// test of the colour type, bit depth or output form.

// A colour key no sample can equal: with no "tRNS" every pixel stays opaque without a test.
constexpr std::uint32_t kNoKey = 0x10000;

struct ConvertContext {
  std::array<std::uint32_t, 256> table{};  // palette and grey up to 8 bits: sample → pixel
  std::uint32_t greyKey = kNoKey;
  std::uint32_t redKey = kNoKey;
  std::uint32_t greenKey = kNoKey;
  std::uint32_t blueKey = kNoKey;
};

using ConvertRow = void (*)(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out,
                            std::size_t step, const ConvertContext& context);

// The stored value: 0xAARRGGBB, or with red and blue exchanged for the RGBA byte order.
template <bool Rgba>
inline std::uint32_t pack(std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                          std::uint32_t alpha) {
  if constexpr (Rgba) return alpha << 24 | blue << 16 | green << 8 | red;
  return alpha << 24 | red << 16 | green << 8 | blue;
}

// Sample k of a pixel: its full value, 8 or 16 bits.
template <int SampleBytes>
inline std::uint32_t sample(const std::uint8_t* pixel, int k) {
  if constexpr (SampleBytes == 1) return pixel[k];
  return static_cast<std::uint32_t>(pixel[2 * k]) << 8 | pixel[2 * k + 1];
}

// Sample k reduced to 8 bits: 16-bit samples keep their high byte.
template <int SampleBytes>
inline std::uint32_t high(const std::uint8_t* pixel, int k) {
  return pixel[SampleBytes * k];
}

// Palette indices and grey levels of 1 to 8 bits, leftmost sample in the highest bits, looked
// up in a table of finished pixels.
template <int Depth>
void convertIndexed(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out,
                    std::size_t step, const ConvertContext& context) {
  constexpr std::uint32_t perByte = 8 / Depth;
  constexpr std::uint32_t mask = (1u << Depth) - 1;
  // A whole byte's samples at a time, with fixed shifts; then those of a last partial byte.
  std::uint32_t i = 0;
  for (; i + perByte <= count; i += perByte, ++data) {
    const std::uint32_t packed = *data;
    for (std::uint32_t k = 0; k < perByte; ++k, out += step) {
      storePixel32(out, context.table[(packed >> (perByte - 1 - k) * Depth) & mask]);
    }
  }
  for (std::uint32_t k = 0; i < count; ++i, ++k, out += step) {
    storePixel32(out, context.table[(*data >> (perByte - 1 - k) * Depth) & mask]);
  }
}

void convertGrey16(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out,
                   std::size_t step, const ConvertContext& context) {
  for (std::uint32_t i = 0; i < count; ++i, data += 2, out += step) {
    const std::uint32_t grey = data[0];
    const std::uint32_t alpha = sample<2>(data, 0) == context.greyKey ? 0 : 255;
    storePixel32(out, pack<false>(grey, grey, grey, alpha));
  }
}

template <int SampleBytes, bool Rgba>
void convertRgb(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out, std::size_t step,
                const ConvertContext& context) {
  for (std::uint32_t i = 0; i < count; ++i, data += 3 * SampleBytes, out += step) {
    const bool keyed = sample<SampleBytes>(data, 0) == context.redKey &&
                       sample<SampleBytes>(data, 1) == context.greenKey &&
                       sample<SampleBytes>(data, 2) == context.blueKey;
    storePixel32(out, pack<Rgba>(high<SampleBytes>(data, 0), high<SampleBytes>(data, 1),
                                 high<SampleBytes>(data, 2), keyed ? 0 : 255));
  }
}

template <int SampleBytes>
void convertGreyAlpha(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out,
                      std::size_t step, const ConvertContext&) {
  for (std::uint32_t i = 0; i < count; ++i, data += 2 * SampleBytes, out += step) {
    const std::uint32_t grey = high<SampleBytes>(data, 0);
    storePixel32(out, pack<false>(grey, grey, grey, high<SampleBytes>(data, 1)));
  }
}

// 8-bit RGB without a colour key, every pixel opaque. Each pixel is read as four bytes, the
// fourth being the next pixel's (or past the last pixel, the scanlines' slack) and replaced
// by the alpha: one load and one store a pixel.
template <bool Rgba>
void convertRgb8(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out, std::size_t step,
                 const ConvertContext&) {
  for (std::uint32_t i = 0; i < count; ++i, data += 3, out += step) {
    const std::uint32_t v = loadPixel32(data);  // red in the low byte
    if constexpr (Rgba) {
      storePixel32(out, v | 0xFF000000u);
    } else {
#if defined(__GNUC__) || defined(__clang__)
      storePixel32(out, 0xFF000000u | __builtin_bswap32(v) >> 8);
#else
      storePixel32(out, 0xFF000000u | (v & 0xFFu) << 16 | (v & 0xFF00u) | ((v >> 16) & 0xFFu));
#endif
    }
  }
}

#ifdef VANTRIX_CPU_FEATURES
// The same four pixels a step in SSSE3 registers: one shuffle spreads 12 bytes over four
// 32-bit pixels in the output's byte order. Each load takes 16 bytes, 4 past the group,
// which the next pixels, the next row or the scanlines' slack provide.
template <bool Rgba>
__attribute__((target("ssse3"))) void convertRgb8Ssse3(const std::uint8_t* data,
                                                       std::uint32_t count, std::uint8_t* out,
                                                       std::size_t step,
                                                       const ConvertContext& context) {
  std::uint32_t i = 0;
  if (step == 4) {
    const __m128i order = Rgba
                              ? _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1)
                              : _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (; i + 4 <= count; i += 4) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 3 * i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i),
                       _mm_or_si128(_mm_shuffle_epi8(bytes, order), alpha));
    }
  }
  convertRgb8<Rgba>(data + 3 * std::size_t{i}, count - i, out + step * i, step, context);
}
#endif

// 8-bit RGBA. Rows of adjacent pixels are a copy in the RGBA form, and in the others red and
// blue change places in each 32-bit word.
template <bool Rgba>
void convertRgbAlpha8(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out,
                      std::size_t step, const ConvertContext&) {
  if (step == 4) {
    if constexpr (Rgba) {
      std::memcpy(out, data, std::size_t{count} * 4);
    } else {
      std::uint32_t i = 0;
#ifdef VANTRIX_PNG_CONVERT_SSE2
      // Four pixels a step: red and blue are the low bytes of the 16-bit halves of each pixel.
      const __m128i redBlue = _mm_set1_epi32(0x00FF00FF);
      for (; i + 4 <= count; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 4 * i));
        const __m128i rb = _mm_and_si128(v, redBlue);
        const __m128i swapped = _mm_or_si128(_mm_slli_epi32(rb, 16), _mm_srli_epi32(rb, 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i),
                         _mm_or_si128(_mm_andnot_si128(redBlue, v), swapped));
      }
#endif
      for (; i < count; ++i) {
        const std::uint32_t v = loadPixel32(data + 4 * std::size_t{i});
        storePixel32(out + 4 * std::size_t{i},
                     (v & 0xFF00FF00u) | (v & 0xFFu) << 16 | ((v >> 16) & 0xFFu));
      }
    }
    return;
  }
  for (std::uint32_t i = 0; i < count; ++i, data += 4, out += step) {
    storePixel32(out, pack<Rgba>(data[0], data[1], data[2], data[3]));
  }
}

template <int SampleBytes, bool Rgba>
void convertRgbAlpha(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out,
                     std::size_t step, const ConvertContext&) {
  for (std::uint32_t i = 0; i < count; ++i, data += 4 * SampleBytes, out += step) {
    storePixel32(out, pack<Rgba>(high<SampleBytes>(data, 0), high<SampleBytes>(data, 1),
                                 high<SampleBytes>(data, 2), high<SampleBytes>(data, 3)));
  }
}

// Grey samples and palette indices of 1 to 8 bits share one unpacking loop.
ConvertRow indexedConverter(std::uint8_t bitDepth) {
  switch (bitDepth) {
    case 1:
      return convertIndexed<1>;
    case 2:
      return convertIndexed<2>;
    case 4:
      return convertIndexed<4>;
    default:
      return convertIndexed<8>;
  }
}

template <bool Rgba>
ConvertRow converterFor(const PngInfo& info) {
  const bool wide = info.bitDepth == 16;
  switch (info.colourType) {
    case 0:
      return wide ? convertGrey16 : indexedConverter(info.bitDepth);
    case 3:
      return indexedConverter(info.bitDepth);
    case 2:
      if (wide) return convertRgb<2, Rgba>;
      if (info.transparency) return convertRgb<1, Rgba>;
#ifdef VANTRIX_CPU_FEATURES
      if (cpu::hasSsse3()) return convertRgb8Ssse3<Rgba>;
#endif
      return convertRgb8<Rgba>;
    case 4:
      return wide ? convertGreyAlpha<2> : convertGreyAlpha<1>;
    default:
      return wide ? convertRgbAlpha<2, Rgba> : convertRgbAlpha8<Rgba>;
  }
}

template <bool Rgba>
ConvertContext contextFor(const PngInfo& info) {
  ConvertContext context;
  if (info.colourType == 3) {
    // Indices beyond the palette are black (the palette is zero-filled past its count).
    for (std::size_t i = 0; i < 256; ++i) {
      const PngRgb& entry = info.palette[i];
      const std::uint32_t alpha = info.transparency ? info.alphaTable[i] : 255;
      context.table[i] = pack<Rgba>(entry.red, entry.green, entry.blue, alpha);
    }
  } else if (info.colourType == 0 && info.bitDepth <= 8) {
    const std::uint32_t maxSample = (1u << info.bitDepth) - 1;
    for (std::uint32_t v = 0; v <= maxSample; ++v) {
      const std::uint32_t level = v * 255 / maxSample;
      const std::uint32_t alpha = info.transparency && v == info.greyKey ? 0 : 255;
      context.table[v] = pack<Rgba>(level, level, level, alpha);
    }
  }
  if (info.transparency && info.colourType == 0) context.greyKey = info.greyKey;
  if (info.transparency && info.colourType == 2) {
    context.redKey = info.redKey;
    context.greenKey = info.greenKey;
    context.blueKey = info.blueKey;
  }
  return context;
}

// ---- Reconstruction ----------------------------------------------------------------------

// The image of the kept corner of the picture.
std::optional<PixelImage> makeOutput(const PngInfo& info, PngTarget target,
                                     const DecodeLimits& limits) {
  const std::uint32_t width = std::min(info.width, limits.keptWidth);
  const std::uint32_t height = std::min(info.height, limits.keptHeight);
  // The full form pads rows to 32 bytes; the others have none.
  const std::size_t alignment = target == PngTarget::fullImage ? 32 : 1;
  auto pitch = PixelImage::pitchFor(width, 4, alignment);
  if (!pitch) return std::nullopt;
  const PixelLayout layout = target == PngTarget::compactImage ? PixelLayout::compact
                             : target == PngTarget::fullImage  ? PixelLayout::full
                                                               : PixelLayout::bottomUpRgba;
  // Every pixel is written by the passes; only the full form's row padding is not, so only
  // that form starts zero-filled.
  if (target == PngTarget::fullImage) {
    return PixelImage::make(layout, 4, width, height, *pitch);
  }
  return PixelImage::makeForOverwrite(layout, 4, width, height, *pitch);
}

// Where restored rows' pixels go: into an image (reconstruct), or row by row into a sink
// (StreamedRows).
struct RowTarget {
  PixelImage* image = nullptr;  // its size is the kept picture's
  PngRowSink* sink = nullptr;   // used where there is no image
  std::uint32_t width = 0;      // of the kept picture
  std::uint32_t height = 0;
};

// The part of a plain image that is restored: columns up to `right` of rows up to `bottom`;
// of those, columns from `left` (byte leftByte of a row) of rows from `top` are converted.
struct ShownPart {
  std::uint32_t right = 0;
  std::uint32_t bottom = 0;
  std::uint32_t top = 0;
  std::uint32_t left = 0;
  std::size_t leftByte = 0;
};

ShownPart shownPart(const PngInfo& info, const RowTarget& target, const PixelArea& shown) {
  ShownPart part;
  part.right = std::min(target.width, shown.right);
  part.bottom = std::min(target.height, shown.bottom);
  part.top = shown.top;
  // The first column converted starts a byte of the row (samples under 8 bits share bytes).
  const std::uint32_t bitsPerPixel = pngChannels(info.colourType) * info.bitDepth;
  const std::uint32_t perByte = bitsPerPixel < 8 ? 8 / bitsPerPixel : 1;
  part.left = std::min(shown.left, part.right) / perByte * perByte;
  part.leftByte = std::size_t{part.left} * bitsPerPixel / 8;
  return part;
}

// Undoes the filters of every row in place, in one forward sweep over all passes, and
// converts each row into the target's image, as far as it lies in the kept picture, as soon
// as it is restored. Of a
// plain image only the part `shown` needs is restored and converted; every row's filter
// type is checked all the same.
PngError reconstruct(PngInfo& info, const std::vector<PngPass>& passes, const RowTarget& target,
                     const PixelArea& shown) {
  const bool rgba = target.image->layout() == PixelLayout::bottomUpRgba;
  const ConvertRow convert = rgba ? converterFor<true>(info) : converterFor<false>(info);
  const ConvertContext context = rgba ? contextFor<true>(info) : contextFor<false>(info);
  const PngFilters filters = pngFiltersFor(info.filterUnit);

  std::size_t longestRow = 0;
  for (const PngPass& pass : passes)
    longestRow = std::max(longestRow, pass.rowLength);
  const Bytes zeroRow(longestRow, 0);

  // An interlaced image spreads every pass over the whole picture: all of it is restored.
  const bool plain = passes.size() == 1;
  const ShownPart part =
      plain ? shownPart(info, target, shown) : ShownPart{target.width, target.height};
  const std::uint32_t right = part.right;
  const std::uint32_t bottom = part.bottom;
  const std::uint32_t top = part.top;
  const std::uint32_t left = part.left;
  const std::size_t leftByte = part.leftByte;
  const std::uint32_t bitsPerPixel = pngChannels(info.colourType) * info.bitDepth;

  std::uint8_t* position = info.scanlines.get();
  for (const PngPass& pass : passes) {
    if (pass.rowLength == 0) continue;
    // The data bytes restored of each row, and the rows restored: those the kept pixels
    // need, or in an interlaced image all of them.
    const std::size_t length =
        plain ? (std::size_t{right} * bitsPerPixel + 7) / 8 : pass.rowLength - 1;
    const std::uint32_t restored = plain ? bottom : pass.height;
    const std::size_t columnOffset = std::size_t{pass.columnStart} * 4;
    const std::size_t step = std::size_t{pass.columnStep} * 4;
    const std::uint8_t* prior = zeroRow.data();
    // The pass's pixels left of the kept picture's right edge.
    const std::uint32_t kept =
        pass.columnStart >= target.width
            ? 0
            : std::min(pass.width,
                       (target.width - pass.columnStart + pass.columnStep - 1) / pass.columnStep);
    const std::uint32_t count = plain ? (right > left ? right - left : 0) : kept;
    auto convertRow = [&](const std::uint8_t* row, std::uint32_t r) {
      // y stays below the height, so it fits in 32 bits.
      const std::uint32_t y = pass.rowStart + r * pass.rowStep;
      if (y >= target.height || y < top || count == 0) return;
      const std::uint32_t stored = rgba ? target.height - 1 - y : y;
      convert(row + leftByte, count,
              target.image->row(stored) + columnOffset + std::size_t{left} * 4, step, context);
    };
    std::uint32_t r = 0;
    for (; r < restored; ++r) {
      std::uint8_t* row = position + 1;
      switch (*position) {
        case 0:
          break;
        case 1:
          filters.sub(row, prior, length);
          break;
        case 2:
          filters.up(row, prior, length);
          break;
        case 3:
          filters.average(row, prior, length);
          break;
        case 4:
          if (filters.paethPair && r + 1 < restored && position[pass.rowLength] == 4) {
            // This row and the next both use Paeth: both are restored in one sweep.
            std::uint8_t* next = row + pass.rowLength;
            filters.paethPair(row, next, prior, length);
            convertRow(row, r);
            convertRow(next, r + 1);
            prior = next;
            position += 2 * pass.rowLength;
            ++r;
            continue;
          }
          filters.paeth(row, prior, length);
          break;
        default:
          return PngError::badFilter;
      }
      convertRow(row, r);
      prior = row;
      position += pass.rowLength;
    }
    // Rows no kept pixel needs: their filter types must still be ones that exist.
    for (; r < pass.height; ++r, position += pass.rowLength) {
      if (*position > 4) return PngError::badFilter;
    }
  }
  return PngError::none;
}

// The window a plain image's scanlines are inflated through: a larger one slides less often,
// a smaller one takes fewer fresh pages.
constexpr std::size_t kScanlineWindow = std::size_t{64} << 10;

// Restores the shown part of a plain image for a sink as the inflater hands its scanlines
// over, and checks every row's filter type. The rows needed are copied out of the inflater's
// window (whose bytes later matches copy) and restored beside the row above; a Paeth row
// waits for the next, so that two Paeth rows are restored in one sweep as in reconstruct.
// A row above the shown part is needed only until a later row at most as low as the part's
// top restores from its own bytes (filter None or Sub): rows above that one are skipped where
// the bytes at hand show it, which in adaptively filtered pictures is most of them.
class StreamedRows final : public InflateSink {
 public:
  StreamedRows(const PngInfo& info, const PngPass& pass, const RowTarget& target,
               const PixelArea& shown, bool indices)
      : target_(target),
        part_(shownPart(info, target, shown)),
        convert_(converterFor<false>(info)),
        context_(contextFor<false>(info)),
        filters_(pngFiltersFor(info.filterUnit)),
        rowLength_(pass.rowLength),
        indices_(indices) {
    const std::uint32_t bitsPerPixel = pngChannels(info.colourType) * info.bitDepth;
    length_ = (std::size_t{part_.right} * bitsPerPixel + 7) / 8;
    count_ = part_.right > part_.left ? part_.right - part_.left : 0;
    // Four rows: zeros above the first, and three to fill, restore and keep waiting. Each has
    // its filter type byte first and room after it that the converters may read.
    stride_ = 1 + length_ + kScanlineSlack;
    rows_.reset(new (std::nothrow) std::uint8_t[4 * stride_]());
    converted_.reset(new (std::nothrow) std::uint8_t[std::size_t{count_} * 4]);
    if (rows_) {
      prior_ = rows_.get();
      current_ = prior_ + stride_;
    }
  }

  bool ready() const { return rows_ && converted_; }
  PngError error() const { return error_; }

  void take(const std::uint8_t* bytes, std::size_t count) override {
    while (count > 0) {
      if (at_ == 0) {
        restoring_ = error_ == PngError::none && row_ < part_.bottom && !superseded(bytes, count);
        // Rows not restored: only their filter types are checked.
        if (!restoring_ && *bytes > 4 && error_ == PngError::none) error_ = PngError::badFilter;
      }
      const std::size_t wanted = restoring_ && error_ == PngError::none ? 1 + length_ : 0;
      if (at_ < wanted) {
        const std::size_t step = std::min(wanted - at_, count);
        std::memcpy(current_ + at_, bytes, step);
        at_ += step;
        bytes += step;
        count -= step;
        if (at_ == wanted) restoreRow();
      }
      const std::size_t step = std::min(rowLength_ - at_, count);
      at_ += step;
      bytes += step;
      count -= step;
      if (at_ == rowLength_) {
        at_ = 0;
        ++row_;
      }
    }
  }

 private:
  // Whether the row starting at `bytes` (of `count` at hand) is above the shown part and
  // followed, at most as low as the part's top, by a row of filter None or Sub, which needs
  // no row above it. A Paeth row waiting for this one is then not needed either.
  bool superseded(const std::uint8_t* bytes, std::size_t count) {
    if (part_.top >= part_.bottom) return true;  // nothing shown
    if (row_ >= part_.top) return false;
    if (breakRow_ <= row_) {
      for (std::uint32_t s = std::max(row_ + 1, unseenRow_);; ++s) {
        const std::size_t offset = std::size_t{s - row_} * rowLength_;
        if (s > part_.top || offset >= count) {
          unseenRow_ = s;
          return false;
        }
        if (bytes[offset] <= 1) {
          breakRow_ = s;
          unseenRow_ = s + 1;
          break;
        }
      }
    }
    waiting_ = nullptr;
    return true;
  }

  void restoreRow() {
    std::uint8_t* row = current_ + 1;
    if (waiting_) {
      // The Paeth row before this one.
      std::uint8_t* before = waiting_ + 1;
      waiting_ = nullptr;
      if (current_[0] == 4) {
        filters_.paethPair(before, row, prior_ + 1, length_);
        convertRow(before, row_ - 1);
        convertRow(row, row_);
        moveOn();
        return;
      }
      filters_.paeth(before, prior_ + 1, length_);
      convertRow(before, row_ - 1);
      prior_ = before - 1;
    }
    switch (current_[0]) {
      case 0:
        break;
      case 1:
        filters_.sub(row, prior_ + 1, length_);
        break;
      case 2:
        filters_.up(row, prior_ + 1, length_);
        break;
      case 3:
        filters_.average(row, prior_ + 1, length_);
        break;
      case 4:
        if (filters_.paethPair && row_ + 1 < part_.bottom) {
          waiting_ = current_;
          current_ = freeRow();
          return;
        }
        filters_.paeth(row, prior_ + 1, length_);
        break;
      default:
        error_ = PngError::badFilter;
        return;
    }
    convertRow(row, row_);
    moveOn();
  }

  // The row just restored is the next one's prior; the next fills a row neither holds.
  void moveOn() {
    prior_ = current_;
    current_ = freeRow();
  }
  std::uint8_t* freeRow() const {
    for (int k = 1; k <= 3; ++k) {
      std::uint8_t* row = rows_.get() + static_cast<std::size_t>(k) * stride_;
      if (row != prior_ && row != waiting_ && row != current_) return row;
    }
    return nullptr;  // never: three rows, at most two of them taken
  }

  void convertRow(const std::uint8_t* row, std::uint32_t y) {
    if (y >= target_.height || y < part_.top || count_ == 0) return;
    if (indices_) {
      target_.sink->row(y, part_.left, row + part_.leftByte, count_);
      return;
    }
    convert_(row + part_.leftByte, count_, converted_.get(), 4, context_);
    target_.sink->row(y, part_.left, converted_.get(), count_);
  }

  const RowTarget target_;
  const ShownPart part_;
  const ConvertRow convert_;
  const ConvertContext context_;
  const PngFilters filters_;
  const std::size_t rowLength_;
  const bool indices_;       // rows go to the sink as their palette indices
  std::size_t length_ = 0;   // data bytes restored of each row
  std::uint32_t count_ = 0;  // pixels converted of each row
  std::size_t stride_ = 0;
  std::unique_ptr<std::uint8_t[]> rows_;
  std::unique_ptr<std::uint8_t[]> converted_;
  std::uint8_t* prior_ = nullptr;    // the row above, restored
  std::uint8_t* current_ = nullptr;  // the row being filled
  std::uint8_t* waiting_ = nullptr;  // a Paeth row waiting for the next
  std::uint32_t row_ = 0;            // the row whose bytes come now
  std::size_t at_ = 0;               // bytes of it come so far
  bool restoring_ = false;           // whether it is restored
  std::uint32_t breakRow_ = 0;       // a row of filter None or Sub found ahead, if above row_
  std::uint32_t unseenRow_ = 0;      // the first row whose filter type was not looked at
  PngError error_ = PngError::none;
};

// Inflates a plain image's scanlines a window at a time and restores them for a sink as they
// come. A damaged stream is refused for that even when a filter type was found bad first.
PngError restoreStreamed(const PngInfo& info, const PngPass& pass, const RowTarget& target,
                         const PixelArea& shown, bool indices) {
  StreamedRows rows(info, pass, target, shown, indices);
  const std::size_t windowSize = std::min(info.scanlineSize, kScanlineWindow);
  const std::unique_ptr<std::uint8_t[]> window(new (std::nothrow) std::uint8_t[windowSize]);
  if (!rows.ready() || !window) return PngError::outOfMemory;
  const PngError inflated = inflateScanlinesThrough(info, {window.get(), windowSize}, rows);
  return inflated != PngError::none ? inflated : rows.error();
}

// Checks the whole file and inflates its image data into `info`; `why` says why not.
std::optional<std::vector<PngPass>> readFile(ByteView bytes, std::uint8_t* writable, PngInfo& info,
                                             PngError& why, const DecodeLimits& limits,
                                             PngInflation inflation = PngInflation::now) {
  if (bytes.size() < kMinimumFileSize) {
    why = PngError::tooShort;
    return std::nullopt;
  }
  info.file = bytes;
  info.writableFile = writable;
  if (!readPngChunks(info, limits, inflation)) {
    why = info.error;
    return std::nullopt;
  }
  auto passes = pngPasses(info);
  if (!passes) why = PngError::tooLarge;
  return passes;
}

std::optional<PixelImage> decode(ByteView bytes, std::uint8_t* writable, PngTarget target,
                                 PngError& why, const DecodeLimits& limits) {
  if (target != PngTarget::compactImage && target != PngTarget::fullImage &&
      target != PngTarget::bottomUpRgba) {
    why = PngError::badTarget;
    return std::nullopt;
  }
  PngInfo info;
  const auto passes = readFile(bytes, writable, info, why, limits);
  if (!passes) return std::nullopt;
  auto image = makeOutput(info, target, limits);
  if (!image) {
    why = PngError::outOfMemory;
    return std::nullopt;
  }
  why =
      reconstruct(info, *passes, {&*image, nullptr, image->width(), image->height()}, limits.shown);
  if (why != PngError::none) return std::nullopt;
  return image;
}

}  // namespace

std::optional<PixelImage> decodePngBuffer(ByteView bytes, PngTarget target, PngError* why,
                                          const DecodeLimits& limits) {
  PngError error = PngError::none;
  std::optional<PixelImage> image = decode(bytes, nullptr, target, error, limits);
  if (why) *why = error;
  if (error != PngError::none) return std::nullopt;
  return image;
}

std::optional<PixelImage> decodePngBufferInPlace(std::span<std::uint8_t> bytes, PngTarget target,
                                                 PngError* why, const DecodeLimits& limits) {
  PngError error = PngError::none;
  std::optional<PixelImage> image = decode(bytes, bytes.data(), target, error, limits);
  if (why) *why = error;
  if (error != PngError::none) return std::nullopt;
  return image;
}

PngError decodePngRowsInPlace(std::span<std::uint8_t> bytes, PngRowSink& sink,
                              const DecodeLimits& limits) {
  PngInfo info;
  PngError why = PngError::none;
  const auto passes =
      readFile(bytes, bytes.data(), info, why, limits, PngInflation::laterWhenPlain);
  if (!passes) return why;
  const std::uint32_t width = std::min(info.width, limits.keptWidth);
  const std::uint32_t height = std::min(info.height, limits.keptHeight);
  const bool plain = passes->size() == 1;
  const bool indices = plain && info.colourType == 3 && info.bitDepth == 8 &&
                       sink.takesIndices(width, height, contextFor<false>(info).table);
  if (!sink.begin(width, height)) return PngError::outOfMemory;
  if (plain) {
    return restoreStreamed(info, passes->front(), {nullptr, &sink, width, height}, limits.shown,
                           indices);
  }
  // An interlaced picture is restored whole, then handed over row by row.
  auto image = makeOutput(info, PngTarget::compactImage, limits);
  if (!image) return PngError::outOfMemory;
  why = reconstruct(info, *passes, {&*image, nullptr, width, height}, limits.shown);
  if (why != PngError::none) return why;
  const std::uint32_t right = std::min(width, limits.shown.right);
  const std::uint32_t left = std::min(limits.shown.left, right);
  for (std::uint32_t y = limits.shown.top; y < std::min(height, limits.shown.bottom); ++y) {
    sink.row(y, left, image->row(y) + std::size_t{left} * 4, right - left);
  }
  return PngError::none;
}

std::optional<PixelImage> loadPngImage(const std::string& path, PngTarget target, PngError* why) {
  const std::optional<Bytes> bytes = platform::readFile(path);
  if (!bytes) {
    if (why) *why = PngError::unreadableFile;
    return std::nullopt;
  }
  return decodePngBuffer(*bytes, target, why);
}

}  // namespace vantrix
