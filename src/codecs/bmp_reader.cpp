#include "codecs/bmp_reader.hpp"

#include <algorithm>
#include <cstring>

#include "platform/platform.hpp"

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

// Where the drawn part of the picture lands on the canvas.
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

// Rows as stored, each padded to 4 bytes. Only the drawn bytes of a row are looked at, so a
// header's width costs no memory; the loop stops at the first row the file cannot hold.
ImageStatus drawRows(Canvas& canvas, ByteView file, const BmpHeader& header,
                     std::uint64_t dataOffset, DrawArea area) {
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
    if (!has(file, start, needed)) return ImageStatus::fileError;
    const std::uint64_t pictureRow = topDown ? i : height - 1 - i;
    if (pictureRow >= static_cast<std::uint64_t>(area.height)) continue;
    const std::uint8_t* source = file.data() + start;
    std::uint8_t* target = canvas.row(static_cast<int>(pictureRow));
    if (header.bitsPerPixel == 8) {
      std::memcpy(target, source, static_cast<std::size_t>(area.width));
      continue;
    }
    for (std::int64_t x = 0; x < area.width; ++x) {
      target[x] = packedPixel(source, x, header.bitsPerPixel);
    }
  }
  return ImageStatus::success;
}

// Run-length data: pairs of (count, value) runs and escapes for end of line, end of bitmap,
// a jump forward and literal runs padded to 2 bytes. Rows go from the bottom up; pixels never
// written keep what the canvas held. x and y only grow, so every canvas pixel is written at
// most once and the work stays in proportion to the file.
ImageStatus drawRunLengthRows(Canvas& canvas, ByteView file, const BmpHeader& header,
                              std::uint64_t dataOffset, DrawArea area) {
  const bool fourBit = header.compression == rle4;
  const auto height = static_cast<std::uint64_t>(header.height);
  std::uint64_t pos = dataOffset;
  std::uint64_t x = 0;
  std::uint64_t y = 0;  // counted from the bottom row
  const auto drawnWidth = static_cast<std::uint64_t>(area.width);
  // The canvas row of the current line, or nothing when the line is not drawn.
  const auto currentRow = [&]() -> std::uint8_t* {
    if (y >= height) return nullptr;
    const std::uint64_t pictureRow = height - 1 - y;
    if (pictureRow >= static_cast<std::uint64_t>(area.height)) return nullptr;
    return canvas.row(static_cast<int>(pictureRow));
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
        return ImageStatus::success;
      case 2:  // jump right and up
        if (!has(file, pos, 2)) return ImageStatus::fileError;
        x += file[static_cast<std::size_t>(pos)];
        y += file[static_cast<std::size_t>(pos + 1)];
        pos += 2;
        break;
      default: {  // a literal run of `value` pixels
        const std::uint64_t bytes = fourBit ? (value + 1u) / 2 : value;
        if (!has(file, pos, bytes)) return ImageStatus::fileError;
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
  return ImageStatus::fileError;
}

// A raw dump of canvas pixels: 0xFD, 4 bytes, a 16-bit data size; or 0xFE and a 32-bit data
// size. Then the pixels, then possibly 256 palette entries of six-bit red, green and blue.
ImageStatus loadRawCanvas(Canvas& canvas, ByteView file) {
  const bool shortForm = file[0] == 0xFD;
  const std::uint64_t headerSize = shortForm ? 7 : 5;
  if (!has(file, 0, headerSize)) return ImageStatus::fileError;
  const std::uint64_t dataSize = shortForm ? readLe16(file.data() + 5) : readLe32(file.data() + 1);
  const std::uint64_t available = file.size() - headerSize;
  const std::uint64_t copied =
      std::min({dataSize, available, std::uint64_t{canvas.pixels().size()}});
  std::memcpy(canvas.pixels().data(), file.data() + headerSize, static_cast<std::size_t>(copied));
  // The palette follows the whole pixel data, however much of it fitted on the canvas.
  const std::uint64_t paletteOffset = headerSize + dataSize;
  if (!has(file, paletteOffset, 1)) return ImageStatus::success;
  if (!has(file, paletteOffset, 768)) return ImageStatus::fileError;
  const std::uint8_t* p = file.data() + paletteOffset;
  for (std::size_t i = 0; i < 256; ++i, p += 3) {
    const auto eightBit = [](std::uint8_t sixBit) { return std::uint32_t{sixBit & 0x3Fu} << 2; };
    canvas.palette()[i] = eightBit(p[0]) | (eightBit(p[1]) << 8) | (eightBit(p[2]) << 16);
  }
  return ImageStatus::success;
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

std::optional<PlainBmp> readPlainBmp(ByteView file, std::uint32_t width, std::uint32_t height) {
  if (file.empty() || file[0] != 'B') return std::nullopt;
  const auto header = readHeader(file);
  if (!header || !isConsistent(*header) || header->bitsPerPixel != 8 ||
      header->compression != none || header->width != std::int64_t{width} ||
      (header->height < 0 ? -header->height : header->height) != std::int64_t{height}) {
    return std::nullopt;
  }
  const ColourTable table = colourTableOf(*header);
  const std::uint64_t stride = (std::uint64_t{width} + 3) & ~std::uint64_t{3};
  if (!has(file, table.offset, table.entries * table.entrySize) ||
      !has(file, table.dataOffset, stride * height)) {
    return std::nullopt;
  }
  PlainBmp plain{defaultPalette(), nullptr, 0};
  readColours(file, table, plain.palette);
  const std::uint8_t* data = file.data() + table.dataOffset;
  const bool topDown = header->height < 0;
  plain.topRow = topDown ? data : data + (height - 1) * stride;
  plain.pitch =
      topDown ? static_cast<std::ptrdiff_t>(stride) : -static_cast<std::ptrdiff_t>(stride);
  return plain;
}

ImageStatus loadBmpToCanvas(Canvas& canvas, ByteView file) {
  if (file.empty()) return ImageStatus::fileError;
  if (file[0] == 0xFD || file[0] == 0xFE) return loadRawCanvas(canvas, file);
  if (file[0] != 'B') return ImageStatus::fileError;

  const auto header = readHeader(file);
  if (!header || !isConsistent(*header)) return ImageStatus::fileError;
  if (header->bitsPerPixel > 32) return ImageStatus::fileError;
  if (header->bitsPerPixel > 8) return ImageStatus::illegalCall;
  if (!canvas.hasPixels() || canvas.bytesPerPixel() != 1) return ImageStatus::illegalCall;
  const std::uint32_t bits = header->bitsPerPixel;
  if (bits != 1 && bits != 4 && bits != 8) return ImageStatus::fileError;
  // Bit-field files whose header lacks the masks carry three of them after it.
  if (header->compression == bitFields && header->infoSize < kV4InfoSize &&
      !has(file, kFileHeaderSize + header->infoSize, 12)) {
    return ImageStatus::fileError;
  }

  const ColourTable table = colourTableOf(*header);
  if (!has(file, table.offset, table.entries * table.entrySize)) return ImageStatus::fileError;
  readColours(file, table, canvas.palette());

  const std::int64_t height = header->height < 0 ? -header->height : header->height;
  const DrawArea area{std::min<std::int64_t>(header->width, canvas.width()),
                      std::min<std::int64_t>(height, canvas.height())};
  if (header->compression == rle8 || header->compression == rle4) {
    return drawRunLengthRows(canvas, file, *header, table.dataOffset, area);
  }
  return drawRows(canvas, file, *header, table.dataOffset, area);
}

std::optional<BmpSize> readBmpSize(ByteView file) {
  const auto header = readHeader(file);
  if (!header || !isConsistent(*header)) return std::nullopt;
  const std::int64_t height = header->height < 0 ? -header->height : header->height;
  return BmpSize{header->width, height};
}

ImageStatus loadBmpToCanvas(Canvas& canvas, const std::string& path) {
  const auto file = platform::readFile(path);
  if (!file) return ImageStatus::fileNotFound;
  return loadBmpToCanvas(canvas, ByteView(*file));
}

}  // namespace vantrix
