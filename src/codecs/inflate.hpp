#pragma once

// A one-call zlib inflater into a buffer of known size, for the PNG decoder's image data and
// XYZ pictures. It takes and refuses exactly the streams that zlib takes and refuses, and is
// faster: the whole stream and the whole output are in memory, so the bit reader loads eight
// bytes at a time and matches copy eight bytes at a time. It needs no zlib at all.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "common/bytes.hpp"

namespace vantrix {

enum class InflateResult {
  ok,         // a whole, valid stream that inflates to exactly the expected size
  wrongSize,  // a valid stream that inflates to fewer bytes, or one that runs past the end
  failed,     // a damaged or incomplete stream: bad header, preset dictionary, invalid code,
              // distance too far back, input that ends too soon, wrong Adler-32
};

std::string_view toString(InflateResult result);

// Inflates the zlib stream (header, deflate data, Adler-32) at the start of `stream` into
// out[0, expected). Bytes after the stream's end are ignored, as uncompress ignores them.
// zlib's rules hold throughout: a window of up to 32 KiB announced in the header, no preset
// dictionary, no length or distance codes beyond the 286 and 30 of the format, code lengths
// that make complete codes (a code of a single 1-bit length, or a distance code of none, is
// allowed, and its unused codes are errors when met). On any result but ok the bytes of `out`
// are unspecified. Never throws and allocates nothing.
InflateResult inflateZlib(ByteView stream, std::uint8_t* out, std::size_t expected);

// Takes the output of inflateZlibThrough piece by piece, in order.
class InflateSink {
 public:
  virtual void take(const std::uint8_t* bytes, std::size_t count) = 0;

 protected:
  ~InflateSink() = default;
};

// The least window inflateZlibThrough slides: the 32 KiB a match may reach back, and room for
// the steps between two slides.
inline constexpr std::size_t kMinInflateWindow = std::size_t{36} << 10;

// Inflates as inflateZlib does, without holding the whole output: it is inflated into `window`
// and handed to `sink` each time the window nearly fills, before the window slides on. The
// sink sees each byte once, in order. A window smaller than kMinInflateWindow and than `expected`
// gives failed at once. On any result but ok the bytes the sink saw are of no use. Never throws and
// allocates nothing.
InflateResult inflateZlibThrough(ByteView stream, std::size_t expected,
                                 std::span<std::uint8_t> window, InflateSink& sink);

// How a stream inflated into a room it may end anywhere in, with the reason zlib's inflate
// gives when it is handed the whole stream and room + 1 bytes of output.
enum class InflateEnd {
  complete,  // a whole, valid stream of `produced` bytes (Z_STREAM_END)
  overran,   // the stream goes on past the room (zlib fills all room + 1 bytes)
  damaged,   // bad header, preset dictionary, invalid code or lengths, distance too far
             // back, wrong Adler-32 (Z_DATA_ERROR, Z_NEED_DICT), seen within the input
  cut,       // the input ends before the stream does or a fault shows (Z_BUF_ERROR)
};

struct InflateOutcome {
  InflateEnd end;
  std::size_t produced;  // bytes written to out; meaningful when complete
};

// Inflates the zlib stream at the start of `stream` into out[0, room). zlib's rules hold as
// for inflateZlib. Never throws and allocates nothing.
InflateOutcome inflateZlibInto(ByteView stream, std::uint8_t* out, std::size_t room);

}  // namespace vantrix
