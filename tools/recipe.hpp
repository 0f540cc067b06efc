#pragma once

// Byte recipes shared by the tools that write games and pictures: the save file's numbers,
// fields and chunks, and PNG chunks.

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "common/bytes.hpp"

namespace recipe {

// A base-128 variable-length number, most significant group first.
inline std::string number(std::uint32_t value) {
  std::string groups(1, static_cast<char>(value & 0x7F));
  while ((value >>= 7) != 0) {
    groups.insert(groups.begin(), static_cast<char>(0x80 | (value & 0x7F)));
  }
  return groups;
}

inline std::string field(std::uint32_t id, std::string_view payload) {
  return number(id) + number(static_cast<std::uint32_t>(payload.size())) + std::string(payload);
}

inline std::string doubleBytes(double value) {
  std::uint64_t bits = 0;
  static_assert(sizeof bits == sizeof value);
  std::memcpy(&bits, &value, sizeof bits);
  std::string bytes;
  for (int i = 0; i < 8; ++i, bits >>= 8)
    bytes += static_cast<char>(bits & 0xFF);
  return bytes;
}

// A chunk of fields, closed by the zero byte the engines write.
inline std::string chunk(std::uint32_t id, std::string fields) {
  return field(id, fields + '\0');
}

inline void appendBe32(vantrix::Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline void appendPngChunk(vantrix::Bytes& out, std::string_view type, const std::uint8_t* data,
                           std::size_t size) {
  appendBe32(out, static_cast<std::uint32_t>(size));
  const std::size_t typeStart = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data, data + size);
  uLong crc = crc32(0, out.data() + typeStart, static_cast<uInt>(out.size() - typeStart));
  appendBe32(out, static_cast<std::uint32_t>(crc));
}

inline void appendPngChunk(vantrix::Bytes& out, std::string_view type, const vantrix::Bytes& data) {
  appendPngChunk(out, type, data.data(), data.size());
}

}  // namespace recipe
