#include "codecs/png_decoder.hpp"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

#include "codecs/inflate.hpp"
#include "codecs/png_chunks.hpp"
#include "codecs/png_filters.hpp"
#include "common/cpu_features.hpp"

namespace vantrix {
namespace {

// No PNG file is shorter: signature, "IHDR", an "IDAT" and "IEND" take more.
constexpr std::size_t kMinimumFileSize = 49;

// Bytes after each restored row that the pixel converters may read, never write.
constexpr std::size_t kRowSlack = 16;

// ---- Pixel conversion --------------------------------------------------------------------
// Each converter turns the restored data bytes of one row into `count` pixels, stored `step`
// bytes apart from `out` on. The converter is chosen once per decode, so the loops hold no
// test of the colour type, bit depth or pixel order.

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
      writeLe32(out, context.table[(packed >> (perByte - 1 - k) * Depth) & mask]);
    }
  }
  for (std::uint32_t k = 0; i < count; ++i, ++k, out += step) {
    writeLe32(out, context.table[(*data >> (perByte - 1 - k) * Depth) & mask]);
  }
}

template <bool Rgba>
void convertGrey16(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out,
                   std::size_t step, const ConvertContext& context) {
  for (std::uint32_t i = 0; i < count; ++i, data += 2, out += step) {
    const std::uint32_t grey = data[0];
    const std::uint32_t alpha = sample<2>(data, 0) == context.greyKey ? 0 : 255;
    writeLe32(out, pack<Rgba>(grey, grey, grey, alpha));
  }
}

template <int SampleBytes, bool Rgba>
void convertRgb(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out, std::size_t step,
                const ConvertContext& context) {
  for (std::uint32_t i = 0; i < count; ++i, data += 3 * SampleBytes, out += step) {
    const bool keyed = sample<SampleBytes>(data, 0) == context.redKey &&
                       sample<SampleBytes>(data, 1) == context.greenKey &&
                       sample<SampleBytes>(data, 2) == context.blueKey;
    writeLe32(out, pack<Rgba>(high<SampleBytes>(data, 0), high<SampleBytes>(data, 1),
                              high<SampleBytes>(data, 2), keyed ? 0 : 255));
  }
}

template <int SampleBytes, bool Rgba>
void convertGreyAlpha(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out,
                      std::size_t step, const ConvertContext&) {
  for (std::uint32_t i = 0; i < count; ++i, data += 2 * SampleBytes, out += step) {
    const std::uint32_t grey = high<SampleBytes>(data, 0);
    writeLe32(out, pack<Rgba>(grey, grey, grey, high<SampleBytes>(data, 1)));
  }
}

// 8-bit RGB without a colour key, every pixel opaque. Each pixel is read as four bytes, the
// fourth being the next pixel's (or past the last pixel, the row's slack) and replaced by the
// alpha: one load and one store a pixel.
template <bool Rgba>
void convertRgb8(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out, std::size_t step,
                 const ConvertContext&) {
  for (std::uint32_t i = 0; i < count; ++i, data += 3, out += step) {
    const std::uint32_t v = readLe32(data);  // red in the low byte
    if constexpr (Rgba) {
      writeLe32(out, v | 0xFF000000u);
    } else {
      writeLe32(out, 0xFF000000u | (v & 0xFFu) << 16 | (v & 0xFF00u) | ((v >> 16) & 0xFFu));
    }
  }
}

// 8-bit RGBA. Rows of adjacent pixels are a copy in the RGBA order, and in the other red and
// blue change places in each 32-bit word.
template <bool Rgba>
void convertRgbAlpha8(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out,
                      std::size_t step, const ConvertContext&) {
  if (Rgba && step == 4) {
    std::memcpy(out, data, std::size_t{count} * 4);
    return;
  }
  for (std::uint32_t i = 0; i < count; ++i, data += 4, out += step) {
    writeLe32(out, pack<Rgba>(data[0], data[1], data[2], data[3]));
  }
}

template <int SampleBytes, bool Rgba>
void convertRgbAlpha(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out,
                     std::size_t step, const ConvertContext&) {
  for (std::uint32_t i = 0; i < count; ++i, data += 4 * SampleBytes, out += step) {
    writeLe32(out, pack<Rgba>(high<SampleBytes>(data, 0), high<SampleBytes>(data, 1),
                              high<SampleBytes>(data, 2), high<SampleBytes>(data, 3)));
  }
}

