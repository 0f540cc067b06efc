#include "codecs/inflate.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <span>

#include "common/cpu_features.hpp"

namespace vantrix {
namespace {

// How inflating a block ended: as a stream may end (InflateEnd), or with needsRoom, before a
// symbol, when the output goes on past a window nearly full; the window then slides and the
// block goes on.
enum class Ending { complete, overran, overranPastInput, damaged, cut, needsRoom };

// ---- Decode tables -----------------------------------------------------------------------
// An entry is val << 16 | op << 8 | bits: `bits` is the length of the code it stands for, and
// op says what it is. A length or distance base counts its extra bits in `bits` too, so that
// the code and the bits after it leave the bit buffer in one shift, one step less in the chain
// of dependent steps that bounds the decode loop. A code longer than the root bits takes two looks:
// the root entry links to a second-level table indexed by the code's next bits.

constexpr std::uint32_t kLiteral = 0x00;
constexpr std::uint32_t kBase = 0x10;  // a length or distance base; low 4 bits: extra bits
constexpr std::uint32_t kEndOfBlock = 0x20;
constexpr std::uint32_t kInvalid = 0x40;
constexpr std::uint32_t kLink = 0x80;  // val: where the second level starts; low bits: its bits

constexpr std::uint32_t entry(std::uint32_t val, std::uint32_t op, std::uint32_t bits) {
  return val << 16 | op << 8 | bits;
}
constexpr std::uint32_t opOf(std::uint32_t e) {
  return (e >> 8) & 0xFF;
}
constexpr std::uint32_t bitsOf(std::uint32_t e) {
  return e & 0xFF;
}
constexpr std::uint32_t valOf(std::uint32_t e) {
  return e >> 16;
}
// Tests of the op bits in place, one instruction each in the decode loops.
constexpr bool isLiteral(std::uint32_t e) {
  return (e & 0xFF00) == 0;
}
constexpr bool hasBase(std::uint32_t e) {
  return (e & kBase << 8) != 0;
}

constexpr unsigned kLiteralRootBits = 10;
constexpr unsigned kDistanceRootBits = 8;
constexpr unsigned kPrecodeRootBits = 7;
// Root table plus every second-level table a complete code of at most 288 symbols (30 for
// distances) and 15 bits can need, with room to spare.
constexpr std::size_t kLiteralTableSize = 2048;
constexpr std::size_t kDistanceTableSize = 1024;
constexpr std::size_t kPrecodeTableSize = 128;

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                           15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                           67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

enum class CodeKind { precode, literals, distances };

// What symbol `symbol` of a code decodes to.
constexpr std::uint32_t symbolEntry(CodeKind kind, unsigned symbol, unsigned length) {
  switch (kind) {
    case CodeKind::precode:
      return entry(symbol, kLiteral, length);
    case CodeKind::literals:
      if (symbol < 256) return entry(symbol, kLiteral, length);
      if (symbol == 256) return entry(0, kEndOfBlock, length);
      // 286 and 287 have codes in the fixed code but stand for nothing.
      if (symbol >= 286) return entry(0, kInvalid, length);
      return entry(kLengthBase[symbol - 257], kBase | kLengthExtra[symbol - 257],
                   length + kLengthExtra[symbol - 257]);
    case CodeKind::distances:
      // 30 and 31 likewise.
      if (symbol >= 30) return entry(0, kInvalid, length);
      return entry(kDistanceBase[symbol], kBase | kDistanceExtra[symbol],
                   length + kDistanceExtra[symbol]);
  }
  return entry(0, kInvalid, length);
}

// The low `length` bits of `code` (1 to 16) in reverse order: all 16 swapped in four steps.
constexpr std::uint32_t reverseBits(std::uint32_t code, unsigned length) {
  std::uint32_t v = code & 0xFFFF;
  v = (v >> 1 & 0x5555) | (v & 0x5555) << 1;
  v = (v >> 2 & 0x3333) | (v & 0x3333) << 2;
  v = (v >> 4 & 0x0F0F) | (v & 0x0F0F) << 4;
  v = (v >> 8 & 0x00FF) | (v & 0x00FF) << 8;
  return v >> (16 - length);
}

// How many codes have each length 1 to 15 (entry 0 is left 0). Counted in four tallies:
// runs of one length, the common case, would otherwise have each count wait for the one
// before it, a tenth of the decode of small pictures.
constexpr std::array<unsigned, 16> countLengths(const std::uint8_t* lengths, unsigned count) {
  std::array<std::array<unsigned, 16>, 4> tallies{};
  unsigned s = 0;
  for (; s + 4 <= count; s += 4) {
    for (unsigned k = 0; k < 4; ++k)
      ++tallies[k][lengths[s + k]];
  }
  for (; s < count; ++s)
    ++tallies[0][lengths[s]];
  std::array<unsigned, 16> perLength{};
  for (unsigned length = 1; length <= 15; ++length)
    perLength[length] =
        tallies[0][length] + tallies[1][length] + tallies[2][length] + tallies[3][length];
  return perLength;
}

// Builds the decode table of a canonical code from its code lengths (0 to 15 each), under
// zlib's rules: an over-subscribed code is refused; an incomplete one too, except a code of
// no lengths at all or of a single 1-bit length for literals and distances, whose unused
// codes decode as invalid. The precode must be complete (zlib refuses it incomplete, and one
// of no lengths yields only zero lengths, which lack the end-of-block code).
//
constexpr bool buildTable(const std::uint8_t* lengths, unsigned count, CodeKind kind,
                          unsigned rootBits, std::uint32_t* table, std::size_t tableSize) {
  const std::array<unsigned, 16> perLength = countLengths(lengths, count);
  unsigned longest = 15;
  while (longest > 0 && perLength[longest] == 0)
    --longest;
  int left = 1;
  for (unsigned length = 1; length <= 15; ++length) {
    left = 2 * left - static_cast<int>(perLength[length]);
    if (left < 0) return false;  // over-subscribed
  }
  const std::size_t rootSize = std::size_t{1} << rootBits;
  if (left > 0) {
    if (kind == CodeKind::precode || longest > 1) return false;  // incomplete
    std::fill(table, table + rootSize, entry(0, kInvalid, 1));
  }

  // Symbols in canonical order (by length, then value) with their codes, which then rise
  // in value: codes sharing their first root bits follow one another.
  std::array<unsigned, 16> offset{};
  for (unsigned length = 1; length < 15; ++length)
    offset[length + 1] = offset[length] + perLength[length];
  std::array<std::uint16_t, 288> sorted;
  unsigned total = 0;
  for (unsigned s = 0; s < count; ++s) {
    if (lengths[s] != 0) {
      sorted[offset[lengths[s]]++] = static_cast<std::uint16_t>(s);
      ++total;
    }
  }
  std::array<std::uint16_t, 288> codes;
  std::array<std::uint8_t, 288> codeLengths;
  std::uint32_t code = 0;
  for (unsigned length = 1, n = 0; length <= 15; ++length, code <<= 1) {
    for (unsigned k = 0; k < perLength[length]; ++k, ++n) {
      codes[n] = static_cast<std::uint16_t>(reverseBits(code++, length));
      codeLengths[n] = static_cast<std::uint8_t>(length);
    }
  }

  // The longest code behind each root index sizes its second-level table.
  std::array<std::uint8_t, std::size_t{1} << kLiteralRootBits> subLongest;
  if (longest > rootBits) {
    std::fill(subLongest.begin(), subLongest.begin() + static_cast<std::ptrdiff_t>(rootSize), 0);
    for (unsigned n = 0; n < total; ++n) {
      if (codeLengths[n] > rootBits) {
        std::uint8_t& longestHere = subLongest[codes[n] & (rootSize - 1)];
        longestHere = std::max(longestHere, codeLengths[n]);
      }
    }
  }

  // A complete code fills the root table by doubling: the codes of one length go into a
  // table of that many bits, which is copied onto its upper half for the next length, so each
  // entry is written by a block copy rather than by strided stores (a tenth of the decode of
  // small pictures). An incomplete code, filled with invalid entries above, takes strides.
  const bool complete = left == 0;
  std::size_t filled = 1;            // entries a complete code's table stands for so far
  table[0] = entry(0, kInvalid, 1);  // replaced by the first code; copied, never read
  auto doubleUpTo = [&](std::size_t size) {
    for (; filled < size; filled *= 2)
      std::copy_n(table, filled, table + filled);
  };
  std::size_t next = rootSize;  // where the next second-level table goes
  std::size_t openRoot = rootSize;
  unsigned subBits = 0;
  for (unsigned n = 0; n < total; ++n) {
    const unsigned length = codeLengths[n];
    const std::uint32_t value = symbolEntry(kind, sorted[n], length);
    if (length <= rootBits) {
      if (complete) {
        doubleUpTo(std::size_t{1} << length);
        table[codes[n]] = value;
        continue;
      }
      for (std::size_t i = codes[n]; i < rootSize; i += std::size_t{1} << length)
        table[i] = value;
      continue;
    }
    if (complete) doubleUpTo(rootSize);
    const std::size_t root = codes[n] & (rootSize - 1);
    if (root != openRoot) {
      subBits = subLongest[root] - rootBits;
      if (next + (std::size_t{1} << subBits) > tableSize) return false;
      table[root] = entry(static_cast<std::uint32_t>(next), kLink | subBits, rootBits);
      openRoot = root;
      next += std::size_t{1} << subBits;
    }
    std::uint32_t* sub = table + valOf(table[root]);
    for (std::size_t i = std::size_t{codes[n]} >> rootBits; i < (std::size_t{1} << subBits);
         i += std::size_t{1} << (length - rootBits)) {
      sub[i] = value;
    }
  }
  if (complete) doubleUpTo(rootSize);
  return true;
}

// ---- Bits --------------------------------------------------------------------------------

class BitReader {
 public:
  explicit BitReader(ByteView in)
      : start_(in.data()), next_(in.data()), end_(in.data() + in.size()) {}

