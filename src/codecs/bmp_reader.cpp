#include "codecs/bmp_reader.hpp"

#include <algorithm>
#include <cstring>

namespace vantrix {
namespace {

constexpr std::uint16_t kBmpType = 0x4D42;  // "BM"
constexpr std::uint64_t kFileHeaderSize = 14;
constexpr std::uint32_t kOs2InfoSize = 12;
constexpr std::uint32_t kV4InfoSize = 108;  // the first info header that holds its own masks

enum Compression : std::uint32_t { none = 0, rle8 = 1, rle4 = 2, bitFields = 3 };

struct BmpHeader {
  std::uint64_t dataOffset = 0;
  std::uint32_t infoSize = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // negative: rows stored top row first
  std::uint32_t planes = 0;
  std::uint32_t bitsPerPixel = 0;
  std::uint32_t compression = none;
};

bool has(ByteView file, std::uint64_t offset, std::uint64_t count) {
  return offset <= file.size() && count <= file.size() - offset;
}

// The header fields, or nothing when the file ends within them or the info header has a size
// no BMP uses.
std::optional<BmpHeader> readHeader(ByteView file) {
  if (!has(file, 0, kFileHeaderSize + 4)) return std::nullopt;
  const std::uint8_t* p = file.data();
  BmpHeader header;
  if (readLe16(p) != kBmpType) return std::nullopt;
  header.dataOffset = readLe32(p + 10);
  header.infoSize = readLe32(p + 14);
  if (header.infoSize == kOs2InfoSize) {
    if (!has(file, 0, 26)) return std::nullopt;
    header.width = readLe16(p + 18);
    header.height = readLe16(p + 20);
    header.planes = readLe16(p + 22);
    header.bitsPerPixel = readLe16(p + 24);
    return header;
  }
  if (header.infoSize < 16 || !has(file, 0, 30)) return std::nullopt;
  header.width = static_cast<std::int32_t>(readLe32(p + 18));
  header.height = static_cast<std::int32_t>(readLe32(p + 22));
  header.planes = readLe16(p + 26);
  header.bitsPerPixel = readLe16(p + 28);
  if (header.infoSize >= 20) {
    if (!has(file, 0, 34)) return std::nullopt;
    header.compression = readLe32(p + 30);
  }
  // The image size (from 24 bytes on) and the masks (from 108) are not needed, but a file that
  // ends within the fields its header promises is damaged.
  if (header.infoSize >= 24 && !has(file, 0, 38)) return std::nullopt;
  if (header.infoSize >= kV4InfoSize && !has(file, 0, 70)) return std::nullopt;
  return header;
}

bool isConsistent(const BmpHeader& header) {
  if (header.planes > 1 || header.width < 1 || header.height == 0) return false;
  if (header.compression > bitFields) return false;
  const bool runLength = header.compression == rle8 || header.compression == rle4;
  if (runLength && header.height < 0) return false;
  // Run-length data exists for exactly one depth each.
  if (header.compression == rle8 && header.bitsPerPixel != 8) return false;
  if (header.compression == rle4 && header.bitsPerPixel != 4) return false;
  return true;
}

// The part of the picture that is drawn.
struct DrawArea {
  std::int64_t width;   // picture columns drawn, from 0
  std::int64_t height;  // picture rows drawn, from the top
};

std::uint8_t packedPixel(const std::uint8_t* row, std::int64_t x, std::uint32_t bitsPerPixel) {
  const auto at = static_cast<std::size_t>(x);
  switch (bitsPerPixel) {
    case 1:
      return static_cast<std::uint8_t>((row[at / 8] >> (7 - at % 8)) & 1);
    case 4:
      return static_cast<std::uint8_t>(at % 2 == 0 ? row[at / 2] >> 4 : row[at / 2] & 15);
    default:
      return row[at];
  }
}

// The rows of the picture being drawn: each asked of the target once, when its first pixel
// comes, and finished when the drawing moves on, so a target may hold one row at a time.
class Rows {
 public:
  Rows(PictureTarget& target, DrawArea area) : target_(target), area_(area) {}
  ~Rows() { finish(); }
  // Picture row y (from the top), or nothing when it lies outside the drawn area.
  std::uint8_t* at(std::uint64_t y) {
    if (y >= static_cast<std::uint64_t>(area_.height)) return nullptr;
    if (open_ && y != y_) finish();
    if (!open_) {
      y_ = static_cast<std::uint32_t>(y);
      row_ = target_.row(y_);
      open_ = true;
    }
    return row_;
  }
  void finish() {
    if (open_) target_.rowDone(y_);
    open_ = false;
  }

