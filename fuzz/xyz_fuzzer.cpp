// The XYZ decoder on any file, as each of its callers runs it: the whole picture, a kept
// corner, the library's decodeXyz and a face set's cells accept or refuse it alike, for the
// same reason, with the same indices and colours; and what the library decodes, its writer
// writes back to a file that decodes the same.

#include <algorithm>

#include "codecs/xyz.hpp"
#include "faces/face_cells.hpp"
#include "fuzz_target.hpp"
#include "support/test_picture.hpp"
#include "vantrix/codecs.hpp"

namespace {

using namespace vantrix;

struct Decoded {
  XyzError error = XyzError::none;
  testing::TestPicture picture{0, 0, 1, 0xA5};
  XyzColours colours{};
};

Decoded decode(ByteView file, const DecodeLimits& limits) {
  Decoded decoded;
  Arena memory;
  // Borrowed memory holds bytes of no meaning.
  memory.borrow(Use::window, 70000).span()[0] = 0xA5;
  decoded.error = decodeXyz(file, decoded.picture, decoded.colours, limits, memory);
  return decoded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteView file(data, size);
  const Decoded whole = decode(file, kDefaultDecodeLimits);
  DecodeLimits corner;
  corner.keptWidth = 7;
  corner.keptHeight = 5;
  const Decoded part = decode(file, corner);
  FUZZ_CHECK(part.error == whole.error);

  std::string why;
  const std::optional<IndexedImage> image = decodeXyz(file, &why);
  FUZZ_CHECK(image.has_value() == (whole.error == XyzError::none));

  Arena memory;
  Bytes copy(file.begin(), file.end());
  const std::optional<FaceSetCells> cut = cutFaces(FaceSetKind::xyz, copy, {0, 5, 16}, memory);
  // A face set is held to less than the library's limit.
  FUZZ_CHECK(cut.has_value() <= image.has_value());
  if (!image) {
    FUZZ_CHECK(why == toString(whole.error));
    return 0;
  }
  FUZZ_CHECK(part.colours == whole.colours);
  FUZZ_CHECK(part.picture.width == std::min(whole.picture.width, 7u));
  FUZZ_CHECK(part.picture.height == std::min(whole.picture.height, 5u));
  for (std::uint32_t y = 0; y < part.picture.height; ++y) {
    for (std::uint32_t x = 0; x < part.picture.width; ++x)
      FUZZ_CHECK(part.picture.at(x, y) == whole.picture.at(x, y));
  }
  FUZZ_CHECK(image->width == whole.picture.width && image->height == whole.picture.height);
  FUZZ_CHECK(image->indices == whole.picture.pixels);
  for (std::size_t i = 0; i < 256; ++i) {
    FUZZ_CHECK(image->palette[i] ==
               (std::uint32_t{whole.colours[3 * i]} << 16 |
                std::uint32_t{whole.colours[3 * i + 1]} << 8 | whole.colours[3 * i + 2]));
  }
  if (cut) {
    for (const auto& [index, cell] : cut->cells) {
      for (std::uint32_t y = 0; y < 48; ++y) {
        for (std::uint32_t x = 0; x < 48; ++x) {
          const std::uint32_t left = static_cast<std::uint32_t>(index % 4 * 48) + x;
          const std::uint32_t top = static_cast<std::uint32_t>(index / 4 * 48) + y;
          const std::uint8_t want = index < 16 && left < image->width && top < image->height
                                        ? image->indices[std::size_t{top} * image->width + left]
                                        : 0;
          FUZZ_CHECK(cell.pixels[y * 48 + x] == want);
        }
      }
    }
  }
#ifndef VANTRIX_NO_ZLIB
  if (std::size_t{image->width} * image->height <= 1 << 16) {
    const std::optional<std::vector<std::uint8_t>> written = encodeXyz(*image);
    FUZZ_CHECK(written);
    const std::optional<IndexedImage> back = decodeXyz(*written);
    FUZZ_CHECK(back && back->width == image->width && back->height == image->height &&
               back->indices == image->indices && back->palette == image->palette);
  }
#endif
  return 0;
}
