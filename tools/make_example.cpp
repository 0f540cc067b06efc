// Writes the example game of examples/game: a save file and the face sets its faces use.
// Every byte comes from the recipe below, so the files can be checked and made again:
//   make_example examples/game

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

namespace {

// A base-128 variable-length number, most significant group first.
std::string number(std::uint32_t value) {
  std::string groups(1, static_cast<char>(value & 0x7F));
  while ((value >>= 7) != 0) {
    groups.insert(groups.begin(), static_cast<char>(0x80 | (value & 0x7F)));
  }
  return groups;
}

std::string field(std::uint32_t id, std::string_view payload) {
  return number(id) + number(static_cast<std::uint32_t>(payload.size())) + std::string(payload);
}

std::string doubleBytes(double value) {
  std::uint64_t bits = 0;
  static_assert(sizeof bits == sizeof value);
  __builtin_memcpy(&bits, &value, sizeof bits);
  std::string bytes;
  for (int i = 0; i < 8; ++i, bits >>= 8)
    bytes += static_cast<char>(bits & 0xFF);
  return bytes;
}

// A chunk of fields, closed by the zero byte the engines write.
std::string chunk(std::uint32_t id, std::string fields) {
  return field(id, fields + '\0');
}

std::string exampleSave() {
  const double savedAt = 46363.0 + (20 * 3600 + 15 * 60 + 42) / 86400.0;  // 2026-12-07 20:15:42
  std::string save = number(11) + "LcfSaveData";
  save += chunk(100, field(1, doubleBytes(savedAt)) + field(11, "Alex") + field(12, number(12)) +
                         field(13, number(345)) + field(21, "Hero") +
                         field(22, number(0)) +                          // BMP face set
                         field(23, "Friends") + field(24, number(5)) +   // PNG face set
                         field(25, "Spirits") + field(26, number(10)) +  // XYZ face set
                         field(27, "Monster1") + field(28, number(3)));  // a run-time face
  save += chunk(101, field(11, number(1234567)));                        // 5:42:56 of play
  save += field(104, "party and map data the preview does not read");
  save += chunk(109, field(21, number(4321)));
  return save;
}

bool writeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_example FOLDER\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder / "FaceSet");
  if (!writeFile(folder / "Save01.lsd", exampleSave())) {
    std::cerr << "cannot write " << (folder / "Save01.lsd") << "\n";
    return 1;
  }
  return 0;
}