 private:
  PictureTarget& target_;
  const DrawArea area_;
  bool open_ = false;
  std::uint32_t y_ = 0;
  std::uint8_t* row_ = nullptr;
};

// Rows as stored, each padded to 4 bytes. Only the drawn bytes of a row are looked at, so a
// header's width costs no memory; the loop stops at the first row the file cannot hold.
BmpError drawRows(Rows& rows, ByteView file, const BmpHeader& header, std::uint64_t dataOffset,
                  DrawArea area) {
  const auto width = static_cast<std::uint64_t>(header.width);
  const std::uint64_t packedBytes = (width * header.bitsPerPixel + 7) / 8;
  const std::uint64_t stride = (packedBytes + 3) & ~std::uint64_t{3};
  // An 8-bit row is read with its padding in one piece; packed rows byte by byte, after
  // which the padding is skipped.
  const std::uint64_t needed = header.bitsPerPixel == 8 ? stride : packedBytes;
  const bool topDown = header.height < 0;
  const std::uint64_t height = static_cast<std::uint64_t>(topDown ? -header.height : header.height);
  for (std::uint64_t i = 0; i < height; ++i) {
    const std::uint64_t start = dataOffset + i * stride;
    if (!has(file, start, needed)) return BmpError::damaged;
    std::uint8_t* target = rows.at(topDown ? i : height - 1 - i);
    if (!target) continue;
    const std::uint8_t* source = file.data() + start;
    if (header.bitsPerPixel == 8) {
      std::memcpy(target, source, static_cast<std::size_t>(area.width));
      continue;
    }
    for (std::int64_t x = 0; x < area.width; ++x) {
      target[x] = packedPixel(source, x, header.bitsPerPixel);
    }
  }
  return BmpError::none;
}

// Run-length data: pairs of (count, value) runs and escapes for end of line, end of bitmap,
// a jump forward and literal runs padded to 2 bytes. Rows go from the bottom up; pixels never
// written keep the background. x and y only grow, so every pixel is written at most once and
// the work stays in proportion to the file.
BmpError drawRunLengthRows(Rows& rows, ByteView file, const BmpHeader& header,
                           std::uint64_t dataOffset, DrawArea area) {
  const bool fourBit = header.compression == rle4;
  const auto height = static_cast<std::uint64_t>(header.height);
  std::uint64_t pos = dataOffset;
  std::uint64_t x = 0;
  std::uint64_t y = 0;  // counted from the bottom row
  const auto drawnWidth = static_cast<std::uint64_t>(area.width);
  const auto currentRow = [&]() -> std::uint8_t* {
    return y < height ? rows.at(height - 1 - y) : nullptr;
  };
  const auto visibleCount = [&](std::uint64_t count) {
    return x >= drawnWidth ? std::uint64_t{0} : std::min(count, drawnWidth - x);
  };
  while (has(file, pos, 2)) {
    const std::uint8_t count = file[static_cast<std::size_t>(pos)];
    const std::uint8_t value = file[static_cast<std::size_t>(pos + 1)];
    pos += 2;
    if (count > 0) {
      if (std::uint8_t* row = currentRow()) {
        const std::uint64_t visible = visibleCount(count);
        for (std::uint64_t k = 0; k < visible; ++k) {
          const bool high = !fourBit || k % 2 == 0;
          row[x + k] = fourBit ? static_cast<std::uint8_t>(high ? value >> 4 : value & 15) : value;
        }
      }
      x += count;
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return BmpError::none;
      case 2:  // jump right and up
        if (!has(file, pos, 2)) return BmpError::damaged;
        x += file[static_cast<std::size_t>(pos)];
        y += file[static_cast<std::size_t>(pos + 1)];
        pos += 2;
        break;
      default: {  // a literal run of `value` pixels
        const std::uint64_t bytes = fourBit ? (value + 1u) / 2 : value;
        if (!has(file, pos, bytes)) return BmpError::damaged;
        if (std::uint8_t* row = currentRow()) {
          const std::uint8_t* source = file.data() + pos;
          const std::uint64_t visible = visibleCount(value);
          for (std::uint64_t k = 0; k < visible; ++k) {
            row[x + k] = fourBit ? packedPixel(source, static_cast<std::int64_t>(k), 4) : source[k];
          }
        }
        x += value;
        pos += bytes + (bytes & 1);
        break;
      }
    }
  }
  return BmpError::damaged;
}

// A raw dump of the picture's pixels: 0xFD, 4 bytes, a 16-bit data size; or 0xFE and a 32-bit
// data size. Then the pixels, row after row of the picture's width from the top left, then
// possibly 256 palette entries of six-bit red, green and blue, which replace the whole palette.
BmpError drawRawPixels(ByteView file, std::uint32_t width, std::uint32_t height,
                       PictureTarget& target, Palette& palette) {
  const bool shortForm = file[0] == 0xFD;
  const std::uint64_t headerSize = shortForm ? 7 : 5;
  if (!has(file, 0, headerSize)) return BmpError::damaged;
  const std::uint64_t dataSize = shortForm ? readLe16(file.data() + 5) : readLe32(file.data() + 1);
  const std::uint64_t available = file.size() - headerSize;
  if (!target.begin(width, height, 1, false)) return BmpError::outOfMemory;
  std::uint64_t copied = std::min({dataSize, available, std::uint64_t{width} * height});
  const std::uint8_t* from = file.data() + headerSize;
  for (std::uint32_t y = 0; copied > 0; ++y) {
    const auto step = static_cast<std::size_t>(std::min<std::uint64_t>(copied, width));
    std::memcpy(target.row(y), from, step);
    target.rowDone(y);
    from += step;
    copied -= step;
  }
  // The palette follows the whole pixel data, however much of it fitted in the picture.
  const std::uint64_t paletteOffset = headerSize + dataSize;
  if (!has(file, paletteOffset, 1)) return BmpError::none;
  if (!has(file, paletteOffset, 768)) return BmpError::damaged;
  const std::uint8_t* p = file.data() + paletteOffset;
  for (std::size_t i = 0; i < 256; ++i, p += 3) {
    const auto eightBit = [](std::uint8_t sixBit) { return std::uint32_t{sixBit & 0x3Fu} << 2; };
    palette[i] = eightBit(p[0]) | (eightBit(p[1]) << 8) | (eightBit(p[2]) << 16);
  }
  return BmpError::none;
}

// Where a file's colours lie: the palette fills the gap between the headers and the pixels,
// up to 2^bits entries.
struct ColourTable {
  std::uint64_t offset;
  std::uint64_t entrySize;  // 3 bytes for OS/2 headers, else 4
  std::uint64_t entries;
  std::uint64_t dataOffset;  // where the pixels start
};

ColourTable colourTableOf(const BmpHeader& header) {
  const std::uint64_t entrySize = header.infoSize == kOs2InfoSize ? 3 : 4;
  const std::uint64_t maxEntries = std::uint64_t{1} << header.bitsPerPixel;
  const std::uint64_t offset = kFileHeaderSize + header.infoSize;
  // A data offset of 0 means the pixels follow a full palette.
  const std::uint64_t dataOffset =
      header.dataOffset != 0 ? header.dataOffset : offset + maxEntries * entrySize;
  const std::uint64_t entries =
      dataOffset < offset ? 0 : std::min((dataOffset - offset) / entrySize, maxEntries);
  return {offset, entrySize, entries, dataOffset};
}

// Puts the table's colours, stored blue, green, red, into the first palette entries.
void readColours(ByteView file, const ColourTable& table, Palette& palette) {
  const std::uint8_t* entry = file.data() + table.offset;
  for (std::uint64_t i = 0; i < table.entries; ++i, entry += table.entrySize) {
    palette[static_cast<std::size_t>(i)] =
        entry[2] | (std::uint32_t{entry[1]} << 8) | (std::uint32_t{entry[0]} << 16);
  }
}

}  // namespace

BmpError drawBmp(ByteView file, std::uint32_t width, std::uint32_t height, PictureTarget& target,
                 Palette& palette) {
  if (file.empty()) return BmpError::damaged;
  if (file[0] == 0xFD || file[0] == 0xFE)
    return drawRawPixels(file, width, height, target, palette);
  if (file[0] != 'B') return BmpError::damaged;

  const auto header = readHeader(file);
  if (!header || !isConsistent(*header)) return BmpError::damaged;
  if (header->bitsPerPixel > 32) return BmpError::damaged;
  if (header->bitsPerPixel > 8) return BmpError::moreThan8Bits;
  const std::uint32_t bits = header->bitsPerPixel;
  if (bits != 1 && bits != 4 && bits != 8) return BmpError::damaged;
  // Bit-field files whose header lacks the masks carry three of them after it.
  if (header->compression == bitFields && header->infoSize < kV4InfoSize &&
      !has(file, kFileHeaderSize + header->infoSize, 12)) {
    return BmpError::damaged;
  }

  const ColourTable table = colourTableOf(*header);
  if (!has(file, table.offset, table.entries * table.entrySize)) return BmpError::damaged;
  readColours(file, table, palette);

  const std::int64_t pictureHeight = header->height < 0 ? -header->height : header->height;
  const DrawArea area{std::min<std::int64_t>(header->width, width),
                      std::min<std::int64_t>(pictureHeight, height)};
  if (!target.begin(width, height, 1, false)) return BmpError::outOfMemory;
  Rows rows(target, area);
  if (header->compression == rle8 || header->compression == rle4) {
    return drawRunLengthRows(rows, file, *header, table.dataOffset, area);
  }
  return drawRows(rows, file, *header, table.dataOffset, area);
}

std::optional<BmpSize> readBmpSize(ByteView file) {
  const auto header = readHeader(file);
  if (!header || !isConsistent(*header)) return std::nullopt;
  const std::int64_t height = header->height < 0 ? -header->height : header->height;
  return BmpSize{header->width, height};
}

std::string_view toString(BmpError error) {
  switch (error) {
    case BmpError::none:
      return "no error";
    case BmpError::damaged:
      return "damaged or unsupported BMP file";
    case BmpError::moreThan8Bits:
      return "more than 8 bits a pixel";
    case BmpError::outOfMemory:
      return "out of memory";
  }
  return "unknown BMP error";
}

}  // namespace vantrix
