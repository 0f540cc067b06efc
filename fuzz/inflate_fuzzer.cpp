// The PNG decoder's inflater against zlib's uncompress: both take or refuse every stream
// alike and give the same bytes. (Why a stream is refused may differ: a stream that runs past
// the expected size and then fails its checksum is "too long" to one, "damaged" to the other.) The first three input bytes
// are the expected size (up to 1 MiB), the rest the stream.

#include <zlib.h>

#include <cstring>
#include <vector>

#include "codecs/inflate.hpp"
#include "fuzz_target.hpp"

namespace {

using vantrix::InflateResult;

// uncompress into a buffer one byte longer than expected, as the decoder once did.
InflateResult zlibDecision(vantrix::ByteView stream, std::size_t expected,
                           std::vector<std::uint8_t>& out) {
  out.assign(expected + 1, 0);
  uLongf got = static_cast<uLongf>(out.size());
  const int status = uncompress(out.data(), &got, stream.data(), static_cast<uLong>(stream.size()));
  if (status == Z_BUF_ERROR) return InflateResult::wrongSize;
  if (status != Z_OK) return InflateResult::failed;
  return got == expected ? InflateResult::ok : InflateResult::wrongSize;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::size_t expected =
      data[0] | std::size_t{data[1]} << 8 | (std::size_t{data[2]} & 15) << 16;
  const vantrix::ByteView stream(data + 3, size - 3);

  std::vector<std::uint8_t> reference;
  const InflateResult want = zlibDecision(stream, expected, reference);
  std::vector<std::uint8_t> out(expected + 1, 0xA5);
  const InflateResult got = vantrix::inflateZlib(stream, out.data(), expected);
  FUZZ_CHECK((got == InflateResult::ok) == (want == InflateResult::ok));
  if (got == InflateResult::ok) {
    FUZZ_CHECK(std::memcmp(out.data(), reference.data(), expected) == 0);
  }
  FUZZ_CHECK(out[expected] == 0xA5);  // nothing written past the end
  return 0;
}
