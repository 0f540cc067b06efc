#include "support/save_builder.hpp"

#include <bit>

namespace vantrix::testing {

std::string number(std::uint32_t value) {
  std::string groups(1, static_cast<char>(value & 0x7F));
  while ((value >>= 7) != 0)
    groups.insert(groups.begin(), static_cast<char>(0x80 | (value & 0x7F)));
  return groups;
}

std::string doubleBytes(double value) {
  auto bits = std::bit_cast<std::uint64_t>(value);
  std::string bytes;
  for (int i = 0; i < 8; ++i, bits >>= 8)
    bytes += static_cast<char>(bits & 0xFF);
  return bytes;
}

std::string rawChunk(std::uint32_t id, std::string_view payload) {
  return number(id) + number(static_cast<std::uint32_t>(payload.size())) + std::string(payload);
}

std::string chunk(std::uint32_t id, std::initializer_list<SubChunk> subChunks) {
  std::string payload;
  for (const SubChunk& s : subChunks)
    payload += rawChunk(s.id, s.payload);
  payload += '\0';
  return rawChunk(id, payload);
}

std::string saveFile(std::initializer_list<std::string> chunks) {
  std::string file = number(11) + "LcfSaveData";
  for (const std::string& c : chunks)
    file += c;
  return file;
}

}  // namespace vantrix::testing
