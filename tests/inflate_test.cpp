// The inflater against zlib: for every stream here, valid, cut short, too long, with a preset
// dictionary, a bad checksum, trailing bytes, hand-made corner cases of the deflate format and
// thousands of damaged copies, it must take or refuse it as uncompress does, end as inflate
// does (for the same reason), and when they take it give the same bytes.

#include "codecs/inflate.hpp"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrix {
namespace {

// Whether a stream gives exactly the expected bytes, as the PNG decoder decides.
enum class Decision { ok, wrongSize, failed };

// zlib's decision: uncompress into a buffer one byte longer than expected.
Decision zlibDecision(const Bytes& stream, std::size_t expected, Bytes& out) {
  out.assign(expected + 1, 0);
  uLongf got = static_cast<uLongf>(out.size());
  const int status = uncompress(out.data(), &got, stream.data(), static_cast<uLong>(stream.size()));
  if (status == Z_BUF_ERROR) return Decision::wrongSize;
  if (status != Z_OK) return Decision::failed;
  if (got != expected) return Decision::wrongSize;
  out.resize(expected);
  return Decision::ok;
}

// zlib's inflate handed the whole stream and room + 1 bytes: how it ended, and what it wrote.
InflateEnd zlibEnding(const Bytes& stream, std::size_t room, Bytes& out) {
  out.assign(room + 1, 0);
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return InflateEnd::damaged;
  z.next_in = const_cast<Bytef*>(stream.data());
  z.avail_in = static_cast<uInt>(stream.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  int status = Z_OK;
  while (status == Z_OK && z.avail_out > 0)
    status = inflate(&z, Z_NO_FLUSH);
  out.resize(z.total_out);
  inflateEnd(&z);
  if (out.size() > room) return InflateEnd::overran;
  if (status == Z_STREAM_END) return InflateEnd::complete;
  return status == Z_BUF_ERROR ? InflateEnd::cut : InflateEnd::damaged;
}

struct Collect final : InflateSink {
  Bytes bytes;
  void take(const std::uint8_t* p, std::size_t n) override { bytes.insert(bytes.end(), p, p + n); }
};

// The inflater given `room` bytes through a window of `window` bytes (all the room by default).
Inflated inflated(const Bytes& stream, std::size_t room, Bytes& out, std::size_t window = 0) {
  Collect sink;
  Bytes buffer(window ? window : room, 0xA5);
  const Inflated result = inflateZlib(stream, room, buffer, sink);
  out = std::move(sink.bytes);
  return result;
}

// What an ending means to a caller expecting exactly `expected` bytes, as the PNG decoder
// reads it; and what it is in the terms of zlib's inflate, for which an overrun decided past
// the input is input cut short.
Decision decisionOf(const Inflated& result, std::size_t expected) {
  switch (result.end) {
    case InflateEnd::complete:
      return result.produced == expected ? Decision::ok : Decision::wrongSize;
    case InflateEnd::overran:
    case InflateEnd::overranPastInput:
      return Decision::wrongSize;
    default:
      return Decision::failed;
  }
}
InflateEnd asInflateSees(InflateEnd end) {
  return end == InflateEnd::overranPastInput ? InflateEnd::cut : end;
}

// Checks that both take or refuse the stream alike and, when taken, give the same bytes, and
// that they end as zlib's inflate does, for the same reason and with the same bytes; also
// through the smallest window, which slides for any output longer than it. Returns the
// inflater's decision.
Decision expectSameDecision(const Bytes& stream, std::size_t expected, const std::string& what) {
  Bytes streamed;
  const InflateEnd wantEnd = zlibEnding(stream, expected, streamed);
  Bytes out;
  const Inflated got = inflated(stream, expected, out);
  EXPECT_EQ(asInflateSees(got.end), wantEnd) << what << ": zlib's inflate and the inflater";
  if (got.end == InflateEnd::complete && wantEnd == InflateEnd::complete) {
    EXPECT_EQ(out, streamed) << what;
  }

  Bytes reference;
  const Decision want = zlibDecision(stream, expected, reference);
  const Decision decision = decisionOf(got, expected);
  EXPECT_EQ(decision == Decision::ok, want == Decision::ok)
      << what << ": zlib " << static_cast<int>(want) << ", inflater " << static_cast<int>(decision);
  if (decision == Decision::ok && want == Decision::ok) {
    EXPECT_EQ(out, reference) << what;
  }

  Bytes slid;
  const Inflated through = inflated(stream, expected, slid, std::min(expected, kMinInflateWindow));
  EXPECT_EQ(decisionOf(through, expected), decision) << what << ": through a window";
  if (decision == Decision::ok) {
    EXPECT_EQ(slid, reference) << what << ": through a window";
  }
  return decision;
}

Bytes zlibCompress(const Bytes& data, int level) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  Bytes packed(size);
  EXPECT_EQ(compress2(packed.data(), &size, data.data(), static_cast<uLong>(data.size()), level),
            Z_OK);
  packed.resize(size);
  return packed;
}

// Payloads of the kinds a PNG holds, and a few others.
std::vector<std::pair<std::string, Bytes>> payloads() {
  std::vector<std::pair<std::string, Bytes>> all;
  Bytes rows;
  for (int y = 0; y < 64; ++y) {
    rows.push_back(static_cast<std::uint8_t>(y % 5));  // a filter type byte
    for (int x = 0; x < 3 * 64; ++x)
      rows.push_back(static_cast<std::uint8_t>((x * 7 + y * 3) ^ (x / 9)));
  }
  all.emplace_back("rows", rows);
  all.emplace_back("one byte", Bytes{42});
  all.emplace_back("zeros", Bytes(100000, 0));
  Bytes noise(20000);
  std::uint32_t state = 12345;
  for (auto& b : noise) {
    state = state * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(state >> 24);
  }
  all.emplace_back("noise", noise);
  Bytes text;
  const std::string line = "the quick brown fox jumps over the lazy dog, again and again; ";
  for (int i = 0; i < 300; ++i)
    text.insert(text.end(), line.begin(), line.begin() + (i % static_cast<int>(line.size())));
  all.emplace_back("text", text);
  all.emplace_back("longer than a stored block", Bytes(70000, 7));
  // Runs repeating every 2 to 17 bytes, each long enough for matches of 258: the copies of
  // every short distance, up to and past the 32 bytes copied before any loop.
  Bytes periods;
  for (int period = 2; period <= 17; ++period) {
    for (int i = 0; i < 40 * period + 600; ++i)
      periods.push_back(static_cast<std::uint8_t>(period * 16 + i % period));
  }
  all.emplace_back("short periods", periods);
  return all;
}

TEST(Inflate, ValidStreamsAtEveryLevel) {
  for (const auto& [name, data] : payloads()) {
    for (int level : {0, 1, 6, 9}) {
      const Bytes stream = zlibCompress(data, level);
      const std::string what = name + " level " + std::to_string(level);
      EXPECT_EQ(expectSameDecision(stream, data.size(), what), Decision::ok) << what;
      // A window too small to slide is refused for output that does not fit in it.
      Bytes out;
      EXPECT_EQ(decisionOf(inflated(stream, data.size(), out, kMinInflateWindow - 1), data.size()),
                data.size() > kMinInflateWindow - 1 ? Decision::failed : Decision::ok)
          << what;
    }
  }
}

// A good stream told another size, or followed by bytes, or with a checksum byte flipped.
struct Change {
  const char* name;
  void (*apply)(Bytes& stream, std::size_t& expected);
  Decision decision;
  std::size_t smallest = 0;  // payloads smaller are left out
};

TEST(Inflate, ChangedSizesAndStreams) {
  const Change changes[] = {
      {"expected + 1", [](Bytes&, std::size_t& n) { ++n; }, Decision::wrongSize},
      {"expected - 1", [](Bytes&, std::size_t& n) { --n; }, Decision::wrongSize},
      {"expected half", [](Bytes&, std::size_t& n) { n /= 2; }, Decision::wrongSize, 11},
      // Bytes after the stream's end are not looked at.
      {"1 byte after", [](Bytes& s, std::size_t&) { s.push_back(0); }, Decision::ok},
      {"101 bytes after", [](Bytes& s, std::size_t&) { s.insert(s.end(), 101, 0xFF); },
       Decision::ok},
      {"checksum byte 1", [](Bytes& s, std::size_t&) { s[s.size() - 4] ^= 1; }, Decision::failed},
      {"checksum byte 2", [](Bytes& s, std::size_t&) { s[s.size() - 3] ^= 1; }, Decision::failed},
      {"checksum byte 3", [](Bytes& s, std::size_t&) { s[s.size() - 2] ^= 1; }, Decision::failed},
      {"checksum byte 4", [](Bytes& s, std::size_t&) { s[s.size() - 1] ^= 1; }, Decision::failed},
  };
  for (const auto& [name, data] : payloads()) {
    for (const Change& change : changes) {
      if (data.size() < change.smallest) continue;
      Bytes stream = zlibCompress(data, 6);
      std::size_t expected = data.size();
      change.apply(stream, expected);
      const std::string what = name + ", " + change.name;
      EXPECT_EQ(expectSameDecision(stream, expected, what), change.decision) << what;
    }
  }
  // A damaged stream one byte longer than expected is refused, whichever fault is seen first.
  Bytes bad = zlibCompress({'a', 'b'}, 9);
  bad.back() ^= 0x01;
  EXPECT_NE(expectSameDecision(bad, 1, "one byte too long, wrong checksum"), Decision::ok);
}

TEST(Inflate, EveryCutShortStreamIsRefused) {
  for (const auto& [name, data] : payloads()) {
    if (data.size() > 20000) continue;  // the others have the same block kinds, and are slow
    for (int level : {0, 6}) {
      const Bytes stream = zlibCompress(data, level);
      for (std::size_t cut = 0; cut < stream.size(); ++cut) {
        const Bytes head(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_NE(expectSameDecision(head, data.size(), name + " cut at " + std::to_string(cut)),
                  Decision::ok);
        // In less room, a stored block may hold more than the room but less than the input.
        expectSameDecision(head, data.size() / 2,
                           name + " cut at " + std::to_string(cut) + ", half");
      }
    }
  }
}

TEST(Inflate, PresetDictionaryIsRefused) {
  const Bytes data = payloads().front().second;
  z_stream z{};
  ASSERT_EQ(deflateInit(&z, 6), Z_OK);
  const Bytes dictionary(100, 3);
  ASSERT_EQ(deflateSetDictionary(&z, dictionary.data(), static_cast<uInt>(dictionary.size())),
            Z_OK);
  Bytes stream(deflateBound(&z, static_cast<uLong>(data.size())));
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = stream.data();
  z.avail_out = static_cast<uInt>(stream.size());
  ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  stream.resize(z.total_out);
  deflateEnd(&z);
  ASSERT_TRUE(stream[1] & 0x20);
  EXPECT_EQ(expectSameDecision(stream, data.size(), "preset dictionary"), Decision::failed);
  // zlib asks for the dictionary only once its 4-byte id is there.
  for (std::size_t cut = 2; cut < 8; ++cut) {
    expectSameDecision(Bytes(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut)),
                       data.size(), "preset dictionary cut at " + std::to_string(cut));
  }
}

TEST(Inflate, EveryHeaderIsJudgedAsZlibJudgesIt) {
  // A stored block of "abc" behind each of the 65,536 two-byte headers.
  const Bytes body = {0x01, 0x03, 0x00, 0xFC, 0xFF, 'a', 'b', 'c'};
  const uLong adler = adler32(1, body.data() + 5, 3);
  int taken = 0;
  for (unsigned header = 0; header < 0x10000; ++header) {
    // Built by appending alone: GCC 12 sees a false overflow in insert after a braced list.
    Bytes stream;
    stream.reserve(2 + body.size() + 4);
    stream.push_back(static_cast<std::uint8_t>(header >> 8));
    stream.push_back(static_cast<std::uint8_t>(header));
    stream.insert(stream.end(), body.begin(), body.end());
    for (int shift = 24; shift >= 0; shift -= 8)
      stream.push_back(static_cast<std::uint8_t>(adler >> shift));
    if (expectSameDecision(stream, 3, "header " + std::to_string(header)) == Decision::ok) {
      ++taken;
    }
  }
  // Method 8, windows of 256 bytes to 32 KiB, no dictionary, any level: 8 × 4 headers.
  EXPECT_EQ(taken, 32);
}

// ---- Hand-made streams -------------------------------------------------------------------

class BitWriter {
 public:
  void bits(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
      if (used_ == 0) bytes_.push_back(0);
      bytes_.back() = static_cast<std::uint8_t>(bytes_.back() | ((value >> i) & 1) << used_);
      used_ = (used_ + 1) % 8;
    }
  }
  // Huffman codes go most significant bit first.
  void code(std::uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i)
      bits(code >> i, 1);
  }
  void alignToByte() { used_ = 0; }
  // The zlib stream of these deflate bytes, with the checksum of `content`.
  Bytes zlib(const Bytes& content) const {
    Bytes stream;
    stream.reserve(2 + bytes_.size() + 4);
    stream.push_back(0x78);
    stream.push_back(0x01);
    stream.insert(stream.end(), bytes_.begin(), bytes_.end());
    const uLong adler = adler32(1, content.data(), static_cast<uInt>(content.size()));
    for (int shift = 24; shift >= 0; shift -= 8)
      stream.push_back(static_cast<std::uint8_t>(adler >> shift));
    return stream;
  }

 private:
  Bytes bytes_;
  int used_ = 0;
};

