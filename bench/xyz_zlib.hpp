#pragma once

// XYZ face sets decoded as vantrix did before it had its own inflater: zlib's inflate writing
// straight into the palette and the image rows. The benchmark's yardstick for decodeXyzImage.

#include <optional>

#include "codecs/xyz.hpp"

namespace bench {

std::optional<vantrix::PixelImage> decodeXyzByZlib(vantrix::ByteView file,
                                                   vantrix::PaletteTable& table);

}  // namespace bench
