// The Base64 decoder and the line routines on any text: the first byte picks a line width,
// the rest is the text.

#include <string>

#include "base64/base64.hpp"
#include "fuzz_target.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrix;
  if (size == 0) return 0;
  const std::uint32_t width = data[0] % 80;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::string decoded = decodeBase64(text);
  FUZZ_CHECK(decoded.size() <= (text.size() + 3) / 4 * 3);
  FUZZ_CHECK(decoded.find('\0') == std::string::npos);
  // Text without a zero byte comes back from its own encoding.
  const std::string encoded =
      encodeBase64(ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  FUZZ_CHECK(encoded.size() == (text.size() + 2) / 3 * 4);
  if (text.find('\0') == std::string::npos) FUZZ_CHECK(decodeBase64(encoded) == text);

  const std::string wrapped = wrapLines(text, width);
  if (width == 0) {
    FUZZ_CHECK(wrapped == text);
  } else {
    const std::size_t lines = (text.size() + width - 1) / width;
    FUZZ_CHECK(wrapped.size() == text.size() + 2 * lines);
  }
  // Taking the breaks out gives back any text that holds no CR LF of its own.
  if (text.find("\r\n") == std::string::npos) FUZZ_CHECK(removeLineBreaks(wrapped) == text);
  const std::string joined = removeLineBreaks(text);
  FUZZ_CHECK(joined.size() <= text.size());
  FUZZ_CHECK(removeLineBreaks(wrapLines(encoded, width)) == encoded);
  return 0;
}