  // At least 56 bits in the buffer afterwards (at most 63). Past the input's end it adds zero bytes
  // and counts them, so a stream that needs them is found incomplete.
  void refill() {
    if (canRefillFast()) {
      refillFast();
      return;
    }
    while (count_ < 56) {
      if (next_ < end_)
        bits_ |= std::uint64_t{*next_++} << count_;
      else
        ++phantom_;
      count_ += 8;
    }
  }
  // Eight bytes of input are left to load at once.
  bool canRefillFast() const { return end_ - next_ >= 8; }
  // Enough input for two refills in a row (each takes at most 7 bytes).
  bool canRefillFastTwice() const { return end_ - next_ >= 16; }
  void refillFast() {
    std::uint64_t word;
    std::memcpy(&word, next_, 8);
    if constexpr (std::endian::native == std::endian::big) word = byteSwap(word);
    bits_ |= word << count_;
    next_ += (63 - count_) >> 3;
    count_ |= 56;
  }
  std::uint32_t peek(unsigned n) const {
    return static_cast<std::uint32_t>(bits_ & ((std::uint64_t{1} << n) - 1));
  }
  std::uint64_t window() const { return bits_; }
  void drop(unsigned n) {
    bits_ >>= n;
    count_ -= n;
  }
  // Drops the code of a table entry, whose low byte is its length in bits, below 64: the shift
  // takes the entry as it is, one step less in the decode loop's chain of dependent steps.
  void dropCode(std::uint32_t e) {
    bits_ >>= (e & 63);
    count_ -= e & 0xFF;
  }
  std::uint32_t take(unsigned n) {
    const std::uint32_t value = peek(n);
    drop(n);
    return value;
  }
  // Skips to the next byte boundary and returns the offset of that byte in the input, or
  // nothing when the bits read so far run past the input's end. The buffer is emptied.
  bool alignToByte(std::size_t& offset) {
    drop(count_ % 8);
    const std::size_t readBytes = static_cast<std::size_t>(next_ - start_) + phantom_;
    const std::size_t buffered = count_ / 8;
    if (buffered > readBytes) return false;
    offset = readBytes - buffered;
    if (offset > static_cast<std::size_t>(end_ - start_)) return false;
    next_ = start_ + offset;
    bits_ = 0;
    count_ = 0;
    phantom_ = 0;
    return true;
  }
  // True while the bits taken lie within the input.
  bool withinInput() const { return phantom_ * 8 <= count_; }
  // Gives up early on a stream that has read well past the input's end.
  bool farPastEnd() const { return phantom_ > 16; }
  const std::uint8_t* start() const { return start_; }
  std::size_t size() const { return static_cast<std::size_t>(end_ - start_); }

