#include "codecs/png_filters.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/cpu_features.hpp"

namespace vantrix {
namespace {

// ---- A byte at a time --------------------------------------------------------------------
// Bpp is a template argument, so that every loop has a fixed distance to the left neighbour.

template <std::size_t Bpp>
void undoSub(std::uint8_t* row, const std::uint8_t*, std::size_t length) {
  for (std::size_t i = Bpp; i < length; ++i) {
    row[i] = static_cast<std::uint8_t>(row[i] + row[i - Bpp]);
  }
}

void undoUp(std::uint8_t* row, const std::uint8_t* prior, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i)
    row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
}

template <std::size_t Bpp>
void undoAverage(std::uint8_t* row, const std::uint8_t* prior, std::size_t length) {
  const std::size_t head = std::min(Bpp, length);
  for (std::size_t i = 0; i < head; ++i) {
    row[i] = static_cast<std::uint8_t>(row[i] + (prior[i] >> 1));
  }
  // The sum of two bytes is formed in int, so it cannot wrap before halving.
  for (std::size_t i = Bpp; i < length; ++i) {
    row[i] = static_cast<std::uint8_t>(row[i] + ((row[i - Bpp] + prior[i]) >> 1));
  }
}

// The predictor prefers a (left), then b (above), then c (above left) on ties. Written
// without branches: which of the three wins depends on the picture and predicts badly.
inline int paeth(int a, int b, int c) {
  const int pa = std::abs(b - c);
  const int pb = std::abs(a - c);
  const int pc = std::abs(a + b - 2 * c);
  const int bc = pb <= pc ? b : c;
  return pa <= pb && pa <= pc ? a : bc;
}

template <std::size_t Bpp>
void undoPaeth(std::uint8_t* row, const std::uint8_t* prior, std::size_t length) {
  // Left of the first pixel a and c are 0, so the predictor is b.
  const std::size_t head = std::min(Bpp, length);
  for (std::size_t i = 0; i < head; ++i)
    row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
  for (std::size_t i = Bpp; i < length; ++i) {
    row[i] = static_cast<std::uint8_t>(row[i] + paeth(row[i - Bpp], prior[i], prior[i - Bpp]));
  }
}

template <std::size_t Bpp>
constexpr PngFilters bytewise() {
  return {undoSub<Bpp>, undoUp, undoAverage<Bpp>, undoPaeth<Bpp>, nullptr};
}

#ifdef VANTRIX_X86_SIMD
// ---- A pixel at a time in SSE2 registers, for pixels of 3 to 8 bytes ----------------------
// Each step loads one pixel of the row and of the prior row; the row's length is a whole
// number of pixels (8-bit RGB and RGBA, 16-bit grey with alpha, RGB and RGBA), and loads
// and stores touch exactly the pixel's bytes.

template <std::size_t Bpp>
inline __m128i loadPixel(const std::uint8_t* p) {
  if constexpr (Bpp <= 4) {
    std::uint32_t v = 0;
    std::memcpy(&v, p, Bpp);
    return _mm_cvtsi32_si128(static_cast<int>(v));
  } else {
    alignas(16) std::uint8_t bytes[16] = {};
    std::memcpy(bytes, p, Bpp);
    return _mm_load_si128(reinterpret_cast<const __m128i*>(bytes));
  }
}

template <std::size_t Bpp>
inline void storePixel(std::uint8_t* p, __m128i pixel) {
  if constexpr (Bpp <= 4) {
    const auto v = static_cast<std::uint32_t>(_mm_cvtsi128_si32(pixel));
    std::memcpy(p, &v, Bpp);
  } else {
    alignas(16) std::uint8_t bytes[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(bytes), pixel);
    std::memcpy(p, bytes, Bpp);
  }
}

// A pixel of 3 (or 6) bytes that is not its row's last is moved as 4 (or 8) bytes, one move
// each way instead of several: the extra bytes are the next pixel's first, still as
// filtered, and every step adds 0 to them (keep() masks them out of the prediction), so they
// are written back as they were read. Pixels of 4 and 8 bytes move as they are.
template <std::size_t Bpp>
struct PixelMoves {
  static constexpr std::size_t kWord = Bpp <= 4 ? 4 : 8;
  static __m128i load(const std::uint8_t* p, bool last) {
    if (Bpp == kWord || !last) {
      if constexpr (kWord == 4) {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return _mm_cvtsi32_si128(static_cast<int>(v));
      } else {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
      }
    }
    return loadPixel<Bpp>(p);
  }
  static void store(std::uint8_t* p, __m128i pixel, bool last) {
    if (Bpp == kWord || !last) {
      if constexpr (kWord == 4) {
        const auto v = static_cast<std::uint32_t>(_mm_cvtsi128_si32(pixel));
        std::memcpy(p, &v, 4);
      } else {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), pixel);
      }
      return;
    }
    storePixel<Bpp>(p, pixel);
  }
  // The bytes (8-bit lanes) a prediction may change.
  static __m128i keep() {
    if constexpr (Bpp == 3) return _mm_setr_epi8(-1, -1, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    if constexpr (Bpp == 6)
      return _mm_setr_epi8(-1, -1, -1, -1, -1, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    return _mm_set1_epi8(-1);
  }
  // The same for 16-bit lanes: one pixel of up to 8 bytes, or two of 3 or 4 in lanes 0-3 and
  // 4-7.
  static __m128i keepWide() {
    if constexpr (Bpp == 3) return _mm_setr_epi16(-1, -1, -1, 0, -1, -1, -1, 0);
    if constexpr (Bpp == 6) return _mm_setr_epi16(-1, -1, -1, -1, -1, -1, 0, 0);
    return _mm_set1_epi16(-1);
  }
};

// The loops below read each pixel of the row one step ahead, before the store of the pixel
// left of it: with 3- and 6-byte pixels that store also covers the first bytes of the next
// pixel, and a load overlapping a store still in flight waits for it to reach the cache.

template <std::size_t Bpp>
void undoSubSse2(std::uint8_t* row, const std::uint8_t*, std::size_t length) {
  using Moves = PixelMoves<Bpp>;
  const std::size_t count = length / Bpp;
  if (count == 0) return;
  const __m128i keep = Moves::keep();
  __m128i left = _mm_setzero_si128();
  __m128i raw = Moves::load(row, count == 1);
  for (std::size_t k = 0; k < count; ++k) {
    const bool last = k + 1 == count;
    const __m128i next = last ? raw : Moves::load(row + (k + 1) * Bpp, k + 2 == count);
    left = _mm_add_epi8(raw, _mm_and_si128(left, keep));
    Moves::store(row + k * Bpp, left, last);
    raw = next;
  }
}

template <std::size_t Bpp>
void undoAverageSse2(std::uint8_t* row, const std::uint8_t* prior, std::size_t length) {
  using Moves = PixelMoves<Bpp>;
  const std::size_t count = length / Bpp;
  if (count == 0) return;
  const __m128i keep = Moves::keep();
  // floor((a + b) / 2) is the rounded-up average less the low bit of a ^ b.
  const __m128i one = _mm_set1_epi8(1);
  __m128i left = _mm_setzero_si128();
  __m128i raw = Moves::load(row, count == 1);
  for (std::size_t k = 0; k < count; ++k) {
    const bool last = k + 1 == count;
    const __m128i next = last ? raw : Moves::load(row + (k + 1) * Bpp, k + 2 == count);
    const __m128i above = Moves::load(prior + k * Bpp, last);
    const __m128i average =
        _mm_sub_epi8(_mm_avg_epu8(left, above), _mm_and_si128(_mm_xor_si128(left, above), one));
    left = _mm_add_epi8(raw, _mm_and_si128(average, keep));
    Moves::store(row + k * Bpp, left, last);
    raw = next;
  }
}

inline __m128i absolute16(__m128i x) {
  return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x));
}

