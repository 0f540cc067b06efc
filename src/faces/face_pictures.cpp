#include "faces/face_pictures.hpp"

#include <map>
#include <set>

#include "base64/base64.hpp"

namespace vantrix {
namespace {

// The largest 48 × 48 BMP file: 24 bits a pixel, the headers, no palette.
constexpr std::size_t kFaceBmpBytes = 54 + kFaceSize * kFaceSize * 3;

}  // namespace

FacePictures::FacePictures(const std::array<FaceSlot, 4>& faces, FaceSetLookup& lookup,
                           Arena& memory) {
  // Each name is looked up once, and the faces of each file found are gathered, so that a
  // file is decoded once for all of them.
  std::map<std::string, std::optional<FaceSetFile>> found;
  std::map<std::string, std::set<int>> wanted;
  std::array<const FaceSetFile*, 4> fileOf{};
  for (std::size_t slot = 0; slot < faces.size(); ++slot) {
    const FaceSlot& face = faces[slot];
    if (face.name.empty()) continue;
    auto known = found.find(face.name);
    if (known == found.end()) known = found.emplace(face.name, lookup.find(face.name)).first;
    if (!known->second) continue;
    fileOf[slot] = &*known->second;
    wanted[known->second->path].insert(face.index);
    if (!codePage_) codePage_ = known->second->codePage;
  }
  std::map<std::string, std::optional<FaceSetCells>> decoded;
  for (std::size_t slot = 0; slot < faces.size(); ++slot) {
    const FaceSetFile* file = fileOf[slot];
    if (!file) continue;
    auto cells = decoded.find(file->path);
    if (cells == decoded.end()) {
      Lent bytes = memory.borrowLast();
      std::optional<FaceSetCells> cut;
      if (lookup.read(*file, bytes.bytes())) {
        cut = cutFaces(file->kind, bytes.bytes(), wanted[file->path], memory);
      }
      cells = decoded.emplace(file->path, std::move(cut)).first;
    }
    if (!cells->second) continue;
    const FaceSetCells& set = *cells->second;
    pictures_[slot] = Picture{set.cells.at(faces[slot].index), set.palette, set.indices};
  }
}

void FacePictures::appendBitmap(int slot, std::string& text) const {
  const std::optional<Picture>& picture = pictures_.at(static_cast<std::size_t>(slot - 1));
  if (!picture) return;
  std::array<std::uint8_t, kFaceBmpBytes> bmp;
  const std::size_t size =
      encodeBmp(picture->cell.picture(), picture->palette, bmp, picture->indices);
  appendBase64(text, ByteView(bmp.data(), size));
}

std::size_t FacePictures::textSize() const {
  std::size_t size = 0;
  for (const std::optional<Picture>& picture : pictures_) {
    if (picture) {
      size += (bmpFileSize(picture->cell.picture(), picture->indices).value_or(0) + 2) / 3 * 4;
    }
  }
  return size;
}

}  // namespace vantrix