 private:
  static std::uint64_t byteSwap(std::uint64_t v) {
    std::uint64_t r = 0;
    for (int i = 0; i < 8; ++i, v >>= 8)
      r = r << 8 | (v & 0xFF);
    return r;
  }

  const std::uint8_t* start_;
  const std::uint8_t* next_;
  const std::uint8_t* end_;
  std::uint64_t bits_ = 0;
  unsigned count_ = 0;
  std::size_t phantom_ = 0;
};

// ---- Blocks ------------------------------------------------------------------------------

struct Tables {
  std::array<std::uint32_t, kLiteralTableSize> literals;
  std::array<std::uint32_t, kDistanceTableSize> distances;
};

constexpr Tables makeFixedTables() {
  Tables tables{};
  std::array<std::uint8_t, 288 + 32> lengths{};
  std::fill(lengths.begin(), lengths.begin() + 144, 8);
  std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
  std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
  std::fill(lengths.begin() + 280, lengths.begin() + 288, 8);
  std::fill(lengths.begin() + 288, lengths.end(), 5);
  buildTable(lengths.data(), 288, CodeKind::literals, kLiteralRootBits, tables.literals.data(),
             kLiteralTableSize);
  buildTable(lengths.data() + 288, 32, CodeKind::distances, kDistanceRootBits,
             tables.distances.data(), kDistanceTableSize);
  return tables;
}

// The fixed code's tables, made while compiling.
constexpr Tables kFixedTables = makeFixedTables();

// The entry a root entry links to, for a code longer than the root bits.
inline std::uint32_t linkedEntry(const std::uint32_t* table, unsigned rootBits, std::uint32_t e,
                                 std::uint64_t window) {
  const unsigned subBits = opOf(e) & 0x7F;
  return table[valOf(e) + ((window >> rootBits) & ((1u << subBits) - 1))];
}

inline std::uint32_t lookUp(const std::uint32_t* table, unsigned rootBits, std::uint64_t window) {
  const std::uint32_t e = table[window & ((1u << rootBits) - 1)];
  return e & kLink << 8 ? linkedEntry(table, rootBits, e, window) : e;
}

// A length or distance: the base plus the extra bits after its code, taken with the code.
inline std::size_t takeBase(BitReader& in, std::uint32_t e) {
  const unsigned extra = opOf(e) & 0xF;
  const auto more = static_cast<std::uint32_t>(in.window() >> (bitsOf(e) - extra));
  in.dropCode(e);
  return valOf(e) + (more & ((1u << extra) - 1));
}

struct Match {
  std::size_t length;
  std::size_t distance;
};

// The length and distance after the length code `e`, with `written` bytes of output behind
// them; false, the reader just past the fault, for an invalid distance code or a distance
// further back than the output reaches.
inline bool takeMatch(BitReader& in, std::uint32_t e, const std::uint32_t* distances,
                      std::ptrdiff_t written, Match& match) {
  match.length = takeBase(in, e);
  const std::uint32_t d = lookUp(distances, kDistanceRootBits, in.window());
  if (!hasBase(d)) {
    in.dropCode(d);
    return false;
  }
  match.distance = takeBase(in, d);
  return match.distance <= static_cast<std::size_t>(written);
}

bool readDynamicTables(BitReader& in, Tables& tables) {
  in.refill();
  const unsigned literalCount = in.take(5) + 257;
  const unsigned distanceCount = in.take(5) + 1;
  const unsigned precodeCount = in.take(4) + 4;
  if (literalCount > 286 || distanceCount > 30) return false;
  static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                              11, 4,  12, 3, 13, 2, 14, 1, 15};
  std::array<std::uint8_t, 19> precodeLengths{};
  for (unsigned i = 0; i < precodeCount; ++i) {
    in.refill();
    precodeLengths[kOrder[i]] = static_cast<std::uint8_t>(in.take(3));
  }
  const unsigned total = literalCount + distanceCount;
  if (std::all_of(precodeLengths.begin(), precodeLengths.end(), [](auto l) { return l == 0; })) {
    // zlib reads each length of an empty precode as a 1-bit zero, and only then finds the
    // end-of-block code missing: the stream is cut if it ends before those bits.
    for (unsigned left = total; left > 0 && !in.farPastEnd();) {
      in.refill();
      const unsigned step = std::min(left, 32u);
      in.drop(step);
      left -= step;
    }
    return false;
  }
  std::array<std::uint32_t, kPrecodeTableSize> precode;
  if (!buildTable(precodeLengths.data(), 19, CodeKind::precode, kPrecodeRootBits, precode.data(),
                  kPrecodeTableSize)) {
    return false;
  }
  std::array<std::uint8_t, 286 + 30> lengths{};
  for (unsigned have = 0; have < total;) {
    in.refill();
    if (in.farPastEnd()) return false;
    const std::uint32_t e = precode[in.peek(kPrecodeRootBits)];
    in.dropCode(e);
    const unsigned symbol = valOf(e);
    if (symbol < 16) {
      lengths[have++] = static_cast<std::uint8_t>(symbol);
      continue;
    }
    std::uint8_t repeated = 0;
    unsigned times = 0;
    if (symbol == 16) {
      times = 3 + in.take(2);  // zlib reads them before it finds nothing to repeat
      if (have == 0) return false;
      repeated = lengths[have - 1];
    } else if (symbol == 17) {
      times = 3 + in.take(3);
    } else {
      times = 11 + in.take(7);
    }
    if (have + times > total) return false;
    std::fill_n(lengths.begin() + have, times, repeated);
    have += times;
  }
  if (!in.withinInput()) return false;
  if (lengths[256] == 0) return false;  // no end-of-block code
  return buildTable(lengths.data(), literalCount, CodeKind::literals, kLiteralRootBits,
                    tables.literals.data(), kLiteralTableSize) &&
         buildTable(lengths.data() + literalCount, distanceCount, CodeKind::distances,
                    kDistanceRootBits, tables.distances.data(), kDistanceTableSize);
}

// While this much output is left, a step (up to three literals, or two and a match of at
// most 258 bytes, whose copy may write 32 bytes past its end) needs no check of the output's
// end.
constexpr std::size_t kFastRoom = 2 + 258 + 32;

// Copies a match of 2 to 7 bytes back, the pixel sizes of images, where the output has room
// for it and 8 bytes more: the first bytes one at a time, up to a whole number of periods of
// 8 bytes or more, then 8 bytes a step from that far back. Kept out of the decode loop, whose
// registers it would crowd.
[[gnu::noinline]] void copyShortPeriod(std::uint8_t* out, std::size_t distance,
                                       std::size_t length) {
  const std::uint8_t* from = out - distance;
  std::uint8_t* const stop = out + length;
  const std::size_t period = distance * ((8 + distance - 1) / distance);
  const std::size_t head = std::min(period, length);
  for (std::size_t k = 0; k < head; ++k)
    out[k] = from[k];
  for (out += head, from = out - period; out < stop; out += 8, from += 8)
    std::memcpy(out, from, 8);
}

// Copies a match of `length` bytes from `distance` back (both checked by the caller) where the
// output has room for it and 32 bytes more. The first 32 bytes are copied whatever the
// length, so that the matches of most pictures take no loop at all, whose exit the processor
// would mispredict.
inline void copyMatchFast(std::uint8_t* out, std::size_t distance, std::size_t length) {
  const std::uint8_t* from = out - distance;
  std::uint8_t* const stop = out + length;
  if (distance >= 16) {
    // Each read lies before what the same step writes.
    std::memcpy(out, from, 16);
    std::memcpy(out + 16, from + 16, 16);
    for (out += 32, from += 32; out < stop; out += 16, from += 16)
      std::memcpy(out, from, 16);
    return;
  }
  if (distance >= 8) {
    for (int k = 0; k < 32; k += 8)
      std::memcpy(out + k, from + k, 8);
    for (out += 32, from += 32; out < stop; out += 8, from += 8)
      std::memcpy(out, from, 8);
    return;
  }
  if (distance == 1) {
    const std::uint64_t run = out[-1] * std::uint64_t{0x0101010101010101};
    for (int k = 0; k < 32; k += 8)
      std::memcpy(out + k, &run, 8);
    for (out += 32; out < stop; out += 8)
      std::memcpy(out, &run, 8);
    return;
  }
  copyShortPeriod(out, distance, length);
}

// Copies a match as copyMatchFast does where `room`, how far the output may be written, allows
// it, and byte by byte near the output's end.
inline void copyMatch(std::uint8_t* out, std::size_t distance, std::size_t length,
                      std::size_t room) {
  if (room >= length + 32) {
    copyMatchFast(out, distance, length);
    return;
  }
  if (distance == 1) {
    std::memset(out, out[-1], length);
    return;
  }
  const std::uint8_t* from = out - distance;
  for (std::size_t k = 0; k < length; ++k)
    out[k] = from[k];
}

// A fault found at the reader's position: zlib sees it only when the bits it took lie within
// the input, and otherwise waits for more input.
Ending faultAt(const BitReader& in) {
  return in.withinInput() ? Ending::damaged : Ending::cut;
}
Ending overrunAt(const BitReader& in) {
  return in.withinInput() ? Ending::overran : Ending::overranPastInput;
}

// Inflates one Huffman-coded block: complete when its end-of-block code is read. `more` says
// that the output goes on past outEnd once the window slides. Kept out of inflateStream, whose
// window bookkeeping would otherwise crowd the decode loop's registers (a tenth slower).
[[gnu::noinline]] Ending inflateBlock(BitReader& reader, const Tables& tables,
                                      std::uint8_t* outStart, std::uint8_t*& output,
                                      std::uint8_t* outEnd, bool more) {
  // Local copies: the bytes stored through `out` cannot alias them, so they stay in registers.
  BitReader in = reader;
  std::uint8_t* out = output;
  auto finish = [&](Ending ending) {
    reader = in;
    output = out;
    return ending;
  };
  const std::uint32_t* literals = tables.literals.data();
  const std::uint32_t* distances = tables.distances.data();
  constexpr unsigned literalBits = kLiteralRootBits;
  for (;;) {
    // The fast loop: input for two refills and room for any step. A step starts with the
    // buffer topped up and its first symbol looked up, and ends by doing both for the next, so
    // it refills at most twice after its check: before a match that follows literals, and at
    // its end. After a match both come before the copy, whose mispredicted loop exits then no
    // longer hold them back.
    auto fast = [&] {
      return in.canRefillFastTwice() && static_cast<std::size_t>(outEnd - out) >= kFastRoom;
    };
    constexpr std::uint32_t rootMask = (1u << literalBits) - 1;
    auto lookUpNext = [&] {
      in.refillFast();
      return literals[in.window() & rootMask];
    };
    if (fast()) {
      std::uint32_t e = lookUpNext();
      while (fast()) {
        // Literals of codes within the root bits, the most common symbols, take one look and
        // one test; a link to a longer code is followed only when the entry is none of them.
        if (isLiteral(e)) {
          // Three literals fit in the 56 bits of a refill.
          in.dropCode(e);
          *out++ = static_cast<std::uint8_t>(valOf(e));
          e = literals[in.window() & rootMask];
          if (isLiteral(e)) {
            in.dropCode(e);
            *out++ = static_cast<std::uint8_t>(valOf(e));
            e = literals[in.window() & rootMask];
            if (isLiteral(e)) {
              in.dropCode(e);
              *out++ = static_cast<std::uint8_t>(valOf(e));
              e = lookUpNext();
              continue;
            }
          }
          // The symbol after the literals is looked up already; its bits stay where they are
          // while the buffer is topped up for a whole match.
          in.refillFast();
        }
        if (e & kLink << 8) {
          e = linkedEntry(literals, literalBits, e, in.window());
          if (isLiteral(e)) {
            in.dropCode(e);
            *out++ = static_cast<std::uint8_t>(valOf(e));
            e = lookUpNext();
            continue;
          }
        }
        const std::uint32_t op = opOf(e);
        if (op & kBase) {
          Match match;
          if (!takeMatch(in, e, distances, out - outStart, match)) return finish(faultAt(in));
          e = lookUpNext();
          copyMatchFast(out, match.distance, match.length);
          out += match.length;
          continue;
        }
        in.dropCode(e);
        if (op == kEndOfBlock) return finish(Ending::complete);
        return finish(faultAt(in));  // an invalid literal/length code
      }
    }

    // Near either end: one step at a time, every bound checked.
    if (more && static_cast<std::size_t>(outEnd - out) < kFastRoom) {
      return finish(Ending::needsRoom);
    }
    in.refill();
    const std::uint32_t e = lookUp(literals, literalBits, in.window());
    const std::uint32_t op = opOf(e);
    if (op == kLiteral) {
      in.dropCode(e);
      if (out == outEnd) return finish(overrunAt(in));
      *out++ = static_cast<std::uint8_t>(valOf(e));
      if (in.farPastEnd()) return finish(Ending::cut);
      continue;
    }
    if (op & kBase) {
      Match match;
      if (!takeMatch(in, e, distances, out - outStart, match)) return finish(faultAt(in));
      if (match.length > static_cast<std::size_t>(outEnd - out)) return finish(overrunAt(in));
      copyMatch(out, match.distance, match.length, static_cast<std::size_t>(outEnd - out));
      out += match.length;
      if (in.farPastEnd()) return finish(Ending::cut);
      continue;
    }
    in.dropCode(e);
    if (op == kEndOfBlock) return finish(in.withinInput() ? Ending::complete : Ending::cut);
    return finish(faultAt(in));  // an invalid literal/length code
  }
}

// ---- Adler-32 ---------------------------------------------------------------------------

constexpr std::uint32_t kAdlerModulus = 65521;

// `adler` (1 for no bytes) carried over `n` more bytes. Runs of 5,552 bytes keep both sums
// below 2^32 before they are reduced, as in zlib's loop.
std::uint32_t adler32Scalar(std::uint32_t adler, const std::uint8_t* p, std::size_t n) {
  std::uint32_t s1 = adler & 0xFFFF;
  std::uint32_t s2 = adler >> 16;
  while (n > 0) {
    const std::size_t run = std::min<std::size_t>(n, 5552);
    for (std::size_t i = 0; i < run; ++i) {
      s1 += p[i];
      s2 += s1;
    }
    s1 %= kAdlerModulus;
    s2 %= kAdlerModulus;
    p += run;
    n -= run;
  }
  return s2 << 16 | s1;
}

// One run of a vector loop: s1's growth, the sums before each 16-byte step added up,
// and the bytes weighted 16 down to 1 within their step, each added up over the run.
struct AdlerRun {
  std::uint64_t sum = 0;
  std::uint64_t before = 0;
  std::uint64_t weighted = 0;
};

#ifdef VANTRIX_X86_SIMD
// The sums (s1, s2, not yet reduced) carried over `n` bytes, a multiple of 32, in AVX2
// registers: 32 bytes a step, their sum for s1 and their weighted sum for s2 by one
// multiply-add of the bytes with the weights 32 down to 1 and one of the pairs with ones.
// Runs of 5,536 bytes keep every 32-bit lane from overflowing before the caller reduces.
__attribute__((target("avx2"))) std::uint64_t laneTotal(__m256i v) {
  alignas(32) std::uint32_t lanes[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), v);
  std::uint64_t sum = 0;
  for (std::uint32_t lane : lanes)
    sum += lane;
  return sum;
}

