#pragma once

// Builds save files from readable recipes:
//   saveFile({chunk(100, {sub(11, "Hero"), sub(12, number(5))})})

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vantrix::testing {

// A base-128 variable-length number, most significant group first.
std::string number(std::uint32_t value);

// The 8 little-endian bytes of a double.
std::string doubleBytes(double value);

struct SubChunk {
  std::uint32_t id;
  std::string payload;
};
inline SubChunk sub(std::uint32_t id, std::string_view payload) {
  return {id, std::string(payload)};
}

// A chunk holding sub-chunks, ended by the zero byte the engines write.
std::string chunk(std::uint32_t id, std::initializer_list<SubChunk> subChunks);
// A chunk with raw payload bytes.
std::string rawChunk(std::uint32_t id, std::string_view payload);

// The "LcfSaveData" header followed by the given chunks.
std::string saveFile(std::initializer_list<std::string> chunks);

}  // namespace vantrix::testing
