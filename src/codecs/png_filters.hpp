#pragma once

// Undoing the five PNG scanline filters in place, row by row.

#include <cstddef>
#include <cstdint>

namespace vantrix {

// Undoes one filter over the data bytes of a row in place. `prior` is the same pass's
// previous row, already restored, or zeros for a pass's first row.
using FilterRow = void (*)(std::uint8_t* row, const std::uint8_t* prior, std::size_t length);

// Undoes Paeth over two rows in place, `second` being the row after `first` in the same
// pass, so `first` is its prior row.
using FilterRowPair = void (*)(std::uint8_t* first, std::uint8_t* second, const std::uint8_t* prior,
                               std::size_t length);

struct PngFilters {
  FilterRow sub;
  FilterRow up;
  FilterRow average;
  FilterRow paeth;
  FilterRowPair paethPair;  // nullptr where two rows go no faster than one after the other
};

// The filters for a filter unit (bytes per complete pixel) of 1, 2, 3, 4, 6 or 8; pixels of
// 3 bytes and more are restored a pixel at a time in vector registers where the processor
// has them (SSE2 on x86-64, NEON on ARM64), those of 1 and 2 bytes a byte at a time.
PngFilters pngFiltersFor(std::uint32_t filterUnit);

}  // namespace vantrix
