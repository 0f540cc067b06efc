// Shows what a save slot of a load menu would, using the installed vantrix library:
//   save_slot <save file> [document file]
// prints the hero and faces of the save, the size of a PNG face set beside it, and writes
// the preview document when a document file is named.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <vantrix/vantrix.hpp>

namespace {

std::optional<std::vector<std::uint8_t>> readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: save_slot <save file> [document file]\n";
    return 2;
  }
  const std::filesystem::path save = argv[1];

  // The whole conversion, as the vantrix program does it, without console or output file.
  const vantrix::Conversion conversion = vantrix::convertSaveFile(save.string());
  if (conversion.status != vantrix::ConversionStatus::converted) {
    std::cerr << "not converted: " << static_cast<int>(conversion.status) << "\n";
    return 1;
  }
  std::cout << "document: " << conversion.document.size() << " bytes\n";
  if (argc > 2) {
    std::ofstream out(argv[2], std::ios::binary);
    out << conversion.document;
    if (!out.flush()) return 1;
  }

  // The values behind the document, read from the save's bytes.
  const auto bytes = readBytes(save);
  const auto preview = bytes ? vantrix::readSavePreview(*bytes) : std::nullopt;
  if (!preview) return 1;
  std::cout << "hero: " << preview->heroName << " level " << preview->heroLevel << " hp "
            << preview->heroHp << "\n";
  int faces = 0;
  for (const vantrix::FaceSlot& face : preview->faces) {
    if (face.name.empty()) continue;
    ++faces;
    std::cout << "face: " << face.name << " " << face.index + 1 << "\n";
  }
  std::cout << "faces: " << faces << "\n";

  // A PNG face set of the project, decoded to RGBA.
  const std::filesystem::path faceSet = save.parent_path() / "FaceSet" / "Friends.png";
  if (const auto png = readBytes(faceSet)) {
    std::string why;
    const auto image = vantrix::decodePng(*png, &why);
    if (!image) {
      std::cerr << faceSet.string() << ": " << why << "\n";
      return 1;
    }
    std::cout << "Friends.png: " << image->width << " x " << image->height << ", top left RGBA "
              << int{image->rgba[0]} << " " << int{image->rgba[1]} << " " << int{image->rgba[2]}
              << " " << int{image->rgba[3]} << "\n";
  }
  return 0;
}
