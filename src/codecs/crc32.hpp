#pragma once

// CRC-32 of the PNG chunks (and zlib's), by carry-less multiplication where the processor has
// it (PCLMULQDQ with SSE4.1, checked at run time), else a byte at a time by table.

#include <cstddef>
#include <cstdint>

namespace vantrix {

// Continues `crc` (0 to start) over `size` bytes, as zlib's crc32 does.
std::uint32_t crc32Of(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

}  // namespace vantrix
