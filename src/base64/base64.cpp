#include "base64/base64.hpp"

#include <array>

#include "common/cpu_features.hpp"

namespace vantrix {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Every byte outside the alphabet maps to 0, just like "A": the decoder tells them apart.
constexpr std::array<std::uint8_t, 256> makeReverseTable() {
  std::array<std::uint8_t, 256> table{};
  for (std::uint8_t i = 0; i < 64; ++i) {
    table[static_cast<unsigned char>(kAlphabet[i])] = i;
  }
  return table;
}

constexpr std::array<std::uint8_t, 256> kReverse = makeReverseTable();

#ifdef VANTRIX_X86_SIMD
#define VANTRIX_SSSE3_TARGET __attribute__((target("ssse3")))

// Twelve bytes to sixteen characters a step in SSSE3 registers (a 16-byte load, so at least
// 16 bytes must be left). Each 3-byte group is spread over a 32-bit lane as bytes b, a, c, b,
// two multiplications move its four 6-bit values into the lanes' bytes, and each value gets
// the offset of its alphabet range ('A', 'a', '0', '+' or '/') from a 16-entry table.
// Returns how many bytes were encoded, a multiple of 12.
VANTRIX_SSSE3_TARGET std::size_t encodeBlocks(const std::uint8_t* in, std::size_t size, char* out) {
  const __m128i spread = _mm_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
  const __m128i highMask = _mm_set1_epi32(0x0FC0FC00);
  const __m128i highShift = _mm_set1_epi32(0x04000040);
  const __m128i lowMask = _mm_set1_epi32(0x003F03F0);
  const __m128i lowShift = _mm_set1_epi32(0x01000010);
  const __m128i offsets =
      _mm_setr_epi8(71, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -19, -16, 65, 0, 0);
  std::size_t done = 0;
  for (; done + 16 <= size; done += 12, out += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
    const __m128i lanes = _mm_shuffle_epi8(bytes, spread);
    const __m128i high = _mm_mulhi_epu16(_mm_and_si128(lanes, highMask), highShift);
    const __m128i low = _mm_mullo_epi16(_mm_and_si128(lanes, lowMask), lowShift);
    const __m128i values = _mm_or_si128(high, low);  // 0 to 63 in each byte
    // Range 0 for 'a' to '9' values (26 to 61) and 62, 63 picked by value - 51; 13 for A-Z.
    __m128i range = _mm_subs_epu8(values, _mm_set1_epi8(51));
    range = _mm_or_si128(
        range, _mm_and_si128(_mm_cmpgt_epi8(_mm_set1_epi8(26), values), _mm_set1_epi8(13)));
    const __m128i text = _mm_add_epi8(values, _mm_shuffle_epi8(offsets, range));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), text);
  }
  return done;
}
#elif defined(VANTRIX_ARM_SIMD)
// Forty-eight bytes to sixty-four characters a step in NEON registers: a structured load parts
// the groups' first, second and third bytes, shifts cut their four 6-bit values, one table
// lookup over the 64-letter alphabet gives each its character, and a structured store puts
// them back in order. Returns how many bytes were encoded, a multiple of 48.
std::size_t encodeBlocks(const std::uint8_t* in, std::size_t size, char* out) {
  uint8x16x4_t alphabet;
  for (int part = 0; part < 4; ++part)
    alphabet.val[part] = vld1q_u8(reinterpret_cast<const std::uint8_t*>(kAlphabet) + 16 * part);
  const uint8x16_t six = vdupq_n_u8(63);
  std::size_t done = 0;
  for (; done + 48 <= size; done += 48, out += 64) {
    const uint8x16x3_t bytes = vld3q_u8(in + done);
    uint8x16x4_t values;
    values.val[0] = vshrq_n_u8(bytes.val[0], 2);
    values.val[1] =
        vandq_u8(vorrq_u8(vshlq_n_u8(bytes.val[0], 4), vshrq_n_u8(bytes.val[1], 4)), six);
    values.val[2] =
        vandq_u8(vorrq_u8(vshlq_n_u8(bytes.val[1], 2), vshrq_n_u8(bytes.val[2], 6)), six);
    values.val[3] = vandq_u8(bytes.val[2], six);
    uint8x16x4_t text;
    for (int part = 0; part < 4; ++part)
      text.val[part] = vqtbl4q_u8(alphabet, values.val[part]);
    vst4q_u8(reinterpret_cast<std::uint8_t*>(out), text);
  }
  return done;
}
#endif

}  // namespace

void appendBase64(std::string& text, ByteView bytes) {
  const std::size_t start = text.size();
  text.resize(start + (bytes.size() + 2) / 3 * 4);
  // Whole groups of three bytes, then the last one or two bytes with their padding.
  const std::uint8_t* in = bytes.data();
  char* out = text.data() + start;
  std::size_t size = bytes.size();
#if defined(VANTRIX_X86_SIMD) || defined(VANTRIX_ARM_SIMD)
  if (size >= 16 && (cpu::features().ssse3 || cpu::features().neon)) {
    const std::size_t done = encodeBlocks(in, size, out);
    in += done;
    out += done / 3 * 4;
    size -= done;
  }
#endif
  const std::size_t whole = size / 3;
  for (std::size_t g = 0; g < whole; ++g, in += 3, out += 4) {
    const std::uint32_t group =
        std::uint32_t{in[0]} << 16 | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]};
    out[0] = kAlphabet[group >> 18];
    out[1] = kAlphabet[(group >> 12) & 63];
    out[2] = kAlphabet[(group >> 6) & 63];
    out[3] = kAlphabet[group & 63];
  }
  const std::size_t left = size - whole * 3;
  if (left > 0) {
    const std::uint32_t group =
        std::uint32_t{in[0]} << 16 | (left > 1 ? std::uint32_t{in[1]} << 8 : 0u);
    out[0] = kAlphabet[group >> 18];
    out[1] = kAlphabet[(group >> 12) & 63];
    out[2] = left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    out[3] = '=';
  }
}

std::optional<Bytes> decodeBase64(std::string_view text) {
  Bytes bytes;
  bytes.reserve(text.size() / 4 * 3);
  std::uint32_t group = 0;
  int count = 0;    // characters of the current group
  int padding = 0;  // "=" seen; only more padding and line breaks may follow
  for (const char c : text) {
    if (c == '\r' || c == '\n') continue;
    if (c == '=') {
      if (count < 2 || ++padding + count > 4) return std::nullopt;
      continue;
    }
    const std::uint8_t value = kReverse[static_cast<unsigned char>(c)];
    if (padding > 0 || (value == 0 && c != 'A')) return std::nullopt;
    group = (group << 6) | value;
    if (++count == 4) {
      bytes.push_back(static_cast<std::uint8_t>(group >> 16));
      bytes.push_back(static_cast<std::uint8_t>(group >> 8));
      bytes.push_back(static_cast<std::uint8_t>(group));
      group = 0;
      count = 0;
    }
  }
  if (padding > 0) {
    if (count + padding != 4) return std::nullopt;
    group <<= 6 * padding;
    bytes.push_back(static_cast<std::uint8_t>(group >> 16));
    if (count == 3) bytes.push_back(static_cast<std::uint8_t>(group >> 8));
  } else if (count != 0) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace vantrix
