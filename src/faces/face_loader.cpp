#include "faces/face_loader.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <new>
#include <set>
#include <stdexcept>
#include <vector>

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
// The largest 48 × 48 BMP file: 24 bits a pixel, the headers, no palette.
constexpr std::size_t kFaceBmpBytes = 54 + kFaceSize * kFaceSize * 3;
constexpr std::size_t kMostFaceText = (kFaceBmpBytes + 2) / 3 * 4;

// Face sets are 192 × 192 pixels. Pictures that take more than 48 MiB to decode are refused
// before they are inflated, so that a save naming four hostile face sets still converts in
// well under 2 seconds; of a larger picture only the corner the faces come from is kept.
constexpr std::size_t kXyzFileAndPicture = std::size_t{58} << 20;
// Memory a face set hands to the next is kept up to this much (a real face set's picture and
// file take a few hundred KiB at most), so a hostile game's largest pictures are never held
// beside the next one's.
constexpr std::size_t kMaxHandedOn = std::size_t{2} << 20;
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

// Copies the rows of a PNG face set into the cells of its announced faces, each as it would
// be cut from the face set's canvas.
class CellSink final : public PngRowSink {
 public:
  explicit CellSink(const std::set<int>& indices) : indices_(indices) {}

  // A palette picture's cells keep its indices, a quarter of its pixels' bytes, where it
  // covers them all: a cell it leaves uncovered shows a background no index stands for.
  bool takesIndices(std::uint32_t width, std::uint32_t height,
                    const std::array<std::uint32_t, 256>& colours) override {
    for (int index : indices_) {
      std::uint32_t x = 0;
      std::uint32_t y = 0;
      if (faceCell(index, x, y) && (x + kFaceSize > width || y + kFaceSize > height)) {
        return false;
      }
    }
    colours_ = colours;
    bytesPerPixel_ = 1;
    return true;
  }

  bool begin(std::uint32_t width, std::uint32_t height) override {
    for (int index : indices_) {
      Cell cell{index, 0, 0, std::nullopt};
      if (!faceCell(index, cell.x, cell.y)) continue;
      const std::size_t pitch = std::size_t{kFaceSize} * static_cast<std::size_t>(bytesPerPixel_);
      // Where the picture does not cover the cell, the canvas's background shows.
      const bool covered = cell.x + kFaceSize <= width && cell.y + kFaceSize <= height;
      cell.image = covered ? PixelImage::makeForOverwrite(PixelLayout::full, bytesPerPixel_,
                                                          kFaceSize, kFaceSize, pitch)
                           : PixelImage::make(PixelLayout::full, bytesPerPixel_, kFaceSize,
                                              kFaceSize, pitch);
      if (!cell.image) return false;
      if (!covered) cell.image->fill(Canvas::kTrueColourBackground);
      cells_.push_back(std::move(cell));
    }
    return true;
  }

  void row(std::uint32_t y, std::uint32_t left, const std::uint8_t* pixels,
           std::uint32_t count) override {
    for (Cell& cell : cells_) {
      if (y < cell.y || y >= cell.y + kFaceSize) continue;
      const std::uint32_t from = std::max(left, cell.x);
      const std::uint32_t to = std::min(left + count, cell.x + kFaceSize);
      if (from >= to) continue;
      const auto unit = static_cast<std::size_t>(bytesPerPixel_);
      std::memcpy(cell.image->row(y - cell.y) + std::size_t{from - cell.x} * unit,
                  pixels + std::size_t{from - left} * unit, std::size_t{to - from} * unit);
    }
  }

  // The face set drawn: its cells by face index, with the colours of their indices.
  DrawnFaceSet take() {
    DrawnFaceSet drawn;
    for (Cell& cell : cells_)
      drawn.cells.emplace(cell.index, std::move(*cell.image));
    if (bytesPerPixel_ == 1) {
      drawn.palette = colours_;
      drawn.indices = BmpIndices::trueColour;
    }
    return drawn;
  }

 private:
  struct Cell {
    int index;
    std::uint32_t x;
    std::uint32_t y;
    std::optional<PixelImage> image;
  };
  const std::set<int>& indices_;
  std::vector<Cell> cells_;
  int bytesPerPixel_ = 4;
  Palette colours_{};
};

// The cells of a plain BMP face set, or nothing for any other file.
std::optional<DrawnFaceSet> cutPlainBmp(ByteView file, const std::set<int>& cells) {
  const std::optional<PlainBmp> plain = readPlainBmp(file, kFaceSetSize, kFaceSetSize);
  if (!plain) return std::nullopt;
  DrawnFaceSet drawn;
  drawn.palette = plain->palette;
  for (int index : cells) {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    if (!faceCell(index, x, y)) continue;
    std::optional<PixelImage> cell =
        PixelImage::makeForOverwrite(PixelLayout::full, 1, kFaceSize, kFaceSize, kFaceSize);
    if (!cell) return std::nullopt;
    const std::uint8_t* from = plain->topRow + static_cast<std::ptrdiff_t>(y) * plain->pitch + x;
    for (std::uint32_t r = 0; r < kFaceSize; ++r, from += plain->pitch)
      std::memcpy(cell->row(r), from, kFaceSize);
    drawn.cells.emplace(index, std::move(*cell));
  }
  return drawn;
}

