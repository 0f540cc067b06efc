#pragma once

#include <array>
#include <cstdint>

namespace vantrix {

// 256 colours 0x00BBGGRR, 8 bits a component: the colours of a picture of palette indices.
using Palette = std::array<std::uint32_t, 256>;

// The palette a picture of palette indices starts with; a file's colours replace its first
// entries.
const Palette& defaultPalette();

}  // namespace vantrix
