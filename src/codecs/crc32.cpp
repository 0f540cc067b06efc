#include "codecs/crc32.hpp"

#include <array>
#include <cstring>

#include "common/cpu_features.hpp"

#if defined(VANTRIX_ARM_SIMD)
#include <arm_acle.h>
#endif

namespace vantrix {
namespace {

// A byte a step by table, for short lengths and processors without carry-less multiplication
// (WebAssembly among them).
constexpr std::array<std::uint32_t, 256> makeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k)
      c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = makeCrcTable();

std::uint32_t crc32ByTable(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i)
    crc = kCrcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

#ifdef VANTRIX_X86_SIMD
#define VANTRIX_PCLMUL_TARGET __attribute__((target("pclmul,sse4.1")))

VANTRIX_PCLMUL_TARGET inline __m128i load16(const std::uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// x times the two halves of k, carry-less, added to the next 128 bits.
VANTRIX_PCLMUL_TARGET inline __m128i fold(__m128i x, __m128i k, __m128i next) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x11), next),
                       _mm_clmulepi64_si128(x, k, 0x00));
}

// Folds 64 bytes a step in four 128-bit lanes, then one lane 16 bytes a step, and reduces the
// remainder to 32 bits by Barrett's method: the constants are x^n mod P for the bit-reflected
// CRC-32 polynomial P, as Intel's paper on CRC by PCLMULQDQ gives them. `size` is at least 64
// and a multiple of 16; `crc` is the register value (not inverted at either end).
VANTRIX_PCLMUL_TARGET std::uint32_t foldBlocks(std::uint32_t crc, const std::uint8_t* data,
                                               std::size_t size) {
  const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
  const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
  const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
  const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
  __m128i x1 = _mm_xor_si128(load16(data), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i x2 = load16(data + 16);
  __m128i x3 = load16(data + 32);
  __m128i x4 = load16(data + 48);
  data += 64;
  size -= 64;
  while (size >= 64) {
    x1 = fold(x1, k1k2, load16(data));
    x2 = fold(x2, k1k2, load16(data + 16));
    x3 = fold(x3, k1k2, load16(data + 32));
    x4 = fold(x4, k1k2, load16(data + 48));
    data += 64;
    size -= 64;
  }
  x1 = fold(x1, k3k4, x2);
  x1 = fold(x1, k3k4, x3);
  x1 = fold(x1, k3k4, x4);
  while (size >= 16) {
    x1 = fold(x1, k3k4, load16(data));
    data += 16;
    size -= 16;
  }

  // 128 bits to 64, then to 32.
  const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, k3k4, 0x10));
  x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k5, 0x00),
                     _mm_srli_si128(x1, 4));
  __m128i x2b = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), poly, 0x10);
  x2b = _mm_clmulepi64_si128(_mm_and_si128(x2b, low32), poly, 0x00);
  x1 = _mm_xor_si128(x1, x2b);
  return static_cast<std::uint32_t>(_mm_extract_epi32(x1, 1));
}
#elif defined(VANTRIX_ARM_SIMD)
// clang's <arm_acle.h> offers the instructions only to a whole build for a processor that has
// them; its builtins go with the function's own target.
#if defined(__clang__)
#define VANTRIX_CRC_TARGET __attribute__((target("crc")))
#define VANTRIX_CRC32_WORD __builtin_arm_crc32d
#define VANTRIX_CRC32_BYTE __builtin_arm_crc32b
#else
#define VANTRIX_CRC_TARGET __attribute__((target("+crc")))
#define VANTRIX_CRC32_WORD __crc32d
#define VANTRIX_CRC32_BYTE __crc32b
#endif

// ARMv8's CRC32 instructions compute this very CRC (the bit-reflected polynomial 0xEDB88320),
// eight bytes an instruction. `crc` is the register value (not inverted at either end).
VANTRIX_CRC_TARGET std::uint32_t crcInstructions(std::uint32_t crc, const std::uint8_t* data,
                                                 std::size_t size) {
  for (; size >= 8; data += 8, size -= 8) {
    std::uint64_t word;
    std::memcpy(&word, data, 8);
    crc = VANTRIX_CRC32_WORD(crc, word);
  }
  for (; size > 0; ++data, --size)
    crc = VANTRIX_CRC32_BYTE(crc, *data);
  return crc;
}
#endif

}  // namespace

std::uint32_t crc32Of(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
#ifdef VANTRIX_X86_SIMD
  if (size >= 64 && cpu::features().carryLessMultiply) {
    const std::size_t blocks = size & ~std::size_t{15};
    crc = ~foldBlocks(~crc, data, blocks);
    data += blocks;
    size -= blocks;
  }
#elif defined(VANTRIX_ARM_SIMD)
  if (cpu::features().armCrc32) return ~crcInstructions(~crc, data, size);
#endif
  return size == 0 ? crc : crc32ByTable(crc, data, size);
}

}  // namespace vantrix