inline __m128i choose(__m128i mask, __m128i ifSet, __m128i otherwise) {
  return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, otherwise));
}

// The Paeth predictor of 16-bit lanes: a when pa is smallest, else b when pb is, else c.
inline __m128i paethPredictor(__m128i a, __m128i b, __m128i c) {
  const __m128i p = _mm_sub_epi16(b, c);  // pa = |p|
  const __m128i q = _mm_sub_epi16(a, c);  // pb = |q|
  const __m128i pa = absolute16(p);
  const __m128i pb = absolute16(q);
  const __m128i pc = absolute16(_mm_add_epi16(p, q));
  const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
  const __m128i nearest = choose(_mm_cmpeq_epi16(smallest, pb), b, c);
  return choose(_mm_cmpeq_epi16(smallest, pa), a, nearest);
}

template <std::size_t Bpp>
inline __m128i loadWide(const std::uint8_t* p, bool last) {
  return _mm_unpacklo_epi8(PixelMoves<Bpp>::load(p, last), _mm_setzero_si128());
}

template <std::size_t Bpp>
void undoPaethSse2(std::uint8_t* row, const std::uint8_t* prior, std::size_t length) {
  // Samples widened to 16 bits, so the differences cannot wrap.
  using Moves = PixelMoves<Bpp>;
  const std::size_t count = length / Bpp;
  if (count == 0) return;
  const __m128i keep = Moves::keepWide();
  const __m128i low = _mm_set1_epi16(0xFF);
  __m128i a = _mm_setzero_si128();  // left
  __m128i c = _mm_setzero_si128();  // above left
  __m128i raw = loadWide<Bpp>(row, count == 1);
  for (std::size_t k = 0; k < count; ++k) {
    const bool last = k + 1 == count;
    const __m128i next = last ? raw : loadWide<Bpp>(row + (k + 1) * Bpp, k + 2 == count);
    const __m128i b = loadWide<Bpp>(prior + k * Bpp, last);
    const __m128i predicted = _mm_and_si128(paethPredictor(a, b, c), keep);
    a = _mm_and_si128(_mm_add_epi16(raw, predicted), low);
    Moves::store(row + k * Bpp, _mm_packus_epi16(a, a), last);
    c = b;
    raw = next;
  }
}

