#include "base64/base64.hpp"

#include <array>
#include <new>
#include <stdexcept>

namespace vantrix {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Every byte outside the alphabet maps to 0, just like "A".
constexpr std::array<std::uint8_t, 256> makeReverseTable() {
  std::array<std::uint8_t, 256> table{};
  for (std::uint8_t i = 0; i < 64; ++i) {
    table[static_cast<unsigned char>(kAlphabet[i])] = i;
  }
  return table;
}

constexpr std::array<std::uint8_t, 256> kReverse = makeReverseTable();

}  // namespace

std::string encodeBase64(ByteView bytes) {
  std::string text;
  // The library offers this function as it is, so it keeps its promise of no exceptions.
  try {
    text.resize((bytes.size() + 2) / 3 * 4);
  } catch (const std::exception&) {
    return {};
  }
  // Whole groups of three bytes, then the last one or two bytes with their padding.
  const std::uint8_t* in = bytes.data();
  char* out = text.data();
  const std::size_t whole = bytes.size() / 3;
  for (std::size_t g = 0; g < whole; ++g, in += 3, out += 4) {
    const std::uint32_t group =
        std::uint32_t{in[0]} << 16 | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]};
    out[0] = kAlphabet[group >> 18];
    out[1] = kAlphabet[(group >> 12) & 63];
    out[2] = kAlphabet[(group >> 6) & 63];
    out[3] = kAlphabet[group & 63];
  }
  const std::size_t left = bytes.size() - whole * 3;
  if (left > 0) {
    const std::uint32_t group =
        std::uint32_t{in[0]} << 16 | (left > 1 ? std::uint32_t{in[1]} << 8 : 0u);
    out[0] = kAlphabet[group >> 18];
    out[1] = kAlphabet[(group >> 12) & 63];
    out[2] = left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    out[3] = '=';
  }
  return text;
}

std::string decodeBase64(const std::string& text) {
  std::string bytes;
  bytes.reserve((text.size() + 3) / 4 * 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    // Characters past the end of the text count as zero values.
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const std::uint8_t value =
          i + k < text.size() ? kReverse[static_cast<unsigned char>(text[i + k])] : 0;
      group = (group << 6) | value;
    }
    for (int shift = 16; shift >= 0; shift -= 8) {
      const auto byte = static_cast<char>((group >> shift) & 0xFF);
      if (byte == 0) return bytes;
      bytes.push_back(byte);
    }
  }
  return bytes;
}

std::string wrapLines(const std::string& text, std::uint32_t width) {
  if (width == 0) return text;
  std::string lines;
  lines.reserve(text.size() + (text.size() / width + 1) * 2);
  for (std::size_t start = 0; start < text.size(); start += width) {
    lines.append(text, start, width);
    lines.append("\r\n");
  }
  return lines;
}

std::string removeLineBreaks(const std::string& text) {
  std::string joined;
  joined.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
      continue;
    }
    joined.push_back(text[i]);
  }
  return joined;
}

std::optional<Bytes> decodeBase64Strict(std::string_view text) {
  Bytes bytes;
  bytes.reserve(text.size() / 4 * 3);
  std::uint32_t group = 0;
  int count = 0;    // characters of the current group
  int padding = 0;  // "=" seen; only more padding and line breaks may follow
  for (const char c : text) {
    if (c == '\r' || c == '\n') continue;
    if (c == '=') {
      if (count < 2 || ++padding + count > 4) return std::nullopt;
      continue;
    }
    const std::uint8_t value = kReverse[static_cast<unsigned char>(c)];
    if (padding > 0 || (value == 0 && c != 'A')) return std::nullopt;
    group = (group << 6) | value;
    if (++count == 4) {
      bytes.push_back(static_cast<std::uint8_t>(group >> 16));
      bytes.push_back(static_cast<std::uint8_t>(group >> 8));
      bytes.push_back(static_cast<std::uint8_t>(group));
      group = 0;
      count = 0;
    }
  }
  if (padding > 0) {
    if (count + padding != 4) return std::nullopt;
    group <<= 6 * padding;
    bytes.push_back(static_cast<std::uint8_t>(group >> 16));
    if (count == 3) bytes.push_back(static_cast<std::uint8_t>(group >> 8));
  } else if (count != 0) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace vantrix
