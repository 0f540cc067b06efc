#include "faces/face_cells.hpp"

#include <algorithm>
#include <cstring>

#include "codecs/bmp_reader.hpp"
#include "codecs/png_decoder.hpp"
#include "codecs/xyz.hpp"

namespace vantrix {
namespace {

// A canvas of four bytes a pixel starts opaque black; a cell off it keeps opaque magenta.
constexpr std::uint32_t kTrueColourBackground = 0xFF000000u;
constexpr std::uint32_t kTrueColourMask = 0xFFFF00FFu;

// Pictures that take more than 48 MiB to decode are refused before they are inflated, so that
// a save naming four hostile face sets still converts in well under 2 seconds; of a larger
// picture only the corner the faces come from is kept. An XYZ picture's file and picture
// together are held to 58 MiB: a file of over 10 MiB leaves it less than 48 MiB.
constexpr DecodeLimits kFaceSetLimits{.maxDecodedBytes = std::size_t{48} << 20,
                                      .keptWidth = kFaceSetSize,
                                      .keptHeight = kFaceSetSize};
constexpr std::size_t kXyzFileAndPicture = std::size_t{58} << 20;

// The top left corner of a face's cell; false for an index outside 0 to 15, whose face lies
// off the canvas.
bool cellCorner(int index, std::uint32_t& x, std::uint32_t& y) {
  if (index < 0 || index >= kFacesPerRow * kFacesPerRow) return false;
  x = static_cast<std::uint32_t>(index % kFacesPerRow * kFaceSize);
  y = static_cast<std::uint32_t>(index / kFacesPerRow * kFaceSize);
  return true;
}

void fill(FaceCell& cell, int bytesPerPixel, std::uint32_t value) {
  cell.bytesPerPixel = bytesPerPixel;
  cell.pixels.resize(std::size_t{kFaceSize} * kFaceSize * static_cast<std::size_t>(bytesPerPixel));
  if (bytesPerPixel == 1) {
    std::fill(cell.pixels.begin(), cell.pixels.end(), static_cast<std::uint8_t>(value));
    return;
  }
  for (std::size_t at = 0; at < cell.pixels.size(); at += 4)
    writeLe32(cell.pixels.data() + at, value);
}

// A face set drawn on a 192 × 192 canvas of `bytesPerPixel`, keeping only its faces' cells:
// the target its decoder draws on. Where the picture does not reach, a cell keeps the
// canvas's background; a face off the canvas keeps the mask colour.
class FaceCells final : public PngTarget {
 public:
  FaceCells(const std::set<int>& faces, int bytesPerPixel, Arena& memory)
      : faces_(faces), memory_(memory), bytesPerPixel_(bytesPerPixel) {
    for (int index : faces) {
      std::uint32_t x = 0;
      std::uint32_t y = 0;
      if (cellCorner(index, x, y)) {
        shown_ = {std::min(shown_.left, x), std::min(shown_.top, y),
                  std::max(shown_.right, x + kFaceSize), std::max(shown_.bottom, y + kFaceSize)};
      }
    }
  }

  // The part of the canvas the faces cover: all a decoder need draw.
  const PixelArea& shown() const { return shown_; }

  // A palette picture's cells keep its indices, a quarter of its pixels' bytes, where it
  // covers them all: a cell it leaves uncovered shows a background no index stands for.
  bool takesIndices(std::uint32_t width, std::uint32_t height,
                    const std::array<std::uint32_t, 256>& colours) override {
    for (int index : faces_) {
      std::uint32_t x = 0;
      std::uint32_t y = 0;
      if (cellCorner(index, x, y) && (x + kFaceSize > width || y + kFaceSize > height)) {
        return false;
      }
    }
    colours_ = colours;
    return true;
  }

  bool begin(std::uint32_t width, std::uint32_t height, int bytesPerPixel, bool anyOrder) override {
    width_ = width;
    height_ = height;
    // Indices of a palette picture (which cover every cell on the canvas), or the canvas's pixels.
    indices_ = bytesPerPixel != bytesPerPixel_;
    makeCells(bytesPerPixel);
    pitch_ = std::size_t{width} * static_cast<std::size_t>(bytesPerPixel);
    // Rows asked for in any order (an interlaced picture's) are all held; others one at a time.
    rows_.emplace(memory_.borrow(Use::picture, anyOrder ? pitch_ * height : pitch_));
    anyOrder_ = anyOrder;
    if (anyOrder && bytesPerPixel == 1) std::memset(rows_->data(), 0, rows_->size());
    if (anyOrder && bytesPerPixel == 4) {
      for (std::size_t at = 0; at < rows_->size(); at += 4)
        writeLe32(rows_->data() + at, kTrueColourBackground);
    }
    return true;
  }

