// The library's Base64 decoder on any text, and the encoder on any bytes: the first byte
// picks a line width, the rest is the text.

#include <algorithm>
#include <string>

#include "fuzz_target.hpp"
#include "vantrix/codecs.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrix;
  if (size == 0) return 0;
  const std::size_t width = 1 + data[0] % 80;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  const ByteView bytes(data + 1, size - 1);

  // Text the decoder takes is whole groups of four characters of the alphabet, but for the
  // padding and line ends it skips; its bytes encode back to text it takes alike.
  std::string characters = text;
  std::erase_if(characters, [](char c) { return c == '\r' || c == '\n'; });
  if (const auto decoded = decodeBase64Bytes(text)) {
    FUZZ_CHECK(characters.size() % 4 == 0);
    const std::size_t padding = characters.size() - characters.find_last_not_of('=') - 1;
    FUZZ_CHECK(padding <= 2);
    FUZZ_CHECK(decoded->size() == characters.size() / 4 * 3 - padding);
    FUZZ_CHECK(decodeBase64Bytes(encodeBase64(*decoded)) == decoded);
  } else {
    FUZZ_CHECK(characters.find_first_not_of(
                   "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=") !=
                   std::string::npos ||
               characters.size() % 4 != 0 || characters.find('=') != std::string::npos);
  }
  // Any bytes come back from their own encoding, also cut into lines.
  const std::string encoded = encodeBase64(bytes);
  FUZZ_CHECK(encoded.size() == (bytes.size() + 2) / 3 * 4);
  FUZZ_CHECK(decodeBase64Bytes(encoded) == std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  std::string lines;
  for (std::size_t at = 0; at < encoded.size(); at += width)
    lines += encoded.substr(at, width) + "\r\n";
  FUZZ_CHECK(decodeBase64Bytes(lines) == std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  return 0;
}