// Two rows that both use Paeth, the second on the first: pixel k of the first row and pixel
// k - 1 of the second share one register (low and high 64 bits). Each pixel's chain of
// dependent steps is as long as before, so two rows cost about what one did.
template <std::size_t Bpp>
void undoPaethPairSse2(std::uint8_t* first, std::uint8_t* second, const std::uint8_t* prior,
                       std::size_t length) {
  using Moves = PixelMoves<Bpp>;
  const std::size_t count = length / Bpp;
  if (count == 0) return;
  const __m128i keep = Moves::keepWide();
  const __m128i low = _mm_set1_epi16(0xFF);
  // Lanes 0-3: the first row's pixel k, with a, b, c from its row and the prior row.
  // Lanes 4-7: the second row's pixel k - 1; its b and c come from the first row.
  __m128i a = _mm_setzero_si128();
  __m128i c = _mm_setzero_si128();
  auto step = [&](__m128i raw, __m128i above) {
    const __m128i b = _mm_unpacklo_epi64(above, a);
    const __m128i predicted = _mm_and_si128(paethPredictor(a, b, c), keep);
    a = _mm_and_si128(_mm_add_epi16(raw, predicted), low);
    c = b;
    return _mm_packus_epi16(a, a);
  };
  // The raw pixels of step k (first row k, second row k - 1), read a step ahead.
  auto rawAt = [&](std::size_t k) {
    return _mm_unpacklo_epi64(loadWide<Bpp>(first + k * Bpp, k + 1 == count),
                              loadWide<Bpp>(second + (k - 1) * Bpp, false));
  };
  // The first row's first pixel; the second row has none before it, and its lanes stay 0.
  const bool alone = count == 1;
  __m128i bytes = step(loadWide<Bpp>(first, alone), loadWide<Bpp>(prior, alone));
  __m128i raw = alone ? _mm_setzero_si128() : rawAt(1);
  Moves::store(first, bytes, alone);
  for (std::size_t k = 1; k < count; ++k) {
    const bool last = k + 1 == count;
    const __m128i next = last ? raw : rawAt(k + 1);
    bytes = step(raw, loadWide<Bpp>(prior + k * Bpp, last));
    Moves::store(first + k * Bpp, bytes, last);
    Moves::store(second + (k - 1) * Bpp, _mm_srli_si128(bytes, 4), false);
    raw = next;
  }
  // The second row's last pixel.
  bytes =
      step(_mm_unpacklo_epi64(_mm_setzero_si128(), loadWide<Bpp>(second + (count - 1) * Bpp, true)),
           _mm_setzero_si128());
  Moves::store(second + (count - 1) * Bpp, _mm_srli_si128(bytes, 4), true);
}

template <std::size_t Bpp>
PngFilters vectorised() {
  if (!cpu::features().sse2) return bytewise<Bpp>();
  if constexpr (Bpp <= 4) {
    return {undoSubSse2<Bpp>, undoUp, undoAverageSse2<Bpp>, undoPaethSse2<Bpp>,
            undoPaethPairSse2<Bpp>};
  }
  return {undoSubSse2<Bpp>, undoUp, undoAverageSse2<Bpp>, undoPaethSse2<Bpp>, nullptr};
}
#elif defined(VANTRIX_ARM_SIMD)
// ---- A pixel at a time in NEON registers, for pixels of 3 to 8 bytes ----------------------
// As with SSE2 above: a pixel of 3 (or 6) bytes that is not its row's last moves as 4 (or 8)
// bytes, the extra ones masked out of every prediction and written back as they were read.

