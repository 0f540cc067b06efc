#pragma once

// The zlib inflater of the PNG decoder's image data and of XYZ pictures. It takes and refuses
// exactly the streams that zlib takes and refuses, and is faster: the whole stream is in
// memory, so the bit reader loads eight bytes at a time, and matches copy 8 to 32 bytes a
// step. It needs no zlib at all.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "common/bytes.hpp"

namespace vantrix {

// How a stream ended, in zlib's terms.
enum class InflateEnd {
  complete,  // a whole, valid stream (Z_STREAM_END)
  overran,   // the stream goes on past the room, seen within the input (zlib fills room + 1)
  // The same, decided on bits past the input's end: inflate sees its input cut short there,
  // uncompress its output full.
  overranPastInput,
  damaged,  // bad header, preset dictionary, invalid code or lengths, distance too far back,
            // wrong Adler-32 (Z_DATA_ERROR, Z_NEED_DICT), seen within the input
  cut,      // the input ends before the stream does or a fault shows (Z_BUF_ERROR)
};

std::string_view toString(InflateEnd end);

struct Inflated {
  InflateEnd end;
  std::size_t produced;  // bytes handed to the sink
};

// Takes the output of inflateZlib piece by piece, in order.
class InflateSink {
 public:
  virtual void take(const std::uint8_t* bytes, std::size_t count) = 0;
  // The stream's last bytes, given once its checksum holds: nothing reads them afterwards,
  // so the sink may change them where they lie.
  virtual void takeLast(std::uint8_t* bytes, std::size_t count) { take(bytes, count); }

 protected:
  ~InflateSink() = default;
};

// The least window inflateZlib slides: the 32 KiB a match may reach back, and room for the
// steps between two slides.
inline constexpr std::size_t kMinInflateWindow = std::size_t{36} << 10;

// Inflates the zlib stream (header, deflate data, Adler-32) at the start of `stream`, giving
// at most `room` bytes of output. Bytes after the stream's end are ignored, as zlib ignores
// them. The output is inflated into `window` and handed to `sink` each time the window nearly
// fills, before it slides on, and at the end once the checksum holds (takeLast); the sink sees
// each byte once, in order, and on any end but complete what it saw is of no use. The window
// holds `room` bytes or at least kMinInflateWindow (a smaller one ends damaged at once).
// zlib's rules hold throughout: a window of up to 32 KiB announced in the header, no preset
// dictionary, no length or distance codes beyond the 286 and 30 of the format, code lengths
// that make complete codes (a code of a single 1-bit length, or a distance code of none, is
// allowed, and its unused codes are errors when met). Never throws and allocates nothing.
Inflated inflateZlib(ByteView stream, std::size_t room, std::span<std::uint8_t> window,
                     InflateSink& sink);

}  // namespace vantrix
