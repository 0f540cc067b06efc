#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>

#include "codecs/bmp_writer.hpp"
#include "common/paths.hpp"
#include "faces/face_files.hpp"
#include "faces/face_set_lookup.hpp"
#include "image/canvas.hpp"
#include "save/save_preview.hpp"

namespace vantrix {

// A face set as drawn for a loader's faces: a canvas to cut any face from, or only the cells
// of its announced faces (by index), each as the canvas would give it or as the palette
// indices that stand for those pixels, with its palette.
struct DrawnFaceSet {
  std::optional<Canvas> canvas;
  std::map<int, PixelImage> cells;
  Palette palette{};
  // How cells of palette indices are written: those of a palette PNG as true colour.
  BmpIndices indices = BmpIndices::paletted;
};

// Makes the pictures of a save's faces: each face is cut from its face set in the FaceSet
// folder beside the save and returned as the Base64 text of a 48 × 48 BMP file.
//
// One loader serves one conversion. Party members often share a face set, so each face set
// is looked up and drawn once and kept for the loader's other faces, and each folder is
// listed once; the picture of every face is the same as if its face set were found and
// drawn anew for it. Given the faces it will be asked for, the loader keeps of a face set
// only the cells of those faces (a PNG face set is restored and converted only as far as
// they reach), lets it go after its last face, and hands its memory to the next one, so a
// conversion touches few fresh pages: that, not computing, is most of a small run's cost.
class FaceLoader {
 public:
  // `inputPath` is the path that opens the save (see platform::pathFromSystemName); `files`
  // are where the face sets are looked for and read.
  FaceLoader(std::string inputPath, PathStyle style, std::span<const FaceSlot> faces = {},
             FaceFiles& files = diskFiles())
      : inputPath_(std::move(inputPath)), style_(style), files_(files) {
    for (const FaceSlot& face : faces)
      announce(face);
  }

  // The Base64 BMP of one face, or empty text when its face set is missing or unreadable.
  std::string loadFaceBitmap(const FaceSlot& face) const;
  // Draws the face sets of `faces` now and lets go of the memory kept for the next one, so
  // that what is allocated next (the document) takes the memory the drawing gave back rather
  // than fresh pages. A face set that does not fit in memory is tried again when its face is
  // asked for.
  void prepare(std::span<const FaceSlot> faces) const;
  // loadFaceBitmap's text appended to `text`, where a document is written in place.
  void appendFaceBitmap(const FaceSlot& face, std::string& text) const;
  // At least the length of the text appendFaceBitmap gives for `faces`, and exactly that for
  // faces whose cells prepare cut: what a document needs room for.
  std::size_t faceTextSize(std::span<const FaceSlot> faces) const;

  // The code page that found the first face set found only by reading its name in one.
  std::optional<CodePage> faceSetCodePage() const { return codePage_; }

 private:
  void announce(const FaceSlot& face);
  void appendFace(const FaceSlot& face, std::string& text) const;
  // The face set `name` as drawn, or nothing when there is none to cut from.
  const std::optional<DrawnFaceSet>& faceSet(const std::string& name) const;

  std::string inputPath_;
  PathStyle style_;
  FaceFiles& files_;
  mutable std::map<std::string, std::optional<DrawnFaceSet>> drawn_;
  mutable std::map<std::string, int> facesLeft_;  // of the faces announced, per face set
  // The cells of each face set's announced faces, which are all of it that is kept.
  mutable std::map<std::string, std::set<int>> announcedCells_;
  mutable PixelBytes spareMemory_;  // a face set's pixels once its cells are cut
  mutable LookupCache lookups_;
  mutable std::optional<CodePage> codePage_;
};

}  // namespace vantrix