template <std::size_t Bpp>
struct NeonMoves {
  static constexpr std::size_t kWord = Bpp <= 4 ? 4 : 8;
  static uint8x8_t load(const std::uint8_t* p, bool last) {
    std::uint64_t v = 0;
    std::memcpy(&v, p, Bpp == kWord || !last ? kWord : Bpp);
    return vcreate_u8(v);
  }
  static void store(std::uint8_t* p, uint8x8_t pixel, bool last) {
    const std::uint64_t v = vget_lane_u64(vreinterpret_u64_u8(pixel), 0);
    std::memcpy(p, &v, Bpp == kWord || !last ? kWord : Bpp);
  }
  // The bytes a prediction may change.
  static uint8x8_t keep() {
    return vcreate_u8(Bpp == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * Bpp)) - 1);
  }
};

template <std::size_t Bpp>
void undoSubNeon(std::uint8_t* row, const std::uint8_t*, std::size_t length) {
  using Moves = NeonMoves<Bpp>;
  const std::size_t count = length / Bpp;
  if (count == 0) return;
  const uint8x8_t keep = Moves::keep();
  uint8x8_t left = vdup_n_u8(0);
  uint8x8_t raw = Moves::load(row, count == 1);
  for (std::size_t k = 0; k < count; ++k) {
    const bool last = k + 1 == count;
    const uint8x8_t next = last ? raw : Moves::load(row + (k + 1) * Bpp, k + 2 == count);
    left = vadd_u8(raw, vand_u8(left, keep));
    Moves::store(row + k * Bpp, left, last);
    raw = next;
  }
}

template <std::size_t Bpp>
void undoAverageNeon(std::uint8_t* row, const std::uint8_t* prior, std::size_t length) {
  using Moves = NeonMoves<Bpp>;
  const std::size_t count = length / Bpp;
  if (count == 0) return;
  const uint8x8_t keep = Moves::keep();
  uint8x8_t left = vdup_n_u8(0);
  uint8x8_t raw = Moves::load(row, count == 1);
  for (std::size_t k = 0; k < count; ++k) {
    const bool last = k + 1 == count;
    const uint8x8_t next = last ? raw : Moves::load(row + (k + 1) * Bpp, k + 2 == count);
    // vhadd is floor((a + b) / 2) without the sum wrapping.
    const uint8x8_t average = vhadd_u8(left, Moves::load(prior + k * Bpp, last));
    left = vadd_u8(raw, vand_u8(average, keep));
    Moves::store(row + k * Bpp, left, last);
    raw = next;
  }
}

template <std::size_t Bpp>
void undoPaethNeon(std::uint8_t* row, const std::uint8_t* prior, std::size_t length) {
  using Moves = NeonMoves<Bpp>;
  const std::size_t count = length / Bpp;
  if (count == 0) return;
  const uint8x8_t keep = Moves::keep();
  uint8x8_t a = vdup_n_u8(0);  // left
  uint8x8_t c = vdup_n_u8(0);  // above left
  uint8x8_t raw = Moves::load(row, count == 1);
  for (std::size_t k = 0; k < count; ++k) {
    const bool last = k + 1 == count;
    const uint8x8_t next = last ? raw : Moves::load(row + (k + 1) * Bpp, k + 2 == count);
    const uint8x8_t b = Moves::load(prior + k * Bpp, last);
    // pa = |b - c|, pb = |a - c|, pc = |a + b - 2c|, in 16-bit lanes so none can wrap.
    const uint16x8_t pa = vabdl_u8(b, c);
    const uint16x8_t pb = vabdl_u8(a, c);
    const uint16x8_t pc = vabdq_u16(vaddl_u8(a, b), vshll_n_u8(c, 1));
    const uint8x8_t takeA = vmovn_u16(vandq_u16(vcleq_u16(pa, pb), vcleq_u16(pa, pc)));
    const uint8x8_t takeB = vmovn_u16(vcleq_u16(pb, pc));
    const uint8x8_t predicted = vbsl_u8(takeA, a, vbsl_u8(takeB, b, c));
    a = vadd_u8(raw, vand_u8(predicted, keep));
    Moves::store(row + k * Bpp, a, last);
    c = b;
    raw = next;
  }
}

template <std::size_t Bpp>
PngFilters vectorised() {
  if (!cpu::features().neon) return bytewise<Bpp>();
  return {undoSubNeon<Bpp>, undoUp, undoAverageNeon<Bpp>, undoPaethNeon<Bpp>, nullptr};
}
#else
template <std::size_t Bpp>
constexpr PngFilters vectorised() {
  return bytewise<Bpp>();
}
#endif

}  // namespace

PngFilters pngFiltersFor(std::uint32_t filterUnit) {
  switch (filterUnit) {
    case 1:
      return bytewise<1>();
    case 2:
      return bytewise<2>();
    case 3:
      return vectorised<3>();
    case 4:
      return vectorised<4>();
    case 6:
      return vectorised<6>();
    default:
      return vectorised<8>();
  }
}

}  // namespace vantrix
