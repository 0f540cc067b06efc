#include "image/face_loader.hpp"

#include <cstdint>

#include "base64/base64.hpp"
#include "codecs/png_decoder.hpp"
#include "codecs/xyz.hpp"
#include "image/bmp_reader.hpp"
#include "image/bmp_writer.hpp"
#include "image/canvas.hpp"
#include "image/face_set_lookup.hpp"
#include "platform/platform.hpp"

namespace vantrix {
namespace {

// A face set holds 16 faces of 48 × 48 pixels in 4 rows of 4.
constexpr int kFaceSetSize = 192;
constexpr int kFaceSize = 48;
constexpr int kFacesPerRow = 4;

// Face sets are 192 × 192 pixels. Pictures that take more than 48 MiB to decode are refused
// before they are inflated, so that a save naming four hostile face sets still converts in
// well under 2 seconds and 256 MiB.
constexpr DecodeLimits kFaceSetLimits{.maxDecodedBytes = std::size_t{48} << 20};

// Draws the face set onto `canvas`: BMP and XYZ pictures on an 8-bit canvas with their own
// colours, PNG pictures on a 32-bit one. False when there is nothing to cut a face from.
bool drawFaceSet(Canvas& canvas, const FaceSetFile& file) {
  switch (file.kind) {
    case FaceSetKind::bmp:
      // A BMP that cannot be drawn still gives a face: whatever the canvas then holds.
      loadBmpToCanvas(canvas, file.path);
      return true;
    case FaceSetKind::png: {
      if (canvas.createCanvas(kFaceSetSize, kFaceSetSize, 32) != ImageStatus::success) {
        return false;
      }
      const std::optional<Bytes> bytes = platform::readFile(file.path);
      if (!bytes) return false;
      std::optional<PixelImage> image =
          decodePngBuffer(*bytes, PngTarget::compactImage, nullptr, kFaceSetLimits);
      if (!image) return false;
      canvas.putImage(*image, 0, 0);
      return true;
    }
    case FaceSetKind::xyz: {
      const std::optional<Bytes> bytes = platform::readFile(file.path);
      if (!bytes) return false;
      PaletteTable table{};
      std::optional<PixelImage> image = decodeXyzImage(*bytes, table, /*sixBit=*/true,
                                                       /*rgbOrder=*/false, nullptr, kFaceSetLimits);
      if (!image) return false;
      for (int i = 0; i < 256; ++i) {
        canvas.setPaletteColour(i, table[static_cast<std::size_t>(i)]);
      }
      canvas.putImage(*image, 0, 0);
      return true;
    }
  }
  return false;
}

}  // namespace

std::string FaceLoader::loadFaceBitmap(const FaceSlot& face) const {
  const std::optional<FaceSetFile> file = findFaceSet(inputFileName_, face.name, style_);
  if (!file) return {};

  Canvas canvas;
  if (canvas.createCanvas(kFaceSetSize, kFaceSetSize, 8) != ImageStatus::success) return {};
  if (!drawFaceSet(canvas, *file)) return {};

  // The face's cell; any index outside 0 to 15 lies outside the canvas, and the face then
  // keeps the mask colour. 64-bit products keep a huge index from wrapping into the canvas.
  const std::int64_t x = static_cast<std::int64_t>(face.index % kFacesPerRow) * kFaceSize;
  const std::int64_t y = static_cast<std::int64_t>(face.index / kFacesPerRow) * kFaceSize;
  std::optional<PixelImage> cell = canvas.createImage(kFaceSize, kFaceSize, 0, std::nullopt);
  if (!cell) return {};
  canvas.copyCanvasRect(x, y, x + kFaceSize - 1, y + kFaceSize - 1, *cell);

  const std::optional<Bytes> bmp = encodeBmp(*cell, canvas.palette());
  return bmp ? encodeBase64(*bmp) : std::string();
}

}  // namespace vantrix