// The canonical codes of a set of code lengths.
std::vector<std::uint32_t> canonicalCodes(const std::vector<int>& lengths) {
  std::vector<std::uint32_t> codes(lengths.size());
  std::uint32_t code = 0;
  for (int length = 1; length <= 15; ++length, code <<= 1) {
    for (std::size_t s = 0; s < lengths.size(); ++s) {
      if (lengths[s] == length) codes[s] = code++;
    }
  }
  return codes;
}

void fixedLiteral(BitWriter& w, int value) {
  const auto symbol = static_cast<std::uint32_t>(value);
  if (symbol < 144)
    w.code(0x30 + symbol, 8);
  else if (symbol < 256)
    w.code(0x190 + symbol - 144, 9);
  else if (symbol < 280)
    w.code(symbol - 256, 7);
  else
    w.code(0xC0 + symbol - 280, 8);
}

// A dynamic block header; `precode` gives the precode's 19 lengths, and `sequence` the
// precode symbols (with their extra bits) that spell the code lengths.
struct Precoded {
  int symbol;
  int extra = 0;
};
void dynamicHeader(BitWriter& w, bool last, int literalCount, int distanceCount,
                   const std::vector<int>& precode, const std::vector<Precoded>& sequence) {
  static constexpr int kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                     11, 4,  12, 3, 13, 2, 14, 1, 15};
  w.bits(last ? 1 : 0, 1);
  w.bits(2, 2);
  w.bits(static_cast<std::uint32_t>(literalCount - 257), 5);
  w.bits(static_cast<std::uint32_t>(distanceCount - 1), 5);
  w.bits(15, 4);  // all 19 precode lengths
  for (int i = 0; i < 19; ++i)
    w.bits(static_cast<std::uint32_t>(precode[static_cast<std::size_t>(kOrder[i])]), 3);
  const auto codes = canonicalCodes(precode);
  for (const Precoded& p : sequence) {
    const auto s = static_cast<std::size_t>(p.symbol);
    w.code(codes[s], precode[s]);
    if (p.symbol == 16) w.bits(static_cast<std::uint32_t>(p.extra), 2);
    if (p.symbol == 17) w.bits(static_cast<std::uint32_t>(p.extra), 3);
    if (p.symbol == 18) w.bits(static_cast<std::uint32_t>(p.extra), 7);
  }
}

