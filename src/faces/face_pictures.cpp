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
  for (std::size_t slot = 0; slot < faces.size(); ++slot) {
    const FaceSetFile* file = fileOf[slot];
    if (!file) continue;
    auto cells = decoded_.find(file->path);
    if (cells == decoded_.end()) {
      std::optional<FaceSetCells> cut;
      if (std::optional<Lent> bytes = lookup.read(*file, memory)) {
        cut = cutFaces(file->kind, bytes->span(), wanted[file->path], memory);
      }
      cells = decoded_.emplace(file->path, std::move(cut)).first;
    }
    if (!cells->second) continue;
    setOf_[slot] = &*cells->second;
    indexOf_[slot] = faces[slot].index;
  }
}

const FaceCell* FacePictures::cellOf(int slot, const FaceSetCells** set) const {
  *set = setOf_.at(static_cast<std::size_t>(slot - 1));
  return *set ? &(*set)->cells.at(indexOf_[static_cast<std::size_t>(slot - 1)]) : nullptr;
}

void FacePictures::appendBitmap(int slot, std::string& text) const {
  const FaceSetCells* set = nullptr;
  const FaceCell* cell = cellOf(slot, &set);
  if (!cell) return;
  std::array<std::uint8_t, kFaceBmpBytes> bmp;
  const std::size_t size = encodeBmp(cell->picture(), set->palette, bmp, set->indices);
  appendBase64(text, ByteView(bmp.data(), size));
}

std::size_t FacePictures::textSize() const {
  std::size_t size = 0;
  for (int slot = 1; slot <= 4; ++slot) {
    const FaceSetCells* set = nullptr;
    if (const FaceCell* cell = cellOf(slot, &set)) {
      size += (bmpFileSize(cell->picture(), set->indices).value_or(0) + 2) / 3 * 4;
    }
  }
  return size;
}

}  // namespace vantrix
