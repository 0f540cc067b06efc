#include "support/strict_base64.hpp"

#include <string_view>

namespace vantrix::testing {

Bytes strictBase64(const std::string& text) {
  constexpr std::string_view alphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  Bytes out;
  std::uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    if (c == '=') break;
    std::size_t value = alphabet.find(c);
    if (value == std::string_view::npos) return {};
    bits = (bits << 6) | static_cast<std::uint32_t>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<std::uint8_t>(bits >> count));
    }
  }
  return out;
}

}  // namespace vantrix::testing