// The face set drawn for its faces: a PNG face set with `cells` asked for gives only those
// cells, restored and converted only as far as they reach (and checked whole all the same);
// otherwise BMP and XYZ pictures are drawn on an 8-bit canvas with their own colours, PNG
// pictures on a 32-bit one. Nothing when there is nothing to cut a face from.
std::optional<DrawnFaceSet> drawFaceSet(FaceSetFile& file, const std::set<int>* cells,
                                        PixelBytes& memory) {
  Canvas canvas;
  // The lookup read the file; a file too large or unreadable has no bytes and gives no face.
  std::optional<Bytes>& bytes = file.bytes;
  if (!bytes) return std::nullopt;
  if (file.kind == FaceSetKind::png && cells) {
    DecodeLimits limits = kFaceSetLimits;
    limits.shown = PixelArea{UINT32_MAX, UINT32_MAX, 0, 0};
    for (int index : *cells) {
      std::uint32_t x = 0;
      std::uint32_t y = 0;
      if (!faceCell(index, x, y)) continue;
      limits.shown = {std::min(limits.shown.left, x), std::min(limits.shown.top, y),
                      std::max(limits.shown.right, x + kFaceSize),
                      std::max(limits.shown.bottom, y + kFaceSize)};
    }
    CellSink sink(*cells);
    if (decodePngRowsInPlace(*bytes, sink, limits) != PngError::none) return std::nullopt;
    return sink.take();
  }
  if (file.kind == FaceSetKind::png) {
    std::optional<PixelImage> image =
        decodePngBufferInPlace(*bytes, PngTarget::compactImage, nullptr, kFaceSetLimits);
    if (!image) return std::nullopt;
    // A face set of exactly the canvas's size becomes the canvas; others are drawn on one.
    if (canvas.adoptImage(std::move(*image), kFaceSetSize, kFaceSetSize)) {
      return DrawnFaceSet{std::move(canvas), {}};
    }
    if (canvas.createCanvas(kFaceSetSize, kFaceSetSize, 32) != ImageStatus::success) {
      return std::nullopt;
    }
    canvas.putImage(*image, 0, 0);
    return DrawnFaceSet{std::move(canvas), {}};
  }
  switch (file.kind) {
    case FaceSetKind::bmp: {
      // The usual face set, a whole 192 × 192 picture of 8 bits a pixel, gives its cells
      // straight from the file, as they would be cut from the canvas it draws.
      if (cells) {
        if (std::optional<DrawnFaceSet> drawn = cutPlainBmp(ByteView(*bytes), *cells)) {
          return drawn;
        }
      }
      canvas.pixels() = std::move(memory);  // for createCanvas to reuse
      if (canvas.createCanvas(kFaceSetSize, kFaceSetSize, 8) != ImageStatus::success) {
        return std::nullopt;
      }
      // A BMP that cannot be drawn still gives a face: whatever the canvas then holds.
      loadBmpToCanvas(canvas, ByteView(*bytes));
      return DrawnFaceSet{std::move(canvas), {}};
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
      std::optional<PixelImage> image = decodeXyzImage(
          *bytes, table, /*sixBit=*/true, /*rgbOrder=*/false, nullptr, limits, std::move(memory));
      if (!image) return std::nullopt;
      // A face set of exactly the canvas's size becomes the canvas; others are drawn on one.
      if (!canvas.adoptImage(std::move(*image), kFaceSetSize, kFaceSetSize)) {
        if (canvas.createCanvas(kFaceSetSize, kFaceSetSize, 8) != ImageStatus::success) {
          return std::nullopt;
        }
        canvas.putImage(*image, 0, 0);
      }
      for (int i = 0; i < 256; ++i) {
        canvas.setPaletteColour(i, table[static_cast<std::size_t>(i)]);
      }
      return DrawnFaceSet{std::move(canvas), {}};
    }
  }
  return std::nullopt;
}

// The 48 × 48 cell of face `index` as cut from the canvas; any index outside 0 to 15 lies
// outside the canvas, and the face then keeps the mask colour. 64-bit products keep a huge
// index from wrapping into the canvas.
std::optional<PixelImage> cutCell(const Canvas& canvas, int index) {
  const std::int64_t x = static_cast<std::int64_t>(index % kFacesPerRow) * kFaceSize;
  const std::int64_t y = static_cast<std::int64_t>(index / kFacesPerRow) * kFaceSize;
  std::optional<PixelImage> cell = canvas.createImage(kFaceSize, kFaceSize, 0, std::nullopt);
  if (cell) canvas.copyCanvasRect(x, y, x + kFaceSize - 1, y + kFaceSize - 1, *cell);
  return cell;
}

