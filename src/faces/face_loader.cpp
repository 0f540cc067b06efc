#include "faces/face_loader.hpp"

#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>

#include "base64/base64.hpp"
#include "codecs/bmp_reader.hpp"
#include "codecs/bmp_writer.hpp"
#include "codecs/png_decoder.hpp"
#include "codecs/xyz.hpp"
#include "faces/face_set_lookup.hpp"
#include "image/canvas.hpp"

namespace vantrix {
namespace {

// A face set holds 16 faces of 48 × 48 pixels in 4 rows of 4.
constexpr int kFaceSetSize = 192;
constexpr int kFaceSize = 48;
constexpr int kFacesPerRow = 4;

// Face sets are 192 × 192 pixels. Pictures that take more than 48 MiB to decode are refused
// before they are inflated, so that a save naming four hostile face sets still converts in
// well under 2 seconds; of a larger picture only the corner the faces come from is kept.
constexpr std::size_t kXyzFileAndPicture = std::size_t{58} << 20;
constexpr DecodeLimits kFaceSetLimits{.maxDecodedBytes = std::size_t{48} << 20,
                                      .keptWidth = kFaceSetSize,
                                      .keptHeight = kFaceSetSize};

// The top left corner of a face's cell; false for an index outside 0 to 15, whose face
// lies outside the face set and keeps the mask colour.
bool faceCell(int index, std::uint32_t& x, std::uint32_t& y) {
  if (index < 0 || index >= kFacesPerRow * kFacesPerRow) return false;
  x = static_cast<std::uint32_t>(index % kFacesPerRow * kFaceSize);
  y = static_cast<std::uint32_t>(index / kFacesPerRow * kFaceSize);
  return true;
}

// Draws the face set onto a new canvas: BMP and XYZ pictures on an 8-bit canvas with their
// own colours, PNG pictures on a 32-bit one, of which only `shown` is drawn. Nothing when
// there is nothing to cut a face from.
std::optional<Canvas> drawFaceSet(FaceSetFile& file, const PixelArea& shown) {
  Canvas canvas;
  // The lookup read the file; a file too large or unreadable has no bytes and gives no face.
  std::optional<Bytes>& bytes = file.bytes;
  if (!bytes) return std::nullopt;
  if (file.kind == FaceSetKind::png) {
    DecodeLimits limits = kFaceSetLimits;
    limits.shown = shown;
    std::optional<PixelImage> image =
        decodePngBufferInPlace(*bytes, PngTarget::compactImage, nullptr, limits);
    if (!image) return std::nullopt;
    // A face set of exactly the canvas's size becomes the canvas; others are drawn on one.
    if (canvas.adoptImage(std::move(*image), kFaceSetSize, kFaceSetSize)) return canvas;
    if (canvas.createCanvas(kFaceSetSize, kFaceSetSize, 32) != ImageStatus::success) {
      return std::nullopt;
    }
    canvas.putImage(*image, 0, 0);
    return canvas;
  }
  if (canvas.createCanvas(kFaceSetSize, kFaceSetSize, 8) != ImageStatus::success) {
    return std::nullopt;
  }
  switch (file.kind) {
    case FaceSetKind::bmp: {
      // A BMP that cannot be drawn still gives a face: whatever the canvas then holds.
      loadBmpToCanvas(canvas, ByteView(*bytes));
      return canvas;
    }
    case FaceSetKind::png:
      return std::nullopt;  // drawn above
    case FaceSetKind::xyz: {
      // An XYZ picture is inflated whole while its file is held: a file of over 10 MiB leaves
      // its picture less than 48 MiB, so the two stay within 58 MiB.
      DecodeLimits limits = kFaceSetLimits;
      limits.maxDecodedBytes = std::min(
          limits.maxDecodedBytes, kXyzFileAndPicture - std::min(bytes->size(), kXyzFileAndPicture));
      PaletteTable table{};
      std::optional<PixelImage> image =
          decodeXyzImage(*bytes, table, /*sixBit=*/true, /*rgbOrder=*/false, nullptr, limits);
      if (!image) return std::nullopt;
      for (int i = 0; i < 256; ++i) {
        canvas.setPaletteColour(i, table[static_cast<std::size_t>(i)]);
      }
      canvas.putImage(*image, 0, 0);
      return canvas;
    }
  }
  return std::nullopt;
}

}  // namespace

void FaceLoader::announce(const FaceSlot& face) {
  ++facesLeft_[face.name];
  // Starts empty; a face outside the face set needs none of it.
  PixelArea& area =
      shown_.try_emplace(face.name, PixelArea{UINT32_MAX, UINT32_MAX, 0, 0}).first->second;
  std::uint32_t x = 0;
  std::uint32_t y = 0;
  if (!faceCell(face.index, x, y)) return;
  area = {std::min(area.left, x), std::min(area.top, y), std::max(area.right, x + kFaceSize),
          std::max(area.bottom, y + kFaceSize)};
}

const std::optional<Canvas>& FaceLoader::faceSetCanvas(const std::string& name) const {
  auto known = drawn_.find(name);
  if (known != drawn_.end()) return known->second;
  auto area = shown_.find(name);
  std::optional<Canvas> canvas;
  if (std::optional<FaceSetFile> file = findFaceSet(inputPath_, name, style_, &listings_, files_)) {
    canvas = drawFaceSet(*file, area != shown_.end() ? area->second : PixelArea{});
    if (file->codePage && !codePage_) codePage_ = file->codePage;
  }
  return drawn_.emplace(name, std::move(canvas)).first->second;
}

std::string FaceLoader::loadFaceBitmap(const FaceSlot& face) const {
  std::string bitmap;
  try {
    bitmap = cutFace(face);
  } catch (const std::bad_alloc&) {
    // A face that cannot be had in memory is a face without a picture, like any other.
    drawn_.erase(face.name);
  } catch (const std::length_error&) {
    drawn_.erase(face.name);
  }
  // The last announced face of its face set: the canvas is not needed again.
  auto left = facesLeft_.find(face.name);
  if (left != facesLeft_.end() && --left->second == 0) {
    facesLeft_.erase(left);
    drawn_.erase(face.name);
  }
  return bitmap;
}

std::string FaceLoader::cutFace(const FaceSlot& face) const {
  // A face that was not announced may lie outside what its face set was drawn for: the face
  // set is then drawn again, whole.
  std::uint32_t cellX = 0;
  std::uint32_t cellY = 0;
  if (auto area = shown_.find(face.name);
      area != shown_.end() && faceCell(face.index, cellX, cellY) &&
      (cellX < area->second.left || cellY < area->second.top ||
       cellX + kFaceSize > area->second.right || cellY + kFaceSize > area->second.bottom)) {
    shown_.erase(area);
    drawn_.erase(face.name);
  }
  const std::optional<Canvas>& canvas = faceSetCanvas(face.name);
  if (!canvas) return {};

  // The face's cell; any index outside 0 to 15 lies outside the canvas, and the face then
  // keeps the mask colour. 64-bit products keep a huge index from wrapping into the canvas.
  const std::int64_t x = static_cast<std::int64_t>(face.index % kFacesPerRow) * kFaceSize;
  const std::int64_t y = static_cast<std::int64_t>(face.index / kFacesPerRow) * kFaceSize;
  std::optional<PixelImage> cell = canvas->createImage(kFaceSize, kFaceSize, 0, std::nullopt);
  if (!cell) return {};
  canvas->copyCanvasRect(x, y, x + kFaceSize - 1, y + kFaceSize - 1, *cell);

  const std::optional<Bytes> bmp = encodeBmp(*cell, canvas->palette());
  return bmp ? encodeBase64(*bmp) : std::string();
}

}  // namespace vantrix
