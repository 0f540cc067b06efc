#pragma once

// Writing bytes, for the recipes and tools that make test files.

#include <cstdint>
#include <string>

#include "common/bytes.hpp"

namespace vantrix::testing {

inline void putLe16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void putLe32(Bytes& out, std::uint32_t v) {
  putLe16(out, v & 0xFFFF);
  putLe16(out, v >> 16);
}

// Creates or empties a file and writes the bytes into it. False on any failure.
bool writeFile(const std::string& path, ByteView bytes);

}  // namespace vantrix::testing