__attribute__((target("avx2"))) void adler32Avx2(const std::uint8_t* p, std::size_t n,
                                                 std::uint64_t& s1, std::uint64_t& s2) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i weights =
      _mm256_setr_epi8(32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14,
                       13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1);
  const __m256i ones = _mm256_set1_epi16(1);
  while (n > 0) {
    const std::size_t run = std::min<std::size_t>(n, 5536);
    __m256i sum = zero;     // s1's growth in this run
    __m256i before = zero;  // the sums before each step, added up
    __m256i weighted = zero;
    for (std::size_t i = 0; i < run; i += 32) {
      const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
      before = _mm256_add_epi32(before, sum);
      sum = _mm256_add_epi32(sum, _mm256_sad_epu8(bytes, zero));
      weighted =
          _mm256_add_epi32(weighted, _mm256_madd_epi16(_mm256_maddubs_epi16(bytes, weights), ones));
    }
    s2 += run * s1 + 32 * laneTotal(before) + laneTotal(weighted);
    s1 += laneTotal(sum);
    s1 %= kAdlerModulus;
    s2 %= kAdlerModulus;
    p += run;
    n -= run;
  }
}

// Sixteen bytes a step in SSE2 registers; `run` is a multiple of 16.
AdlerRun adlerRun(const std::uint8_t* p, std::size_t run) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i firstWeights = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
  const __m128i lastWeights = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
  __m128i sum = zero;
  __m128i before = zero;
  __m128i weighted = zero;
  for (std::size_t i = 0; i < run; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    before = _mm_add_epi32(before, sum);
    sum = _mm_add_epi32(sum, _mm_sad_epu8(bytes, zero));
    weighted =
        _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), firstWeights));
    weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), lastWeights));
  }
  auto total = [](__m128i v) {
    alignas(16) std::uint32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
    return std::uint64_t{lanes[0]} + lanes[1] + lanes[2] + lanes[3];
  };
  return {total(sum), total(before), total(weighted)};
}
#elif defined(VANTRIX_ARM_SIMD)
// Sixteen bytes a step in NEON registers: pairwise widening adds for the sum, widening
// multiplies by the weights for the weighted sum. `run` is a multiple of 16.
AdlerRun adlerRun(const std::uint8_t* p, std::size_t run) {
  static constexpr std::uint8_t kWeights[16] = {16, 15, 14, 13, 12, 11, 10, 9,
                                                8,  7,  6,  5,  4,  3,  2,  1};
  const uint8x16_t weights = vld1q_u8(kWeights);
  uint32x4_t sum = vdupq_n_u32(0);
  uint32x4_t before = vdupq_n_u32(0);
  uint32x4_t weighted = vdupq_n_u32(0);
  for (std::size_t i = 0; i < run; i += 16) {
    const uint8x16_t bytes = vld1q_u8(p + i);
    before = vaddq_u32(before, sum);
    sum = vpadalq_u16(sum, vpaddlq_u8(bytes));
    weighted = vpadalq_u16(weighted, vmull_u8(vget_low_u8(bytes), vget_low_u8(weights)));
    weighted = vpadalq_u16(weighted, vmull_high_u8(bytes, weights));
  }
  return {vaddlvq_u32(sum), vaddlvq_u32(before), vaddlvq_u32(weighted)};
}
#endif