  std::uint8_t* row(std::uint32_t y) override {
    if (anyOrder_) return rows_->data() + y * pitch_;
    // A row held one at a time gives the background again; rows of four bytes a pixel come
    // only from PNG decodes, which write all a face needs of every row.
    if (pitch_ == width_) std::memset(rows_->data(), 0, pitch_);
    return rows_->data();
  }

  void rowDone(std::uint32_t y) override { keep(y, rows_->data()); }

  // The cells, once the decoder is done (all of the background where it drew nothing).
  FaceSetCells take(const Palette& palette) {
    if (cells_.empty()) makeCells(bytesPerPixel_);
    if (anyOrder_) {
      for (std::uint32_t y = 0; y < height_; ++y)
        keep(y, rows_->data() + y * pitch_);
    }
    FaceSetCells taken{std::move(cells_), palette, BmpIndices::paletted};
    if (indices_) {
      taken.palette = colours_;
      taken.indices = BmpIndices::trueColour;
    }
    return taken;
  }

 private:
  // Each face's cell, of the canvas's background; one off the canvas of the mask colour, in
  // the canvas's depth whatever the picture's.
  void makeCells(int bytesPerPixel) {
    const bool trueColour = bytesPerPixel_ == 4;
    for (int index : faces_) {
      std::uint32_t x = 0;
      std::uint32_t y = 0;
      if (!cellCorner(index, x, y)) {
        fill(cells_[index], bytesPerPixel_, trueColour ? kTrueColourMask : 0);
      } else {
        fill(cells_[index], bytesPerPixel, bytesPerPixel == 4 ? kTrueColourBackground : 0);
      }
    }
  }

  // The pixels of canvas row y that lie in a cell go into it.
  void keep(std::uint32_t y, const std::uint8_t* row) {
    for (auto& [index, cell] : cells_) {
      std::uint32_t x = 0;
      std::uint32_t top = 0;
      if (!cellCorner(index, x, top) || y < top || y >= top + kFaceSize || x >= width_) continue;
      const auto unit = static_cast<std::size_t>(cell.bytesPerPixel);
      const std::uint32_t count = std::min<std::uint32_t>(kFaceSize, width_ - x);
      std::memcpy(cell.pixels.data() + (y - top) * kFaceSize * unit, row + x * unit, count * unit);
    }
  }

  const std::set<int>& faces_;
  Arena& memory_;
  const int bytesPerPixel_;  // of the canvas
  std::map<int, FaceCell> cells_;
  PixelArea shown_{UINT32_MAX, UINT32_MAX, 0, 0};
  std::array<std::uint32_t, 256> colours_{};
  bool indices_ = false;
  std::uint32_t width_ = 0;  // of the picture drawn, at most the canvas's
  std::uint32_t height_ = 0;
  std::size_t pitch_ = 0;
  bool anyOrder_ = false;
  std::optional<Lent> rows_;
};

// An XYZ colour of 8 bits a component, reduced to six bits and widened again: a component of
// 128 becomes 129, one of 100 becomes 101.
std::uint32_t sixBitColour(const XyzColours& colours, std::size_t i) {
  auto widened = [&](std::size_t k) { return std::uint32_t{colours[3 * i + k]} / 4 * 255 / 63; };
  return widened(0) | widened(1) << 8 | widened(2) << 16;
}

}  // namespace

std::optional<FaceSetCells> cutFaces(FaceSetKind kind, std::span<std::uint8_t> file,
                                     const std::set<int>& faces, Arena& memory) {
  switch (kind) {
    case FaceSetKind::bmp: {
      // A BMP that cannot be drawn still gives its faces: what the canvas then shows.
      FaceCells cells(faces, 1, memory);
      Palette palette = defaultPalette();
      drawBmp(file, kFaceSetSize, kFaceSetSize, cells, palette);
      return cells.take(palette);
    }
    case FaceSetKind::png: {
      FaceCells cells(faces, 4, memory);
      DecodeLimits limits = kFaceSetLimits;
      limits.shown = cells.shown();
      if (decodePngInPlace(file, cells, PngPixels::argb, limits, memory) != PngError::none) {
        return std::nullopt;
      }
      return cells.take(Palette{});
    }
    case FaceSetKind::xyz: {
      FaceCells cells(faces, 1, memory);
      DecodeLimits limits = kFaceSetLimits;
      limits.maxDecodedBytes = std::min(
          limits.maxDecodedBytes, kXyzFileAndPicture - std::min(file.size(), kXyzFileAndPicture));
      XyzColours colours{};
      if (decodeXyz(file, cells, colours, limits, memory) != XyzError::none) return std::nullopt;
      Palette palette{};
      for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = sixBitColour(colours, i);
      return cells.take(palette);
    }
  }
  return std::nullopt;
}

}  // namespace vantrix