// The Base64 text of a face's 48 × 48 BMP file appended to `text`, through memory on the
// stack, whose pages the face set's decoding has touched already.
void appendBmpBase64(const PixelImage& cell, const Palette& palette, BmpIndices indices,
                     std::string& text) {
  std::array<std::uint8_t, kFaceBmpBytes> bmp;
  const std::size_t size = encodeBmpInto(cell, palette, bmp, indices);
  if (size > 0) appendBase64(text, ByteView(bmp.data(), size));
}

}  // namespace

void FaceLoader::announce(const FaceSlot& face) {
  ++facesLeft_[face.name];
  std::uint32_t x = 0;
  std::uint32_t y = 0;
  // A face outside the face set needs none of it.
  std::set<int>& cells = announcedCells_[face.name];
  if (faceCell(face.index, x, y)) cells.insert(face.index);
}

const std::optional<DrawnFaceSet>& FaceLoader::faceSet(const std::string& name) const {
  auto known = drawn_.find(name);
  if (known != drawn_.end()) return known->second;
  auto cells = announcedCells_.find(name);
  std::optional<DrawnFaceSet> drawn;
  if (std::optional<FaceSetFile> file = findFaceSet(inputPath_, name, style_, &lookups_, files_)) {
    const std::set<int>* announced =
        cells != announcedCells_.end() && !cells->second.empty() ? &cells->second : nullptr;
    drawn = drawFaceSet(*file, announced, spareMemory_);
    if (drawn && drawn->canvas && announced) {
      // The announced faces are cut at once, and the canvas's memory waits for the next face
      // set rather than staying held beside it.
      for (int index : *announced) {
        if (std::optional<PixelImage> cell = cutCell(*drawn->canvas, index)) {
          drawn->cells.emplace(index, std::move(*cell));
        }
      }
      drawn->palette = drawn->canvas->palette();
      PixelBytes pixels = std::move(drawn->canvas->pixels());
      if (pixels.capacity() <= kMaxHandedOn) spareMemory_ = std::move(pixels);
      drawn->canvas.reset();
    }
    if (file->codePage && !codePage_) codePage_ = file->codePage;
    // The next face set file is read into this one's memory, whose pages are in place.
    if (file->bytes && file->bytes->capacity() <= kMaxHandedOn) {
      lookups_.spareBytes = std::move(*file->bytes);
    }
  }
  return drawn_.emplace(name, std::move(drawn)).first->second;
}

void FaceLoader::prepare(std::span<const FaceSlot> faces) const {
  for (const FaceSlot& face : faces) {
    if (face.name.empty()) continue;
    try {
      faceSet(face.name);
    } catch (const std::bad_alloc&) {
      drawn_.erase(face.name);
    } catch (const std::length_error&) {
      drawn_.erase(face.name);
    }
  }
  spareMemory_ = PixelBytes();
  lookups_.spareBytes = Bytes();
}

std::string FaceLoader::loadFaceBitmap(const FaceSlot& face) const {
  std::string bitmap;
  appendFaceBitmap(face, bitmap);
  return bitmap;
}

void FaceLoader::appendFaceBitmap(const FaceSlot& face, std::string& text) const {
  try {
    appendFace(face, text);
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
}

std::size_t FaceLoader::faceTextSize(std::span<const FaceSlot> faces) const {
  std::size_t size = 0;
  for (const FaceSlot& face : faces) {
    const auto drawn = drawn_.find(face.name);
    if (drawn != drawn_.end() && !drawn->second) continue;  // no face set: no picture
    if (drawn != drawn_.end() && !drawn->second->canvas) {
      const DrawnFaceSet& set = *drawn->second;
      if (auto cell = set.cells.find(face.index); cell != set.cells.end()) {
        size += (bmpFileSize(cell->second, set.indices).value_or(0) + 2) / 3 * 4;
        continue;
      }
    }
    size += kMostFaceText;  // a face set still to be drawn, or drawn again whole
  }
  return size;
}

void FaceLoader::appendFace(const FaceSlot& face, std::string& text) const {
  const std::optional<DrawnFaceSet>& drawn = faceSet(face.name);
  if (!drawn) return;
  if (!drawn->canvas) {
    if (auto cell = drawn->cells.find(face.index); cell != drawn->cells.end()) {
      appendBmpBase64(cell->second, drawn->palette, drawn->indices, text);
      return;
    }
    // A face that was not announced: its face set is drawn again, whole.
    announcedCells_.erase(face.name);
    drawn_.erase(face.name);
    appendFace(face, text);
    return;
  }
  const Canvas& canvas = *drawn->canvas;
  if (const std::optional<PixelImage> cell = cutCell(canvas, face.index)) {
    appendBmpBase64(*cell, canvas.palette(), BmpIndices::paletted, text);
  }
}

}  // namespace vantrix