#if defined(VANTRIX_X86_SIMD) || defined(VANTRIX_ARM_SIMD)
// Sixteen bytes a step in vector registers (on x86-64 the whole multiples of 32 in AVX2 ones
// where the processor has them): for s2 sixteen times the sum before each step plus the
// step's bytes weighted 16 down to 1. Runs of 5,552 bytes keep every lane from overflowing
// before the sums are reduced, as zlib's own loop does.
std::uint32_t adler32Vector(std::uint32_t adler, const std::uint8_t* p, std::size_t n) {
  constexpr std::size_t kRun = 5552;
  std::uint64_t s1 = adler & 0xFFFF;
  std::uint64_t s2 = adler >> 16;
#ifdef VANTRIX_X86_SIMD
  if (cpu::features().avx2 && n >= 32) {
    const std::size_t whole = n & ~std::size_t{31};
    adler32Avx2(p, whole, s1, s2);
    p += whole;
    n -= whole;
  }
#endif
  while (n >= 16) {
    const std::size_t run = std::min(n, kRun) & ~std::size_t{15};
    const AdlerRun sums = adlerRun(p, run);
    s2 += run * s1 + 16 * sums.before + sums.weighted;
    s1 += sums.sum;
    s1 %= kAdlerModulus;
    s2 %= kAdlerModulus;
    p += run;
    n -= run;
  }
  return adler32Scalar(static_cast<std::uint32_t>(s2 << 16 | s1), p, n);
}
#endif