// A complete precode over all 19 symbols: 0 to 12 four bits, 13 to 18 five bits.
std::vector<int> fullPrecode() {
  std::vector<int> lengths(19, 4);
  for (int s = 13; s < 19; ++s)
    lengths[static_cast<std::size_t>(s)] = 5;
  return lengths;
}

// Code lengths spelled one by one (symbols 0 to 15 of the precode).
std::vector<Precoded> spelled(const std::vector<int>& lengths) {
  std::vector<Precoded> sequence;
  for (int length : lengths)
    sequence.push_back({length});
  return sequence;
}

// Lengths of a literal/length code giving 'a' 1 bit, end-of-block and length 3 (257) 2 bits.
std::vector<int> smallLiterals(int count = 258) {
  std::vector<int> lengths(static_cast<std::size_t>(count), 0);
  lengths['a'] = 1;
  lengths[256] = 2;
  lengths[257] = 2;
  return lengths;
}

std::vector<int> joined(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct HandMade {
  std::string name;
  Bytes stream;
  std::size_t expected;
  bool taken;  // what zlib does, written out so the cases keep their meaning
};

std::vector<HandMade> handMadeStreams() {
  std::vector<HandMade> cases;
  const Bytes a4 = {'a', 'a', 'a', 'a'};
  const Bytes a1 = {'a'};

  // Fixed code: "a", a match of 3 with distance code d (0 extra bits read as 0), end.
  for (int symbol : {285, 286, 287}) {
    BitWriter w;
    w.bits(1, 1);
    w.bits(1, 2);
    fixedLiteral(w, 'a');
    fixedLiteral(w, symbol);
    w.code(0, 5);
    fixedLiteral(w, 256);
    cases.push_back({"fixed length symbol " + std::to_string(symbol), w.zlib(Bytes(259, 'a')), 259,
                     symbol == 285});
  }
  for (int distance : {29, 30, 31}) {
    // 65,535 stored bytes first, so every distance the codes can name lies in the output.
    BitWriter w;
    w.bits(0, 1);
    w.bits(0, 2);
    w.alignToByte();
    w.bits(0xFFFF, 16);
    w.bits(0, 16);
    Bytes content(65535, 'x');
    for (int i = 0; i < 65535; ++i)
      w.bits('x', 8);
    w.bits(1, 1);
    w.bits(1, 2);
    fixedLiteral(w, 257);
    w.code(static_cast<std::uint32_t>(distance), 5);
    w.bits(0, 13);
    fixedLiteral(w, 256);
    content.insert(content.end(), 3, 'x');
    cases.push_back({"fixed distance symbol " + std::to_string(distance), w.zlib(content),
                     content.size(), distance == 29});
  }

  // Dynamic blocks: literal/length lengths, distance lengths, then the data.
  struct Dynamic {
    std::string name;
    std::vector<int> literals;
    std::vector<int> distances;
    std::vector<std::pair<std::uint32_t, int>> data;  // codes and their lengths
    Bytes content;
    bool taken;
  };
  const std::pair<std::uint32_t, int> litA = {0, 1}, end = {2, 2}, len3 = {3, 2};
  const std::vector<Dynamic> dynamics = {
      {"one distance code, its code used",
       smallLiterals(),
       {1},
       {litA, len3, {0, 1}, end},
       a4,
       true},
      {"one distance code, the unused code met",
       smallLiterals(),
       {1},
       {litA, len3, {1, 1}, end},
       a4,
       false},
      {"no distance codes, literals only", smallLiterals(), {0}, {litA, end}, a1, true},
      {"no distance codes, a match met",
       smallLiterals(),
       {0},
       {litA, len3, {0, 1}, end},
       a4,
       false},
      {"two distance codes", smallLiterals(), {1, 1}, {litA, len3, {0, 1}, end}, a4, true},
      {"incomplete distance code", smallLiterals(), {1, 2}, {litA, len3, {0, 1}, end}, a4, false},
      {"over-subscribed distance code",
       smallLiterals(),
       {1, 1, 1},
       {litA, len3, {0, 1}, end},
       a4,
       false},
      {"distance one too far back", smallLiterals(), {0, 1}, {litA, len3, {0, 1}, end}, a4, false},
      {"31 distance lengths", smallLiterals(), std::vector<int>(31, 5), {litA, end}, a1, false},
      {"287 literal/length lengths", smallLiterals(287), {1}, {litA, end}, a1, false},
      {"incomplete literal/length code",
       [] {
         auto l = smallLiterals();
         l[257] = 3;
         return l;
       }(),
       {1},
       {litA, end},
       a1,
       false},
      {"no end-of-block code",
       [] {
         auto l = smallLiterals();
         l[256] = 0;
         l['b'] = 2;
         return l;
       }(),
       {1},
       {litA, end},
       a1,
       false},
  };
  for (const Dynamic& d : dynamics) {
    BitWriter w;
    dynamicHeader(w, true, static_cast<int>(d.literals.size()),
                  static_cast<int>(d.distances.size()), fullPrecode(),
                  spelled(joined(d.literals, d.distances)));
    for (const auto& [code, length] : d.data)
      w.code(code, length);
    cases.push_back({d.name, w.zlib(d.content), d.content.size(), d.taken});
  }
  {
    // Only an end-of-block code, of one bit: taken with its code, refused with the other.
    for (std::uint32_t bit : {0u, 1u}) {
      std::vector<int> literals(257, 0);
      literals[256] = 1;
      BitWriter w;
      dynamicHeader(w, true, 257, 1, fullPrecode(), spelled(joined(literals, {0})));
      w.code(bit, 1);
      cases.push_back(
          {"end-of-block code alone, bit " + std::to_string(bit), w.zlib({}), 0, bit == 0});
    }
  }
  {
    // The lengths of smallLiterals() and one distance length with the zero runs as repeat
    // codes: 97 zeros, 'a', 138 + 20 zeros, then 256 and 257.
    const std::vector<Precoded> head = {{18, 97 - 11}, {1}, {18, 138 - 11}, {18, 20 - 11}, {2}};
    std::vector<Precoded> sequence = head;
    sequence.push_back({2});  // 257
    sequence.push_back({1});  // the distance code
    BitWriter w;
    dynamicHeader(w, true, 258, 1, fullPrecode(), sequence);
    w.code(0, 1);  // 'a'
    w.code(3, 2);  // length 3
    w.code(0, 1);  // distance 1
    w.code(2, 2);  // end
    cases.push_back({"zero runs as repeat codes", w.zlib(a4), 4, true});

    sequence = head;
    sequence.push_back({16, 0});  // 2 for 257, the distance code and one beyond
    BitWriter tooMany;
    dynamicHeader(tooMany, true, 258, 1, fullPrecode(), sequence);
    cases.push_back({"repeat past the last length", tooMany.zlib(a1), 1, false});

    sequence = head;
    sequence.push_back({17, 0});  // three zeros where two lengths are left
    BitWriter zerosTooMany;
    dynamicHeader(zerosTooMany, true, 258, 1, fullPrecode(), sequence);
    cases.push_back({"zero run past the last length", zerosTooMany.zlib(a1), 1, false});

    BitWriter repeatFirst;
    dynamicHeader(repeatFirst, true, 257, 1, fullPrecode(), {{16, 0}});
    cases.push_back({"repeat with nothing before it", repeatFirst.zlib(a1), 1, false});
  }
  {
    std::vector<int> precode = fullPrecode();
    precode[18] = 0;  // 1/32 of the code space left free
    BitWriter w;
    dynamicHeader(w, true, 258, 1, precode, spelled(joined(smallLiterals(), {1})));
    w.code(0, 1);
    w.code(2, 2);
    cases.push_back({"incomplete precode", w.zlib(a1), 1, false});
    precode = fullPrecode();
    precode[18] = 4;
    BitWriter over;
    dynamicHeader(over, true, 258, 1, precode, spelled(joined(smallLiterals(), {1})));
    cases.push_back({"over-subscribed precode", over.zlib(a1), 1, false});
  }
  {
    BitWriter stored;
    stored.bits(1, 1);
    stored.bits(0, 2);
    stored.alignToByte();
    stored.bits(1, 16);
    stored.bits(0xFFFF, 16);  // should be 0xFFFE
    stored.bits('a', 8);
    cases.push_back({"stored lengths that disagree", stored.zlib(a1), 1, false});
    BitWriter reserved;
    reserved.bits(1, 1);
    reserved.bits(3, 2);
    cases.push_back({"block type 3", reserved.zlib(a1), 1, false});
    BitWriter unfinished;
    unfinished.bits(0, 1);
    unfinished.bits(1, 2);
    fixedLiteral(unfinished, 'a');
    fixedLiteral(unfinished, 256);
    cases.push_back({"no last block", unfinished.zlib(a1), 1, false});
  }
  return cases;
}

TEST(Inflate, HandMadeCornersAreJudgedAsZlibJudgesThem) {
  for (const HandMade& c : handMadeStreams()) {
    const Decision got = expectSameDecision(c.stream, c.expected, c.name);
    EXPECT_EQ(got == Decision::ok, c.taken) << c.name;
  }
}

// ---- Damaged copies ----------------------------------------------------------------------

TEST(Inflate, EveryBitFlipIsJudgedAsZlibJudgesIt) {
  Bytes small;
  for (int i = 0; i < 400; ++i)
    small.push_back(static_cast<std::uint8_t>((i * i) % 23 + (i / 50) * 9));
  for (int level : {1, 9}) {
    const Bytes stream = zlibCompress(small, level);
    for (std::size_t bit = 0; bit < stream.size() * 8; ++bit) {
      Bytes flipped = stream;
      flipped[bit / 8] = static_cast<std::uint8_t>(flipped[bit / 8] ^ (1u << (bit % 8)));
      expectSameDecision(flipped, small.size(),
                         "level " + std::to_string(level) + " bit " + std::to_string(bit));
    }
  }
}

TEST(Inflate, RandomDamageIsJudgedAsZlibJudgesIt) {
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  auto random = [&] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  const auto all = payloads();
  const Bytes& rows = all.front().second;
  const Bytes& text = all[4].second;
  int taken = 0;
  for (int round = 0; round < 3000; ++round) {
    const Bytes& data = round % 2 ? rows : text;
    Bytes stream = zlibCompress(data, round % 3 == 0 ? 1 : 6);
    const int damage = 1 + static_cast<int>(random() % 4);
    for (int d = 0; d < damage; ++d) {
      const auto at = static_cast<std::size_t>(2 + random() % (stream.size() - 2));
      stream[at] = static_cast<std::uint8_t>(random());
    }
    std::size_t expected = data.size();
    if (round % 7 == 0) expected = static_cast<std::size_t>(random() % (data.size() + 10));
    if (expectSameDecision(stream, expected, "round " + std::to_string(round)) == Decision::ok) {
      ++taken;
    }
  }
  EXPECT_GE(taken, 0);
}

}  // namespace
}  // namespace vantrix