#ifdef VANTRIX_X86_SIMD
// convertRgb8, four pixels a step in SSSE3 registers: one shuffle spreads 12 bytes over four
// 32-bit pixels in the output's byte order. Each load takes 16 bytes, 4 past the group, which
// the next pixels, the next row or the row's slack provide.
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

// convertRgbAlpha8 to 0xAARRGGBB, four pixels a step in SSE2 registers: red and blue are the
// low bytes of the 16-bit halves of each pixel.
void convertRgbAlpha8Sse2(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out,
                          std::size_t step, const ConvertContext& context) {
  std::uint32_t i = 0;
  if (step == 4) {
    const __m128i redBlue = _mm_set1_epi32(0x00FF00FF);
    for (; i + 4 <= count; i += 4) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 4 * i));
      const __m128i rb = _mm_and_si128(v, redBlue);
      const __m128i swapped = _mm_or_si128(_mm_slli_epi32(rb, 16), _mm_srli_epi32(rb, 16));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i),
                       _mm_or_si128(_mm_andnot_si128(redBlue, v), swapped));
    }
  }
  convertRgbAlpha8<false>(data + 4 * std::size_t{i}, count - i, out + step * i, step, context);
}
#elif defined(VANTRIX_ARM_SIMD)
// convertRgb8, sixteen pixels a step in NEON registers: a structured load parts the red,
// green and blue bytes, a structured store interleaves them with alpha in the output's order.
template <bool Rgba>
void convertRgb8Neon(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out,
                     std::size_t step, const ConvertContext& context) {
  std::uint32_t i = 0;
  if (step == 4) {
    for (; i + 16 <= count; i += 16) {
      const uint8x16x3_t rgb = vld3q_u8(data + 3 * std::size_t{i});
      const uint8x16_t alpha = vdupq_n_u8(0xFF);
      const uint8x16x4_t pixels = Rgba ? uint8x16x4_t{{rgb.val[0], rgb.val[1], rgb.val[2], alpha}}
                                       : uint8x16x4_t{{rgb.val[2], rgb.val[1], rgb.val[0], alpha}};
      vst4q_u8(out + 4 * std::size_t{i}, pixels);
    }
  }
  convertRgb8<Rgba>(data + 3 * std::size_t{i}, count - i, out + step * i, step, context);
}