using Adler32 = std::uint32_t (*)(std::uint32_t adler, const std::uint8_t* p, std::size_t n);

Adler32 adler32ForThisProcessor() {
#if defined(VANTRIX_X86_SIMD) || defined(VANTRIX_ARM_SIMD)
  if (cpu::features().sse2 || cpu::features().neon) return adler32Vector;
#endif
  return adler32Scalar;
}

// The farthest back a match reaches: what a sliding window keeps.
constexpr std::size_t kHistory = std::size_t{32} << 10;

InflateEnd endOf(Ending ending) {
  switch (ending) {
    case Ending::complete:
      return InflateEnd::complete;
    case Ending::overran:
      return InflateEnd::overran;
    case Ending::overranPastInput:
      return InflateEnd::overranPastInput;
    case Ending::damaged:
      return InflateEnd::damaged;
    case Ending::cut:
    case Ending::needsRoom:  // never the end of a stream
      break;
  }
  return InflateEnd::cut;
}

}  // namespace

// Each time the window nearly fills, the sink takes its new bytes and the window slides back,
// keeping the last 32 KiB. A window holds at least kMinInflateWindow bytes, so a slide always
// leaves room for a whole step.
Inflated inflateZlib(ByteView stream, std::size_t room, std::span<std::uint8_t> buffer,
                     InflateSink& sink) {
  if (buffer.size() < std::min(room, kMinInflateWindow)) return {InflateEnd::damaged, 0};
  if (stream.size() < 2) return {InflateEnd::cut, 0};
  const unsigned method = stream[0];
  const unsigned flags = stream[1];
  if ((method << 8 | flags) % 31 != 0 || (method & 0xF) != 8 || (method >> 4) > 7) {
    return {InflateEnd::damaged, 0};
  }
  // zlib asks for a preset dictionary only once it has read the dictionary's 4-byte id.
  if ((flags & 0x20) != 0) return {stream.size() < 6 ? InflateEnd::cut : InflateEnd::damaged, 0};
  BitReader in(stream.subspan(2));
  std::uint8_t* const outStart = buffer.data();
  std::uint8_t* const bufferEnd = outStart + buffer.size();
  std::uint8_t* out = outStart;
  std::uint8_t* checked = outStart;  // the checksum (and the sink) has the bytes before this
  std::size_t slid = 0;              // bytes that have left the window
  std::uint32_t adler = 1;
  const Adler32 adler32 = adler32ForThisProcessor();
  auto produced = [&] { return slid + static_cast<std::size_t>(out - outStart); };
  // How far the next step may write, and whether the output goes on past that.
  std::uint8_t* outEnd = out;
  bool more = false;
  auto bound = [&] {
    const std::size_t left = room - produced();
    const auto space = static_cast<std::size_t>(bufferEnd - out);
    more = left > space;
    outEnd = out + (more ? space : left);
  };
  auto checkNewBytes = [&] {
    const auto count = static_cast<std::size_t>(out - checked);
    adler = adler32(adler, checked, count);
    if (count > 0) sink.take(checked, count);
    checked = out;
  };
  auto slide = [&] {
    checkNewBytes();
    const std::size_t keep = std::min(kHistory, static_cast<std::size_t>(out - outStart));
    std::memmove(outStart, out - keep, keep);
    slid += static_cast<std::size_t>(out - outStart) - keep;
    out = outStart + keep;
    checked = out;
    bound();
  };
  auto stop = [&](Ending ending) { return Inflated{endOf(ending), produced()}; };
  Tables tables;
  bool last = false;
  while (!last) {
    in.refill();
    last = in.take(1) == 1;
    const unsigned type = in.take(2);
    if (!in.withinInput()) return stop(Ending::cut);
    if (type == 0) {
      std::size_t offset = 0;
      if (!in.alignToByte(offset) || in.size() - offset < 4) return stop(Ending::cut);
      const std::uint8_t* p = in.start() + offset;
      const std::size_t length = readLe16(p);
      if (length != (~readLe16(p + 2) & 0xFFFFu)) return stop(Ending::damaged);
      // zlib copies what input there is: it overruns only with more than the room at hand.
      const std::size_t available = in.size() - offset - 4;
      const std::size_t left = room - produced();
      if (length > left) return stop(available > left ? Ending::overran : Ending::overranPastInput);
      if (available < length) return stop(Ending::cut);
      for (std::size_t copied = 0;;) {
        bound();
        const std::size_t step = std::min(length - copied, static_cast<std::size_t>(outEnd - out));
        std::memcpy(out, p + 4 + copied, step);
        out += step;
        copied += step;
        if (copied == length) break;
        slide();
      }
      // The next block starts at the byte after the stored ones.
      in = BitReader(ByteView(in.start(), in.size()).subspan(offset + 4 + length));
      continue;
    }
    if (type == 3) return stop(Ending::damaged);
    if (type == 2 && !readDynamicTables(in, tables)) return stop(faultAt(in));
    const Tables& code = type == 1 ? kFixedTables : tables;
    Ending ending = Ending::needsRoom;
    for (bound(); ending == Ending::needsRoom;) {
      ending = inflateBlock(in, code, outStart, out, outEnd, more);
      if (ending == Ending::needsRoom) slide();
    }
    if (ending != Ending::complete) return stop(ending);
  }
  std::size_t offset = 0;
  if (!in.alignToByte(offset) || in.size() - offset < 4) return stop(Ending::cut);
  const std::uint32_t stored = readBe32(in.start() + offset);
  const auto count = static_cast<std::size_t>(out - checked);
  if (adler32(adler, checked, count) != stored) return stop(Ending::damaged);
  if (count > 0) sink.takeLast(checked, count);
  return stop(Ending::complete);
}

std::string_view toString(InflateEnd end) {
  switch (end) {
    case InflateEnd::complete:
      return "inflated";
    case InflateEnd::overran:
    case InflateEnd::overranPastInput:
      return "the stream inflates to more than there is room for";
    case InflateEnd::damaged:
      return "damaged zlib stream";
    case InflateEnd::cut:
      return "zlib stream cut short";
  }
  return "unknown inflate end";
}

}  // namespace vantrix
