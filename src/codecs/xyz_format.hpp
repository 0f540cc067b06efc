#pragma once

// The layout of an XYZ file, shared by its reader and its writer (see README.md here).

#include <cstddef>
#include <cstdint>

namespace vantrix {

inline constexpr std::uint8_t kXyzMagic[4] = {'X', 'Y', 'Z', '1'};
inline constexpr std::size_t kXyzHeaderSize = 8;
inline constexpr std::size_t kXyzPaletteBytes = 768;
// Room a stream may use after the pixels: the writer appends exactly this many bytes.
inline constexpr std::size_t kXyzTrailingRoom = std::size_t{1} << 20;
inline constexpr std::uint16_t kXyzMaxSide = 0xFFFF;

}  // namespace vantrix