// convertRgbAlpha8 to 0xAARRGGBB, sixteen pixels a step: red and blue change places.
void convertRgbAlpha8Neon(const std::uint8_t* data, std::uint32_t count, std::uint8_t* out,
                          std::size_t step, const ConvertContext& context) {
  std::uint32_t i = 0;
  if (step == 4) {
    for (; i + 16 <= count; i += 16) {
      uint8x16x4_t pixels = vld4q_u8(data + 4 * std::size_t{i});
      std::swap(pixels.val[0], pixels.val[2]);
      vst4q_u8(out + 4 * std::size_t{i}, pixels);
    }
  }
  convertRgbAlpha8<false>(data + 4 * std::size_t{i}, count - i, out + step * i, step, context);
}
#endif

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
  [[maybe_unused]] const cpu::Features& cpu = cpu::features();
  switch (info.colourType) {
    case 0:
      return wide ? convertGrey16<Rgba> : indexedConverter(info.bitDepth);
    case 3:
      return indexedConverter(info.bitDepth);
    case 2:
      if (wide) return convertRgb<2, Rgba>;
      if (info.transparency) return convertRgb<1, Rgba>;
#ifdef VANTRIX_X86_SIMD
      if (cpu.ssse3) return convertRgb8Ssse3<Rgba>;
#elif defined(VANTRIX_ARM_SIMD)
      if (cpu.neon) return convertRgb8Neon<Rgba>;
#endif
      return convertRgb8<Rgba>;
    case 4:
      return wide ? convertGreyAlpha<2, Rgba> : convertGreyAlpha<1, Rgba>;
    default:
      if (wide) return convertRgbAlpha<2, Rgba>;
#ifdef VANTRIX_X86_SIMD
      if (!Rgba && cpu.sse2) return convertRgbAlpha8Sse2;
#elif defined(VANTRIX_ARM_SIMD)
      if (!Rgba && cpu.neon) return convertRgbAlpha8Neon;
#endif
      return convertRgbAlpha8<Rgba>;
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

// What is restored and converted of one pass's rows.
struct PassPlan {
  std::size_t rowLength = 0;   // bytes of a row with its filter type byte
  std::uint32_t height = 0;    // rows
  std::size_t length = 0;      // data bytes restored of each row
  std::uint32_t restored = 0;  // rows restored; the others' filter types are only checked
  std::uint32_t top = 0;       // rows above it are restored only as far as later ones need
  std::uint32_t rowStart = 0;  // picture row of the pass's first row
  std::uint32_t rowStep = 1;
  std::size_t leftByte = 0;  // where in a row the first converted pixel's data starts
  std::uint32_t column = 0;  // and its column in the picture
  std::uint32_t columnStep = 1;
  std::uint32_t count = 0;  // pixels converted of each row
};

// A plain picture is restored only as far as the shown part of the kept picture needs:
// columns up to its right edge of rows up to its bottom edge (a pixel depends on none right
// of or below it), converting columns from its left edge of rows from its top edge. An
// interlaced picture spreads every pass over the whole picture: all of it is restored.
std::vector<PassPlan> planPasses(const PngInfo& info, const std::vector<PngPass>& passes,
                                 std::uint32_t width, std::uint32_t height,
                                 const PixelArea& shown) {
  const std::uint32_t bitsPerPixel = pngChannels(info.colourType) * info.bitDepth;
  std::vector<PassPlan> plans;
  plans.reserve(passes.size());
  for (const PngPass& pass : passes) {
    if (pass.rowLength == 0) continue;
    PassPlan plan;
    plan.rowLength = pass.rowLength;
    plan.height = pass.height;
    plan.rowStart = pass.rowStart;
    plan.rowStep = pass.rowStep;
    if (passes.size() == 1) {
      const std::uint32_t right = std::min(width, shown.right);
      // The first column converted starts a byte of the row (samples under 8 bits share one).
      const std::uint32_t perByte = bitsPerPixel < 8 ? 8 / bitsPerPixel : 1;
      plan.column = std::min(shown.left, right) / perByte * perByte;
      plan.leftByte = std::size_t{plan.column} * bitsPerPixel / 8;
      plan.length = (std::size_t{right} * bitsPerPixel + 7) / 8;
      plan.restored = std::min(height, shown.bottom);
      plan.top = shown.top;
      plan.count = right - plan.column;
    } else {
      plan.length = pass.rowLength - 1;
      plan.restored = pass.height;
      plan.column = pass.columnStart;
      plan.columnStep = pass.columnStep;
      // The pass's pixels left of the kept picture's right edge.
      plan.count = pass.columnStart >= width
                       ? 0
                       : std::min(pass.width, (width - pass.columnStart + pass.columnStep - 1) /
                                                  pass.columnStep);
    }
    plans.push_back(plan);
  }
  return plans;
}

// Restores the rows of every pass as the inflater hands the scanlines over, and checks every
// row's filter type. The rows needed are copied out of the inflater's window (whose bytes
// later matches copy) and restored beside the row above; a Paeth row waits for the next, so
// that two Paeth rows are restored in one sweep. Above a plain picture's shown part, a row is
// needed only until a later row at most as low as the part's top restores from its own
// bytes (filter None or Sub): rows above that one are skipped where the bytes at hand show
// it, which in adaptively filtered pictures is most of them.
class RowRestorer final : public InflateSink {
 public:
  RowRestorer(const PngInfo& info, std::vector<PassPlan> plans, std::uint32_t height,
              PngTarget& target, PngPixels pixels, bool indices, bool plain, Arena& memory)
      : plans_(std::move(plans)),
        target_(target),
        height_(height),
        convert_(pixels == PngPixels::rgba ? converterFor<true>(info) : converterFor<false>(info)),
        context_(pixels == PngPixels::rgba ? contextFor<true>(info) : contextFor<false>(info)),
        filters_(pngFiltersFor(info.filterUnit)),
        indices_(indices),
        plain_(plain),
        rows_(memory.borrow(Use::rows, 4 * strideFor(plans_))),
        stride_(strideFor(plans_)) {
    // Zeros above each pass's first row; three rows to fill, restore and keep waiting. Each
    // has its filter type byte first and room after it that the converters may read.
    std::memset(rows_.data(), 0, stride_);
    if (!plans_.empty()) startPass();
  }

  PngError error() const { return error_; }

  void take(const std::uint8_t* bytes, std::size_t count) override {
    restore(bytes, count, nullptr);
  }
  // The window's last bytes, which no match reads again: whole rows among them are restored
  // where they lie rather than copied out first (the window has kRowSlack bytes after them).
  void takeLast(std::uint8_t* bytes, std::size_t count) override { restore(bytes, count, bytes); }

 private:
  // `writable` is null or `bytes` itself, in which case rows may be restored in place.
  void restore(const std::uint8_t* bytes, std::size_t count, std::uint8_t* writable) {
    const std::uint8_t* const start = bytes;
    while (count > 0 && pass_ < plans_.size()) {
      const PassPlan& plan = plans_[pass_];
      if (at_ == 0) {
        // Whole rows at hand, each restored: the common case, kept short.
        while (count >= plan.rowLength && row_ >= plan.top && row_ < plan.restored &&
               error_ == PngError::none) {
          if (writable) {
            current_ = writable + (bytes - start);
          } else {
            std::memcpy(current_, bytes, 1 + plan.length);
          }
          restoreRow(plan);
          bytes += plan.rowLength;
          count -= plan.rowLength;
          ++row_;
        }
        if (row_ == plan.height) {
          nextPass();
          continue;
        }
        if (count == 0) return;
        restoring_ =
            error_ == PngError::none && row_ < plan.restored && !superseded(bytes, count, plan);
        // Rows not restored: only their filter types are checked.
        if (!restoring_ && *bytes > 4 && error_ == PngError::none) error_ = PngError::badFilter;
      }
      const std::size_t wanted = restoring_ && error_ == PngError::none ? 1 + plan.length : 0;
      if (at_ < wanted) {
        const std::size_t step = std::min(wanted - at_, count);
        std::memcpy(current_ + at_, bytes, step);
        at_ += step;
        bytes += step;
        count -= step;
        if (at_ == wanted) restoreRow(plan);
      }
      const std::size_t step = std::min(plan.rowLength - at_, count);
      at_ += step;
      bytes += step;
      count -= step;
      if (at_ == plan.rowLength) {
        at_ = 0;
        if (++row_ == plan.height) nextPass();
      }
    }
  }

  static std::size_t strideFor(const std::vector<PassPlan>& plans) {
    std::size_t longest = 0;
    for (const PassPlan& plan : plans)
      longest = std::max(longest, plan.length);
    return 1 + longest + kRowSlack;
  }

  void nextPass() {
    ++pass_;
    if (pass_ < plans_.size()) startPass();
  }

  void startPass() {
    row_ = 0;
    breakRow_ = 0;
    unseenRow_ = 0;
    prior_ = rows_.data();
    current_ = prior_ + stride_;
    waiting_ = nullptr;
  }

  // Whether the row starting at `bytes` (of `count` at hand) is above the shown part and
  // followed, at most as low as the part's top, by a row of filter None or Sub, which needs
  // no row above it. A Paeth row waiting for this one is then not needed either.
  bool superseded(const std::uint8_t* bytes, std::size_t count, const PassPlan& plan) {
    if (plan.top >= plan.restored) return true;  // nothing shown
    if (row_ >= plan.top) return false;
    if (breakRow_ <= row_) {
      for (std::uint32_t s = std::max(row_ + 1, unseenRow_);; ++s) {
        const std::size_t offset = std::size_t{s - row_} * plan.rowLength;
        if (s > plan.top || offset >= count) {
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

  // The one place a row's filter is undone: a Paeth row waits for the next row of its pass
  // when that is Paeth too, and both are restored in one sweep.
  void restoreRow(const PassPlan& plan) {
    std::uint8_t* row = current_ + 1;
    if (waiting_) {
      std::uint8_t* before = waiting_ + 1;
      waiting_ = nullptr;
      if (current_[0] == 4) {
        filters_.paethPair(before, row, prior_ + 1, plan.length);
        convertRow(plan, before, row_ - 1);
        convertRow(plan, row, row_);
        moveOn();
        return;
      }
      filters_.paeth(before, prior_ + 1, plan.length);
      convertRow(plan, before, row_ - 1);
      prior_ = before - 1;
    }
    switch (current_[0]) {
      case 0:
        break;
      case 1:
        filters_.sub(row, prior_ + 1, plan.length);
        break;
      case 2:
        filters_.up(row, prior_ + 1, plan.length);
        break;
      case 3:
        filters_.average(row, prior_ + 1, plan.length);
        break;
      case 4:
        if (filters_.paethPair && row_ + 1 < plan.restored) {
          waiting_ = current_;
          current_ = freeRow();
          return;
        }
        filters_.paeth(row, prior_ + 1, plan.length);
        break;
      default:
        error_ = PngError::badFilter;
        return;
    }
    convertRow(plan, row, row_);
    moveOn();
  }

  // The row just restored is the next one's prior; the next fills a row neither holds.
  void moveOn() {
    prior_ = current_;
    current_ = freeRow();
  }
  std::uint8_t* freeRow() {
    for (std::size_t k = 1; k <= 3; ++k) {
      std::uint8_t* row = rows_.data() + k * stride_;
      if (row != prior_ && row != waiting_ && row != current_) return row;
    }
    return nullptr;  // never: three rows, at most two of them taken
  }

  void convertRow(const PassPlan& plan, const std::uint8_t* row, std::uint32_t r) {
    // y stays below the height, so it fits in 32 bits.
    const std::uint32_t y = plan.rowStart + r * plan.rowStep;
    if (y >= height_ || y < plan.top || plan.count == 0) return;
    std::uint8_t* out = target_.row(y);
    if (indices_) {
      std::memcpy(out + plan.column, row + plan.leftByte, plan.count);
    } else {
      convert_(row + plan.leftByte, plan.count, out + std::size_t{plan.column} * 4,
               std::size_t{plan.columnStep} * 4, context_);
    }
    if (plain_) target_.rowDone(y);
  }

  const std::vector<PassPlan> plans_;
  PngTarget& target_;
  const std::uint32_t height_;  // of the kept picture
  const ConvertRow convert_;
  const ConvertContext context_;
  const PngFilters filters_;
  const bool indices_;  // rows go to the target as their palette indices
  const bool plain_;
  Lent rows_;
  const std::size_t stride_;
  std::size_t pass_ = 0;
  std::uint8_t* prior_ = nullptr;    // the row above, restored
  std::uint8_t* current_ = nullptr;  // the row being filled
  std::uint8_t* waiting_ = nullptr;  // a Paeth row waiting for the next
  std::uint32_t row_ = 0;            // the row of the pass whose bytes come now
  std::size_t at_ = 0;               // bytes of it come so far
  bool restoring_ = false;           // whether it is restored
  std::uint32_t breakRow_ = 0;       // a row of filter None or Sub found ahead, if above row_
  std::uint32_t unseenRow_ = 0;      // the first row whose filter type was not looked at
  PngError error_ = PngError::none;
};

// What a stream that ended so means for the file, whose rows need exactly `expected` bytes.
PngError inflateError(const Inflated& inflated, std::size_t expected) {
  switch (inflated.end) {
    case InflateEnd::complete:
      return inflated.produced == expected ? PngError::none : PngError::wrongInflatedSize;
    case InflateEnd::overran:
    case InflateEnd::overranPastInput:
      return PngError::wrongInflatedSize;
    case InflateEnd::damaged:
    case InflateEnd::cut:
      break;
  }
  return PngError::inflateFailed;
}

PngError decode(ByteView file, std::uint8_t* writable, PngTarget& target, PngPixels pixels,
                const DecodeLimits& limits, Arena& memory) {
  if (file.size() < kMinimumFileSize) return PngError::tooShort;
  PngInfo info;
  info.file = file;
  info.writableFile = writable;
  if (!readPngChunks(info, limits)) return info.error;
  const auto passes = pngPasses(info);
  if (!passes) return PngError::tooLarge;
  const std::uint32_t width = std::min(info.width, limits.keptWidth);
  const std::uint32_t height = std::min(info.height, limits.keptHeight);
  const bool plain = passes->size() == 1;
  // Indices are offered only to a target of 0xAARRGGBB pixels, the form their colours take.
  const bool indices = plain && pixels == PngPixels::argb && info.colourType == 3 &&
                       info.bitDepth == 8 &&
                       target.takesIndices(width, height, contextFor<false>(info).table);
  if (!target.begin(width, height, indices ? 1 : 4, !plain)) return PngError::outOfMemory;
  RowRestorer rows(info, planPasses(info, *passes, width, height, limits.shown), height, target,
                   pixels, indices, plain, memory);
  const std::size_t windowSize = std::min(info.scanlineSize, limits.window);
  Lent window = memory.borrow(Use::window, windowSize + kRowSlack);
  // A damaged stream is refused for that even when a filter type was found bad first.
  const PngError inflated = inflateError(
      inflateZlib(info.imageData, info.scanlineSize, window.span().first(windowSize), rows),
      info.scanlineSize);
  return inflated != PngError::none ? inflated : rows.error();
}

}  // namespace

PngError decodePng(ByteView file, PngTarget& target, PngPixels pixels, const DecodeLimits& limits,
                   Arena& memory) {
  return decode(file, nullptr, target, pixels, limits, memory);
}

PngError decodePngInPlace(std::span<std::uint8_t> file, PngTarget& target, PngPixels pixels,
                          const DecodeLimits& limits, Arena& memory) {
  return decode(file, file.data(), target, pixels, limits, memory);
}

}  // namespace vantrix
