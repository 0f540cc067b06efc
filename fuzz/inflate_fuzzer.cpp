// The PNG and XYZ decoders' own inflater and CRC-32 against zlib's on any bytes. The inflater
// must take exactly the streams zlib's uncompress takes, with the same bytes, and refuse the
// rest; inflating into a room, it must end as zlib's inflate does.
//
//   mode:1 size:2   the expected size: (mode >> 1) × 65,536 + size, under 1 MiB; with mode's
//                   low bit set, the size zlib inflates the stream to instead
//   the rest        the stream

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "codecs/crc32.hpp"
#include "codecs/inflate.hpp"
#include "fuzz_target.hpp"

namespace {

constexpr std::size_t kLargestOutput = std::size_t{1} << 20;

struct ZlibResult {
  int status;
  std::size_t length;
};

// zlib's uncompress into `room` bytes.
ZlibResult zlibInflate(vantrix::ByteView stream, std::uint8_t* out, std::size_t room) {
  uLongf length = static_cast<uLongf>(room);
  uLong consumed = static_cast<uLong>(stream.size());
  const int status = uncompress2(out, &length, stream.data(), &consumed);
  return {status, length};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrix;
  FUZZ_CHECK(crc32Of(0, data, size) == crc32(0, data, static_cast<uInt>(size)));
  const std::size_t half = size / 2;
  FUZZ_CHECK(crc32Of(crc32Of(0, data, half), data + half, size - half) ==
             crc32(0, data, static_cast<uInt>(size)));
  if (size < 3) return 0;

  const ByteView stream(data + 3, size - 3);
  std::size_t expected =
      (std::size_t{data[0]} >> 1) * 65536 + (std::size_t{data[1]} | std::size_t{data[2]} << 8);
  expected %= kLargestOutput;
  // zlib's output needs no exact allocation: one buffer serves every run.
  static const std::unique_ptr<std::uint8_t[]> reference(new std::uint8_t[kLargestOutput + 1]);
  if (data[0] & 1) {
    const ZlibResult whole = zlibInflate(stream, reference.get(), kLargestOutput);
    if (whole.status == Z_OK) expected = whole.length;
  }

  // One byte more than expected tells zlib's stream that runs past the end.
  const ZlibResult theirs = zlibInflate(stream, reference.get(), expected + 1);
  const bool zlibTakes = theirs.status == Z_OK && theirs.length == expected;

  // Inflated whole into a window of exactly the expected size, so that a write past it is a
  // write past the allocation, and through the smallest window, which slides for any longer
  // output: the same ending, and the same bytes handed on in order.
  struct Collect final : InflateSink {
    std::vector<std::uint8_t> bytes;
    void take(const std::uint8_t* from, std::size_t count) override {
      bytes.insert(bytes.end(), from, from + count);
    }
  } whole, slid;
  const std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[expected]);
  const Inflated ours = inflateZlib(stream, expected, {out.get(), expected}, whole);
  const std::unique_ptr<std::uint8_t[]> window(new std::uint8_t[kMinInflateWindow]);
  const Inflated through =
      inflateZlib(stream, expected, {window.get(), std::min(expected, kMinInflateWindow)}, slid);
  FUZZ_CHECK(through.end == ours.end);

  // Taken as the PNG decoder takes it: exactly the expected bytes, as uncompress does.
  const bool oursTakes = ours.end == InflateEnd::complete && ours.produced == expected;
  FUZZ_CHECK(oursTakes == zlibTakes);
  if (zlibTakes) {
    FUZZ_CHECK(whole.bytes.size() == expected && slid.bytes == whole.bytes);
    FUZZ_CHECK(std::equal(whole.bytes.begin(), whole.bytes.end(), reference.get()));
  }

  // The stream must end as zlib's inflate ends it, handed the whole stream and one byte more,
  // for the same reason (the XYZ reader tells them apart); an overrun decided past the input
  // is, to inflate, input cut short.
  z_stream z{};
  FUZZ_CHECK(inflateInit(&z) == Z_OK);
  z.next_in = const_cast<Bytef*>(stream.data());
  z.avail_in = static_cast<uInt>(stream.size());
  z.next_out = reference.get();
  z.avail_out = static_cast<uInt>(expected + 1);
  int status = Z_OK;
  while (status == Z_OK && z.avail_out > 0)
    status = inflate(&z, Z_NO_FLUSH);
  const std::size_t written = z.total_out;
  inflateEnd(&z);
  const InflateEnd theirEnd = written > expected       ? InflateEnd::overran
                              : status == Z_STREAM_END ? InflateEnd::complete
                              : status == Z_BUF_ERROR  ? InflateEnd::cut
                                                       : InflateEnd::damaged;
  FUZZ_CHECK((ours.end == InflateEnd::overranPastInput ? InflateEnd::cut : ours.end) == theirEnd);
  if (theirEnd == InflateEnd::complete) {
    FUZZ_CHECK(ours.produced == written && whole.bytes.size() == written);
    FUZZ_CHECK(std::equal(whole.bytes.begin(), whole.bytes.end(), reference.get()));
  }
  return 0;
}
